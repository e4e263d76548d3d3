#include "model/VeskFieldTable.h"
#include "model/VeskFields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

using namespace VeskImage;

namespace
{
    /** A record of partType holding stored at offset (the tempo at either of its bytes). */
    std::array<juce::uint8, patternSize> recordWith (int partType, int offset, int stored)
    {
        std::array<juce::uint8, patternSize> record {};
        std::copy (defaults.begin() + temporaryPatternOffset, defaults.begin() + temporaryPatternOffset + patternSize, record.begin());
        record[Pattern::type] = (juce::uint8) partType;

        if (offset <= Pattern::tempoLow)
            Pattern::storeTempo (record.data(), stored);
        else
            record[(size_t) offset] = (juce::uint8) stored;

        return record;
    }

    /** Checks one field at the ends of its control's range and beyond them; text is how
        the listings print the stored value in its block. */
    void checkField (const VeskFieldTable::Entry& field, const std::function<juce::String (int)>& text)
    {
        const int mostStored = field.kind == VeskFieldTable::Kind::tempo ? 0x3FFF : 127;

        for (double end : { field.lowest, field.highest })
        {
            SCOPED_TRACE ("control at " + juce::String (end).toStdString());
            const int stored = field.stored (end);
            ASSERT_GE (stored, 0);
            ASSERT_LE (stored, mostStored);
            EXPECT_NEAR (field.shown (stored), end, 1.0e-9);
            EXPECT_FALSE (field.text (stored).contains ("out of range")) << field.text (stored);
            EXPECT_EQ (text (stored), field.text (stored));
        }

        const double past[] = { field.lowest - field.interval, field.highest + field.interval, -1.0e12, 1.0e12,
                                std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity() };

        for (double beyond : past)
        {
            SCOPED_TRACE ("control at " + juce::String (beyond).toStdString());
            const int stored = field.stored (beyond);
            ASSERT_GE (stored, 0);
            ASSERT_LE (stored, mostStored);
            EXPECT_GE (field.shown (stored), field.lowest - 1.0e-9);
            EXPECT_LE (field.shown (stored), field.highest + 1.0e-9);
            EXPECT_FALSE (field.text (stored).contains ("out of range")) << field.text (stored);
        }
    }
}

TEST (VeskFieldTable, EverySystemFieldRoundTripsAndStaysInRange)
{
    for (int offset = 0; offset < systemBlockSize; ++offset)
    {
        SCOPED_TRACE (VeskFields::systemFieldName (offset).toStdString());
        checkField (VeskFieldTable::system (offset), [offset] (int stored)
                    {
                        std::array<juce::uint8, systemBlockSize> block {};
                        block[(size_t) offset] = (juce::uint8) stored;
                        return VeskFields::systemValue (block.data(), offset); });
    }
}

TEST (VeskFieldTable, EveryFieldOfEveryTypeRoundTripsAndStaysInRange)
{
    // Every type the unit has, and a byte that names none.
    for (int partType = 0; partType <= PartType::numTypes; ++partType)
    {
        for (int offset = 0; offset < patternSize; ++offset)
        {
            SCOPED_TRACE ("type " + juce::String (partType).toStdString() + ", " + VeskFields::patternFieldName (offset).toStdString());
            checkField (VeskFieldTable::pattern (offset, partType), [partType, offset] (int stored)
                        {
                            const auto record = recordWith (partType, offset, stored);
                            return VeskFields::patternValue (record.data(), offset); });
        }
    }
}

