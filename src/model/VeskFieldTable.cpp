#include "VeskFieldTable.h"
#include "DecimalNumber.h"
#include "VeskNames.h"
#include "VeskPattern.h"
#include "VeskStepTypes.h"

#include <array>
#include <cmath>
#include <cstring>

namespace
{
    using namespace VeskImage;
    using Kind = VeskFieldTable::Kind;
    using Entry = VeskFieldTable::Entry;

    /** Whole part of a control's value, safe for any double. */
    int wholePart (double value) noexcept
    {
        if (! std::isfinite (value))
            return 0;

        return (int) juce::jlimit (-100000.0, 100000.0, value);
    }

    /** Above 127 becomes 0 and below 0 becomes 127: the unit's knobs wrap. */
    int wrap7 (int value) noexcept { return value > 127 ? 0 : (value < 0 ? 127 : value); }

    int clamp7 (int value) noexcept { return juce::jlimit (0, 127, value); }

    juce::String outOfRange (int value) { return juce::String (value) + " (out of range)"; }

    juce::String itemOrNumber (const juce::StringArray& list, int value)
    {
        auto text = VeskNames::item (list, value);
        return text.isEmpty() ? outOfRange (value) : text;
    }

    juce::String signedText (int value) { return value > 0 ? "+" + juce::String (value) : juce::String (value); }

    juce::String onOffText (int value) { return value == 0 ? "off" : (value == 1 ? "on" : outOfRange (value)); }

    juce::String tenths (int value) { return juce::String (value / 10) + "." + juce::String (value % 10); }

    juce::String noteText (int partType, int value)
    {
        auto label = VeskNames::noteLabel (partType, value);
        return label.isNotEmpty() ? label : outOfRange (value);
    }

    /** A decimal number, with one of units (any case) after it or not. */
    std::optional<double> numberIn (juce::String text, std::initializer_list<const char*> units = {})
    {
        text = text.trim();

        for (auto* unit : units)
            if (text.endsWithIgnoreCase (unit))
            {
                text = text.dropLastCharacters ((int) std::strlen (unit)).trimEnd();
                break;
            }

        // Unlike a knob's text, a field's has digits on both sides of its point.
        const auto digits = text.trimCharactersAtStart ("+-");

        if (digits.startsWithChar ('.') || digits.endsWithChar ('.'))
            return std::nullopt;

        return DecimalNumber::read (text);
    }

    /** A whole number from lowest to highest. */
    std::optional<int> wholeIn (const juce::String& text, int lowest, int highest, std::initializer_list<const char*> units = {})
    {
        const auto number = numberIn (text, units);

        if (! number.has_value() || *number != std::floor (*number) || *number < lowest || *number > highest)
            return std::nullopt;

        return (int) *number;
    }

    std::optional<int> itemIn (const juce::StringArray& list, const juce::String& text)
    {
        for (int i = 0; i < list.size(); ++i)
            if (list[i].trim().equalsIgnoreCase (text.trim()) && list[i].trim().isNotEmpty())
                return i;

        return std::nullopt;
    }

    std::optional<int> noteIn (int partType, const juce::String& text)
    {
        if (auto number = wholeIn (text, 0, 127))
            return number;

        const auto wanted = text.removeCharacters (" ").toLowerCase();

        for (int note = 0; note < 128; ++note)
            if (VeskNames::noteLabel (partType, note).removeCharacters (" ").toLowerCase() == wanted)
                return note;

        return std::nullopt;
    }

    std::optional<int> onOffIn (const juce::String& text)
    {
        if (text.trim().equalsIgnoreCase ("on"))
            return 1;

        if (text.trim().equalsIgnoreCase ("off"))
            return 0;

        return wholeIn (text, 0, 1);
    }

    //==============================================================================
    Entry entry (Kind kind, double lowest = 0.0, double highest = 127.0, double interval = 1.0)
    {
        Entry e;
        e.kind = kind;
        e.lowest = lowest;
        e.highest = highest;
        e.interval = interval;
        return e;
    }

    Entry listEntry (Kind kind, const juce::StringArray& (*items)())
    {
        auto e = entry (kind, 0.0, items().size() - 1);
        e.items = items;
        return e;
    }

    Entry choice (const juce::StringArray& (*items)()) { return listEntry (Kind::choice, items); }

    /** Rows 0-30 are the record's fields (0 and 1 both the tempo), 31-34 its four step arrays. */
    constexpr int numRows = Pattern::stepNote + 4;

