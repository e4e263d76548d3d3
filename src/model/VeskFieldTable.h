#pragma once

#include "VeskImage.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <utility>

/**
    Every field's range and conversions in one place: a control's value to
    the stored value, the stored value to what the control shows, and the
    stored value to the text a listing prints ("440.0 Hz", "C# 4"). The
    controls, the field listings and the model's setters convert a field
    through here; a pattern's facts as a whole (its summary, its length in
    bars) are read from the record, not converted here.

    A record's fields depend on its type (offset 7 is a signed tune on a Bass
    pattern, a plain effect knob on a Lead one), so a pattern field is looked
    up with the record's type. The tempo is one value in its two bytes, in
    tenths of a beat per minute.

    Any control value, however far past the control's ends, gives a stored
    value the unit has: the unit's wrapping knobs wrap, everything else stops
    at its ends. Any stored value gives a text; one outside the field's range
    (from a damaged file, say) reads as its number with "(out of range)".
*/
struct VeskFieldTable
{
    enum class Kind
    {
        plain, // 0-127 as it is; a value past the ends keeps its low seven bits, so it wraps
        wrapping, // a knob of the unit that wraps: past 127 comes 0, below 0 comes 127
        limited, // stops at 0 and 127
        signedKnob, // -64 to 63, stored plus 64, wrapping
        choice, // an item of a list, by its index
        onOff, // a switch: stored 0 or 1; any other byte shows it on
        vintage, // the Bass's switch: only a stored 1 shows it on
        tempo, // 40 to 240 beats, whole beats stored as tenths
        masterTune, // 427.4 to 452.6 Hz in 0.2 Hz steps
        midiChannel, // 1-16, or 0 for off
        transpose, // -12 to +12 semitones
        bars, // 1 or 2
        stepsPerBar, // 12 or 16
        leadNote, // a step's note, named from octave -1
        bassNote, // a step's note, named from octave -4
        gate, // 0 to 105
        stepType, // Normal ... Accent; the wheel wraps from the last to the first
        rythmStepType // as stepType, named as the Rythm grid labels them
    };

    struct Entry
    {
        Kind kind = Kind::plain;

        /** What the control shows at its ends, and its step. */
        double lowest = 0.0, highest = 127.0, interval = 1.0;

        /** The item texts of a choice or a step type, by stored value. */
        const juce::StringArray& (*items)() = nullptr;

        /** The controller the unit also takes the field as, on every type; -1 for none. */
        int controller = -1;

        /** The stored value a control's value gives; safe for any double. */
        int stored (double controlValue) const noexcept;

        /** What a control shows for a stored value. */
        double shown (int storedValue) const noexcept;

        /** A stored value as a listing prints it. */
        juce::String text (int storedValue) const;

        /** The stored value for a text as text() prints it or a control
            shows it: a number (a unit such as "BPM", "Hz", "bars" or
            "semitones" may be left out), a list item by its name (any case),
            a note by its label ("C#4"), "on"/"off". Nothing for a text that
            names no value of the field or lies outside its range. */
        std::optional<int> parse (const juce::String& text) const;

        /** The lowest and highest stored value the field's control reaches
            (the tempo in tenths, the channel's 0-16 with 16 for off). */
        std::pair<int, int> storedRange() const noexcept;

        /** True for a stored value within storedRange(). */
        bool holds (int storedValue) const noexcept
        {
            const auto [first, last] = storedRange();
            return storedValue >= first && storedValue <= last;
        }

        /** The stored value at offset of a system block or record: its byte,
            or the whole tempo at either of the tempo's bytes. */
        int read (const juce::uint8* block, int offset) const noexcept;

        /** What the control shows for the field at offset of block. */
        double shownAt (const juce::uint8* block, int offset) const noexcept { return shown (read (block, offset)); }

        juce::String textAt (const juce::uint8* block, int offset) const { return text (read (block, offset)); }
    };

    /** A system block offset, 0-12; reserved bytes are plain. */
    static const Entry& system (int offset);

    /** A record offset, 0-158 (the steps included), on a record of that type;
        a type the unit does not have reads every field as a plain byte,
        except the few every type shares. */
    static const Entry& pattern (int offset, int partType);

    /** The record offset a controller carries (see Entry::controller), or -1. */
    static int offsetForController (int controller) noexcept;

    /** A record offset of that record, as its type has it. */
    static const Entry& pattern (int offset, const juce::uint8* record)
    {
        return pattern (offset, record[VeskImage::Pattern::type]);
    }
};