TEST (VeskFieldTable, ControlValuesAsTheUnitTakesThem)
{
    using namespace Pattern;
    constexpr int system = -1, anyType = PartType::lineIn;

    struct Case
    {
        const char* what;
        int partType; // system for a system field
        int offset;
        double control;
        int stored;
        double shown;
        const char* text;
    };

    const Case cases[] = {
        { "master tune, lowest", system, System::masterTune, 427.4, 0, 427.4, "427.4 Hz" },
        { "master tune, 440 Hz a hair low", system, System::masterTune, 439.99999, 63, 440.0, "440.0 Hz" },
        { "master tune, highest", system, System::masterTune, 452.6, 126, 452.6, "452.6 Hz" },
        { "master tune, beyond the top", system, System::masterTune, 470.0, 126, 452.6, "452.6 Hz" },
        { "channel off", system, System::midiChannel, 0.0, 16, 0.0, "off" },
        { "channel 16", system, System::midiChannel, 16.0, 15, 16.0, "16" },
        { "channel past 16 is off", system, System::midiChannel, 17.0, 16, 0.0, "off" },
        { "transpose, lowest", system, System::transpose, -12.0, 0, -12.0, "-12 semitones" },
        { "transpose, beyond the top", system, System::transpose, 13.0, 24, 12.0, "+12 semitones" },
        { "a switch", system, System::receivePitchBend, 1.0, 1, 1.0, "on" },
        { "tempo, lowest", anyType, tempoLow, 40.0, 400, 40.0, "40.0 BPM" },
        { "tempo, tenths dropped", anyType, tempoHigh, 130.7, 1300, 130.0, "130.0 BPM" },
        { "tempo, beyond the top", anyType, tempoHigh, 300.0, 2400, 240.0, "240.0 BPM" },
        { "tempo, below the bottom", anyType, tempoHigh, 1.0, 400, 40.0, "40.0 BPM" },
        { "two bars", anyType, patternLength, 2.0, 1, 2.0, "2 bars" },
        { "12 steps", anyType, stepsPerBar, 12.0, 0, 12.0, "12" },
        { "loop control, beyond the list", anyType, loopCtrl, 4.0, 3, 3.0, "Divide" },
        { "loop control, before the list", anyType, loopCtrl, -1.0, 0, 0.0, "Off" },
        { "pan wraps past the top", PartType::lead, pan, 64.0, 0, -64.0, "-64" },
        { "pan wraps below the bottom", PartType::rythm, pan, -65.0, 127, 63.0, "+63" },
        { "Bass tune is signed", PartType::bass, tuneOrEffectParam1, -54.0, 10, -54.0, "-54" },
        { "Lead effect 1 is plain and wraps", PartType::lead, tuneOrEffectParam1, 128.0, 0, 0.0, "0" },
        { "cutoff stops at the top", PartType::lead, filterCutoffOrBdLevel, 1000.0, 127, 127.0, "127" },
        { "BD level stops at the bottom", PartType::rythm, filterCutoffOrBdLevel, -5.0, 0, 0.0, "0" },
        { "Rythm kit", PartType::rythm, toneOrKit, 9.0, 9, 9.0, "Latin Perc." },
        { "Lead effect type", PartType::lead, vintageOrEffectType, 10.0, 10, 10.0, "OFF" },
        { "Bass vintage on", PartType::bass, vintageOrEffectType, 1.0, 1, 1.0, "on" },
        { "Lead note, lowest", PartType::lead, stepNote, 0.0, 0, 0.0, "C -1" },
        { "Bass note, highest", PartType::bass, stepNote + 31, 127.0, 127, 127.0, "G  6" },
        { "gate stops at 105", anyType, stepGate + 3, 106.0, 105, 105.0, "105" },
        { "step type wraps past Accent", PartType::lead, stepType, 5.0, 0, 0.0, "Normal" },
        { "Rythm step type wraps before the first", PartType::rythm, stepType + 7, -1.0, 4, 4.0, "-" },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto& field = c.partType == system ? VeskFieldTable::system (c.offset) : VeskFieldTable::pattern (c.offset, c.partType);
        EXPECT_EQ (field.stored (c.control), c.stored);
        EXPECT_NEAR (field.shown (c.stored), c.shown, 1.0e-9);
        EXPECT_EQ (field.text (c.stored), c.text);
    }
}

TEST (VeskFieldTable, DamagedBytesShowAtAnEndAndReadAsOutOfRange)
{
    using namespace Pattern;

    struct Case
    {
        const char* what;
        const VeskFieldTable::Entry& field;
        int stored;
        double shown;
        const char* text;
    };

    const Case cases[] = {
        { "master tune 127", VeskFieldTable::system (System::masterTune), 127, 452.8, "127 (out of range)" },
        { "channel byte 40 is off", VeskFieldTable::system (System::midiChannel), 40, 0.0, "40 (out of range)" },
        { "a system switch at 2 shows on", VeskFieldTable::system (System::receiveControlChange), 2, 1.0, "2 (out of range)" },
        { "the vintage switch at 2 shows off", VeskFieldTable::pattern (vintageOrEffectType, PartType::bass), 2, 0.0, "2 (out of range)" },
        { "a length of 3 shows two bars", VeskFieldTable::pattern (patternLength, PartType::lead), 3, 2.0, "3 (out of range)" },
        { "a type past Slicer", VeskFieldTable::pattern (type, PartType::lead), 8, 8.0, "8 (out of range)" },
        { "a Rythm step type past the labels", VeskFieldTable::pattern (stepType, PartType::rythm), 7, 7.0, "7 (out of range)" },
        { "a gate past 105", VeskFieldTable::pattern (stepGate, PartType::bass), 120, 120.0, "120 (out of range)" },
        { "a tempo past 240 BPM", VeskFieldTable::pattern (tempoHigh, PartType::lead), 16383, 1638.3, "16383 (out of range)" },
        { "a tempo below 40 BPM", VeskFieldTable::pattern (tempoLow, PartType::rythm), 399, 39.9, "399 (out of range)" },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        EXPECT_NEAR (c.field.shown (c.stored), c.shown, 1.0e-9);
        EXPECT_EQ (c.field.text (c.stored), c.text);
    }
}