    int rowOf (int offset) noexcept
    {
        const int o = juce::jlimit (0, patternSize - 1, offset);
        return o < Pattern::stepNote ? o : Pattern::stepNote + (o - Pattern::stepNote) / Pattern::numSteps;
    }

    using Rows = std::array<Entry, (size_t) numRows>;

    /** What every type shares; a type without sound fields of its own reads the rest as plain bytes. */
    Rows commonRows()
    {
        using namespace Pattern;
        Rows rows;
        auto at = [&rows] (int offset) -> Entry&
        { return rows[(size_t) rowOf (offset)]; };

        at (tempoHigh) = at (tempoLow) = entry (Kind::tempo, 40.0, 240.0);
        at (patternLength) = entry (Kind::bars, 1.0, 2.0);
        at (stepsPerBar) = entry (Kind::stepsPerBar, 12.0, 16.0, 4.0);
        at (loopCtrl) = choice (VeskNames::loopCtrls);
        at (type) = choice (VeskNames::partTypes);

        // The unit's effect knobs and pan wrap; its levels and filter stop at the ends.
        for (int offset : { (int) tuneOrEffectParam1, (int) envModOrEffectParam2, (int) accentOrEffectParam3 })
            at (offset) = entry (Kind::wrapping);

        for (int offset : { (int) filterCutoffOrBdLevel, (int) filterResonanceOrSdLevel, (int) filterDecayOrHhLevel, (int) level })
            at (offset) = entry (Kind::limited);

        at (pan) = entry (Kind::signedKnob, -64.0, 63.0);
        at (stepLevel) = entry (Kind::limited);
        at (stepGate) = entry (Kind::gate, 0.0, maxGate);
        at (stepType) = listEntry (Kind::stepType, VeskNames::stepTypes);
        return rows;
    }

    /** What a Lead and a Bass pattern share beyond the common rows. */
    Rows synthRows (Kind noteKind)
    {
        using namespace Pattern;
        auto rows = commonRows();
        rows[(size_t) toneOrKit] = choice (VeskNames::tones);
        rows[(size_t) lfoWave] = choice (VeskNames::lfoWaves);
        rows[(size_t) wave] = choice (VeskNames::waves);
        rows[(size_t) filterType] = choice (VeskNames::filterTypes);
        rows[(size_t) rowOf (stepNote)] = entry (noteKind);
        return rows;
    }

    Rows withControllers (Rows rows)
    {
        // The sound knobs the unit takes as controllers too, on every type: offsets 7 (tuneOrEffectParam1) to 14 (pan).
        const int controllers[] = { 16, 17, 18, 74, 71, 83, 7, 10 };
        for (size_t i = 0; i < std::size (controllers); ++i)
            rows[(size_t) Pattern::tuneOrEffectParam1 + i].controller = controllers[i];

        return rows;
    }

    const Rows& rowsFor (int partType)
    {
        using namespace Pattern;

        static const Rows common = withControllers (commonRows());

        static const Rows lead = []
        {
            auto rows = synthRows (Kind::leadNote);
            rows[(size_t) vintageOrEffectType] = choice (VeskNames::effectTypes);
            return withControllers (rows);
        }();

        static const Rows bass = []
        {
            auto rows = synthRows (Kind::bassNote);
            rows[(size_t) tuneOrEffectParam1] = entry (Kind::signedKnob, -64.0, 63.0);
            rows[(size_t) vintageOrEffectType] = entry (Kind::vintage, 0.0, 1.0);
            return withControllers (rows);
        }();

        static const Rows rythm = []
        {
            auto rows = commonRows();
            rows[(size_t) toneOrKit] = choice (VeskNames::kits);
            rows[(size_t) rowOf (stepType)] = listEntry (Kind::rythmStepType, VeskNames::rythmStepTypes);
            return withControllers (rows);
        }();

        switch (partType)
        {
            case PartType::lead: return lead;
            case PartType::bass: return bass;
            case PartType::rythm: return rythm;
            default: return common;
        }
    }
}

//==============================================================================
const Entry& VeskFieldTable::system (int offset)
{
    static const auto entries = []
    {
        std::array<Entry, (size_t) systemBlockSize> e;
        e[System::masterTune] = entry (Kind::masterTune, 427.4, 452.6, 0.2);
        e[System::midiChannel] = entry (Kind::midiChannel, 0.0, 16.0);
        e[System::transpose] = entry (Kind::transpose, -12.0, 12.0);

        for (int o : { (int) System::receiveProgramChange, (int) System::receiveControlChange,
                       (int) System::receivePitchBend, (int) System::transmitProgramChange })
            e[(size_t) o] = entry (Kind::onOff, 0.0, 1.0);

        return e;
    }();

    return entries[(size_t) juce::jlimit (0, systemBlockSize - 1, offset)];
}

