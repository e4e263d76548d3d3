#pragma once

#include "VeskImage.h"

#include <juce_core/juce_core.h>

#include <array>

/**
    A pattern record read as what it means: its type, length, steps per bar
    and tempo, and the line that sums it up ("Lead, 130 BPM, 1 x 16, ...").
    The lists, vesk, the MIDI files, the step tools and the collection all
    read these facts here, so no two of them can tell a pattern differently.

    A view of 159 bytes kept elsewhere (the image, a file, the collection's
    row); Record is the one type that holds a copy of them.
*/
class VeskPattern
{
public:
    /** One pattern record's bytes. */
    using Record = std::array<juce::uint8, VeskImage::patternSize>;

    constexpr explicit VeskPattern (const juce::uint8* recordBytes) noexcept : bytes (recordBytes) {}
    VeskPattern (const Record& record) noexcept : bytes (record.data()) {}

    constexpr int type() const noexcept { return bytes[VeskImage::Pattern::type]; }

    /** The length byte plus one: 1 or 2 on any record the unit made. A
        damaged byte reads as its number plus one, as the lists and the
        collection have always shown and stored it. */
    constexpr int bars() const noexcept { return bytes[VeskImage::Pattern::patternLength] + 1; }

    /** True for any length byte but 0: one bar from two, as a MIDI file and Double tell them. */
    constexpr bool hasSecondBar() const noexcept { return bars() > 1; }

    /** 12 or 16; any byte but 0 means 16. */
    constexpr int stepsPerBar() const noexcept { return stepsPerBarOf (bytes[VeskImage::Pattern::stepsPerBar]); }

    static constexpr int stepsPerBarOf (int storedByte) noexcept { return storedByte != 0 ? 16 : 12; }

    /** The steps the record plays: its bars times its steps per bar, never
        more than the 32 it holds, whatever its bytes say. */
    constexpr int playedSteps() const noexcept
    {
        const int steps = bars() * stepsPerBar();
        return steps < VeskImage::Pattern::numSteps ? steps : VeskImage::Pattern::numSteps;
    }

    /** In tenths of a beat per minute. */
    constexpr int tempo() const noexcept { return VeskImage::Pattern::tempo (bytes); }

    /** Beats per minute of a tempo in tenths. */
    static constexpr double bpm (int tenths) noexcept { return tenths / 10.0; }

    /** A tempo in tenths as beats with one decimal: "130.0". */
    static juce::String bpmText (int tenths);

    //==============================================================================
    /** "Lead"; "type 9" for a byte that names no type of the unit. */
    juce::String typeName() const;

    /** The tempo as the lists show it: whole beats ("130"), or a damaged
        tempo as vesk show marks it ("16383 (out of range)"). */
    juce::String tempoText() const;

    /** True when the tempo is one the unit plays (40.0 to 240.0). */
    bool tempoIsPlayable() const noexcept;

    /** Bars x steps per bar: "1 x 16". */
    juce::String lengthText() const;

    /** The tone of a Lead or Bass pattern, the kit of a Rythm one, else empty. */
    juce::String soundText() const;

    /** Type, tempo, length and sound: "Bass, 120 BPM, 1 x 16, 04 - ...". */
    juce::String summary() const;

private:
    const juce::uint8* bytes;
};

namespace VeskImage::Pattern
{
    /** The steps a record plays (VeskPattern::playedSteps). */
    constexpr int playedSteps (const std::uint8_t* record) noexcept { return VeskPattern (record).playedSteps(); }
}