TEST (VeskFieldTable, EveryTextReadsBackAsItsStoredValue)
{
    std::vector<std::pair<juce::String, const VeskFieldTable::Entry*>> fields;

    for (int offset = 0; offset < systemBlockSize; ++offset)
        fields.push_back ({ "system " + juce::String (offset), &VeskFieldTable::system (offset) });

    for (int type = 0; type < PartType::numTypes; ++type)
        for (int offset = 0; offset < patternSize; ++offset)
            fields.push_back ({ "type " + juce::String (type) + " offset " + juce::String (offset), &VeskFieldTable::pattern (offset, type) });

    for (const auto& [name, field] : fields)
    {
        SCOPED_TRACE (name);
        const auto range = field->storedRange();
        const int step = field->kind == VeskFieldTable::Kind::tempo ? 10 : 1; // whole tenths only as vesk show prints them

        for (int stored = range.first; stored <= range.second; stored += step)
            ASSERT_EQ (field->parse (field->text (stored)), stored) << field->text (stored);

        EXPECT_FALSE (field->parse (juce::String (range.second + (field->kind == VeskFieldTable::Kind::midiChannel ? 2 : 1) + 1000)).has_value());
        EXPECT_FALSE (field->parse ("").has_value());
        EXPECT_FALSE (field->parse ("nonsense").has_value());
    }
}

TEST (VeskFieldTable, TextsAsAPersonTypesThem)
{
    using namespace Pattern;
    const auto& lead = [] (int offset) -> const VeskFieldTable::Entry&
    { return VeskFieldTable::pattern (offset, PartType::lead); };

    const std::tuple<const VeskFieldTable::Entry&, const char*, std::optional<int>> cases[] = {
        { lead (tempoHigh), "120", 1200 },
        { lead (tempoHigh), "120.5 bpm", 1205 },
        { lead (tempoHigh), "39.9", std::nullopt },
        { lead (tempoHigh), "120.55", std::nullopt },
        { VeskFieldTable::system (System::masterTune), "440", 63 },
        { VeskFieldTable::system (System::masterTune), "440.1 Hz", std::nullopt },
        { lead (type), "rythm", PartType::rythm },
        { lead (type), "Rythmx", std::nullopt },
        { lead (patternLength), "2", 1 },
        { lead (patternLength), "3 bars", std::nullopt },
        { lead (pan), "-64", 0 },
        { lead (pan), "+63", 127 },
        { lead (pan), "64", std::nullopt },
        { lead (stepNote), "C#4", 61 },
        { lead (stepNote), "c -1", 0 },
        { VeskFieldTable::pattern (stepNote, PartType::bass), "C1", 60 },
        { lead (stepGate), "106", std::nullopt },
        { lead (stepType), "slide", StepType::slide },
        // A Rythm step by its label, or by a plain step name that means the same there.
        { VeskFieldTable::pattern (stepType, PartType::rythm), "OA", 3 },
        { VeskFieldTable::pattern (stepType, PartType::rythm), "Accent", 2 },
        { VeskFieldTable::pattern (stepType, PartType::rythm), "rest", 4 },
        { VeskFieldTable::pattern (stepType, PartType::rythm), "Tie", std::nullopt },
        { VeskFieldTable::system (System::midiChannel), "off", System::channelOff },
        { VeskFieldTable::system (System::midiChannel), "1", 0 },
        { VeskFieldTable::system (System::transpose), "-13", std::nullopt },
        { lead (level), "1e2", std::nullopt },
        { lead (level), "--5", std::nullopt },
    };

    for (const auto& [field, text, expected] : cases)
    {
        SCOPED_TRACE (text);
        EXPECT_EQ (field.parse (text), expected);
    }
}

TEST (VeskFieldTable, TheControllersAreTheirFieldsBothWaysOnEveryType)
{
    std::set<int> controllers, offsets;

    for (int controller = -1; controller < 128; ++controller)
    {
        const int offset = VeskFieldTable::offsetForController (controller);

        if (offset < 0)
            continue;

        controllers.insert (controller);
        offsets.insert (offset);

        for (int type = 0; type <= PartType::numTypes; ++type)
            EXPECT_EQ (VeskFieldTable::pattern (offset, type).controller, controller) << type;
    }

    // The unit takes eight sound fields as controllers, one controller each, and nothing else.
    EXPECT_EQ (controllers.size(), 8u);
    EXPECT_EQ (offsets.size(), 8u);

    for (int offset = 0; offset < patternSize; ++offset)
        EXPECT_EQ (VeskFieldTable::pattern (offset, PartType::bass).controller >= 0, offsets.count (offset) == 1) << offset;
}