const Entry& VeskFieldTable::pattern (int offset, int partType)
{
    return rowsFor (partType)[(size_t) rowOf (offset)];
}

int VeskFieldTable::offsetForController (int controller) noexcept
{
    for (int offset = 0; offset < Pattern::stepNote; ++offset)
        if (controller >= 0 && pattern (offset, PartType::lineIn).controller == controller)
            return offset;
    return -1;
}

//==============================================================================
int Entry::stored (double controlValue) const noexcept
{
    const int whole = wholePart (controlValue);

    switch (kind)
    {
        case Kind::wrapping: return wrap7 (whole);
        case Kind::signedKnob: return wrap7 (whole + 64);
        case Kind::limited:
        case Kind::leadNote:
        case Kind::bassNote: return clamp7 (whole);
        case Kind::onOff:
        case Kind::vintage: return whole != 0 ? 1 : 0;

        // Whole beats per minute only; the tenths are dropped.
        case Kind::tempo: return juce::jlimit (juce::roundToInt (lowest), juce::roundToInt (highest), whole) * 10;

        case Kind::masterTune:
        {
            // Nearest 0.2 Hz step: a slider's 440.0 may arrive as 439.99999...
            const double steps = std::isfinite (controlValue) ? (controlValue * 10.0 - 4274.0) * 0.5 : 63.0;
            return juce::jlimit (0, 126, juce::roundToInt (juce::jlimit (-1.0, 200.0, steps)));
        }

        case Kind::midiChannel: return (whole <= 0 || whole > 16) ? System::channelOff : whole - 1;
        case Kind::transpose: return juce::jlimit (0, 24, wholePart (controlValue + 12.0));
        case Kind::bars: return whole >= 2 ? 1 : 0;
        case Kind::stepsPerBar: return whole > 12 ? 1 : 0;
        case Kind::gate: return juce::jlimit (0, (int) Pattern::maxGate, whole);

        // The wheel wraps: past the last type comes the first, before the first the last.
        case Kind::stepType:
        case Kind::rythmStepType: return whole >= StepType::numTypes ? StepType::normal : (whole < 0 ? StepType::accent : whole);

        case Kind::choice: return juce::jlimit (0, items().size() - 1, whole);

        case Kind::plain:
        default: return whole & 0x7F;
    }
}

double Entry::shown (int value) const noexcept
{
    switch (kind)
    {
        case Kind::signedKnob: return value - 64;
        case Kind::onOff: return value != 0 ? 1 : 0;
        case Kind::vintage: return value == 1 ? 1 : 0;
        case Kind::tempo: return VeskPattern::bpm (value);
        case Kind::masterTune: return 427.4 + 0.2 * value;
        case Kind::midiChannel: return value < System::channelOff ? value + 1 : 0;
        case Kind::transpose: return value - 12;
        case Kind::bars: return value == 0 ? 1 : 2;
        case Kind::stepsPerBar: return VeskPattern::stepsPerBarOf (value);

        case Kind::plain:
        case Kind::wrapping:
        case Kind::limited:
        case Kind::choice:
        case Kind::leadNote:
        case Kind::bassNote:
        case Kind::gate:
        case Kind::stepType:
        case Kind::rythmStepType:
        default: return value;
    }
}

juce::String Entry::text (int value) const
{
    switch (kind)
    {
        case Kind::signedKnob: return signedText (value - 64);
        case Kind::choice:
        case Kind::stepType: return itemOrNumber (items(), value);
        case Kind::onOff:
        case Kind::vintage: return onOffText (value);
        // Only what the unit plays reads as beats: past it (a damaged file, a raw set) is marked as any other field's.
        case Kind::tempo: return holds (value) ? VeskPattern::bpmText (value) + " BPM" : outOfRange (value);
        case Kind::masterTune: return value >= 0 && value <= 126 ? tenths (4274 + 2 * value) + " Hz" : outOfRange (value);

        case Kind::midiChannel:
            return juce::isPositiveAndBelow (value, (int) System::channelOff) ? juce::String (value + 1)
                                                                              : (value == System::channelOff ? "off" : outOfRange (value));

        case Kind::transpose: return value >= 0 && value <= 24 ? signedText (value - 12) + " semitones" : outOfRange (value);
        case Kind::bars: return value == 0 ? "1 bar" : (value == 1 ? "2 bars" : outOfRange (value));
        case Kind::stepsPerBar: return value == 1 ? "16" : (value == 0 ? "12" : outOfRange (value));
        case Kind::leadNote: return noteText (PartType::lead, value);
        case Kind::bassNote: return noteText (PartType::bass, value);
        case Kind::gate: return value >= 0 && value <= Pattern::maxGate ? juce::String (value) : outOfRange (value);

        case Kind::rythmStepType:
        {
            // The grid leaves the last Rythm label blank; a blank reads badly in a listing.
            auto label = VeskNames::item (items(), value).trim();
            return label.isNotEmpty() ? label : (juce::isPositiveAndBelow (value, items().size()) ? "-" : outOfRange (value));
        }

        case Kind::plain:
        case Kind::wrapping:
        case Kind::limited:
        default: return juce::String (value);
    }
}

std::optional<int> Entry::parse (const juce::String& text) const
{
    switch (kind)
    {
        case Kind::signedKnob:
            if (auto v = wholeIn (text, -64, 63))
                return *v + 64;
            return std::nullopt;

        case Kind::choice: return itemIn (items(), text);
        case Kind::stepType: return itemIn (items(), text);
        case Kind::onOff:
        case Kind::vintage: return onOffIn (text);

        case Kind::tempo:
        {
            const auto bpm = numberIn (text, { "BPM" });
            const int tenthsOf = bpm.has_value() ? juce::roundToInt (*bpm * 10.0) : -1;

            if (! bpm.has_value() || std::abs (*bpm * 10.0 - tenthsOf) > 1.0e-6 || tenthsOf < 400 || tenthsOf > 2400)
                return std::nullopt;

            return tenthsOf;
        }

        case Kind::masterTune:
        {
            // Only the unit's 0.2 Hz steps: 440.1 is no value of the field.
            const auto hz = numberIn (text, { "Hz" });
            const int steps = hz.has_value() ? juce::roundToInt ((*hz * 10.0 - 4274.0) * 0.5) : -1;

            if (! hz.has_value() || steps < 0 || steps > 126 || std::abs ((4274.0 + 2.0 * steps) - *hz * 10.0) > 1.0e-6)
                return std::nullopt;

            return steps;
        }

        case Kind::midiChannel:
            if (text.trim().equalsIgnoreCase ("off"))
                return (int) System::channelOff;
            if (auto v = wholeIn (text, 0, 16))
                return *v == 0 ? (int) System::channelOff : *v - 1;
            return std::nullopt;

        case Kind::transpose:
            if (auto v = wholeIn (text, -12, 12, { "semitones", "semitone" }))
                return *v + 12;
            return std::nullopt;

        case Kind::bars:
            if (auto v = wholeIn (text, 1, 2, { "bars", "bar" }))
                return *v - 1;
            return std::nullopt;

        case Kind::stepsPerBar:
            if (auto v = wholeIn (text, 12, 16); v == 12 || v == 16)
                return *v == 16 ? 1 : 0;
            return std::nullopt;

        case Kind::leadNote: return noteIn (PartType::lead, text);
        case Kind::bassNote: return noteIn (PartType::bass, text);
        case Kind::gate: return wholeIn (text, 0, Pattern::maxGate);

        case Kind::rythmStepType:
            // As a listing prints it ("CA", "-" for the blank last label), or a
            // plain step name that means the same here; a Rythm step has no Tie or Slide.
            if (text.trim() == "-")
                return items().size() - 1;
            if (auto v = itemIn (items(), text))
                return v;
            if (auto v = itemIn (VeskNames::stepTypes(), text))
            {
                if (*v == StepType::normal)
                    return (int) VeskStepTypes::closed;
                if (*v == StepType::accent)
                    return (int) VeskStepTypes::closedAccent;
                if (*v == StepType::rest)
                    return (int) VeskStepTypes::empty;
            }
            return std::nullopt;

        case Kind::plain:
        case Kind::wrapping:
        case Kind::limited:
        default: return wholeIn (text, 0, 127);
    }
}

std::pair<int, int> Entry::storedRange() const noexcept
{
    if (kind == Kind::midiChannel)
        return { 0, System::channelOff };

    const int a = stored (lowest), b = stored (highest);
    return { std::min (a, b), std::max (a, b) };
}

int Entry::read (const juce::uint8* block, int offset) const noexcept
{
    return kind == Kind::tempo ? VeskPattern (block).tempo() : block[offset];
}
