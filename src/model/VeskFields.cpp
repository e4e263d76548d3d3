#include "VeskFields.h"
#include "VeskFieldTable.h"

#include <cstring>

using namespace VeskImage;

const std::vector<VeskFields::Field>& VeskFields::systemFields()
{
    static const std::vector<Field> fields {
        { "masterTune", System::masterTune },
        { "receiveProgramChange", System::receiveProgramChange },
        { "receiveControlChange", System::receiveControlChange },
        { "receivePitchBend", System::receivePitchBend },
        { "midiChannel", System::midiChannel },
        { "transmitProgramChange", System::transmitProgramChange },
        { "transpose", System::transpose },
    };

    return fields;
}

const std::vector<VeskFields::Field>& VeskFields::patternFields()
{
    using namespace Pattern;

    static const std::vector<Field> fields {
        { "tempoHigh", tempoHigh },
        { "tempoLow", tempoLow },
        { "patternLength", patternLength },
        { "stepsPerBar", stepsPerBar },
        { "loopCtrl", loopCtrl },
        { "type", type },
        { "toneOrKit", toneOrKit },
        { "tuneOrEffectParam1", tuneOrEffectParam1 },
        { "envModOrEffectParam2", envModOrEffectParam2 },
        { "accentOrEffectParam3", accentOrEffectParam3 },
        { "filterCutoffOrBdLevel", filterCutoffOrBdLevel },
        { "filterResonanceOrSdLevel", filterResonanceOrSdLevel },
        { "filterDecayOrHhLevel", filterDecayOrHhLevel },
        { "level", level },
        { "pan", pan },
        { "lfoRate", lfoRate },
        { "lfoWave", lfoWave },
        { "wave", wave },
        { "vibratoDepth", vibratoDepth },
        { "filterType", filterType },
        { "filterAttack", filterAttack },
        { "filterSustain", filterSustain },
        { "filterRelease", filterRelease },
        { "filterLfoDepth", filterLfoDepth },
        { "amplifierEnvDepth", amplifierEnvDepth },
        { "amplifierAttack", amplifierAttack },
        { "amplifierDecay", amplifierDecay },
        { "amplifierSustain", amplifierSustain },
        { "amplifierRelease", amplifierRelease },
        { "amplifierLfoDepth", amplifierLfoDepth },
        { "vintageOrEffectType", vintageOrEffectType },
    };

    return fields;
}

const std::vector<VeskFields::Field>& VeskFields::stepFields()
{
    static const std::vector<Field> fields {
        { "stepNote", Pattern::stepNote },
        { "stepLevel", Pattern::stepLevel },
        { "stepGate", Pattern::stepGate },
        { "stepType", Pattern::stepType },
    };

    return fields;
}

juce::String VeskFields::systemValue (const juce::uint8* block, int offset)
{
    return VeskFieldTable::system (offset).textAt (block, offset);
}

juce::String VeskFields::patternValue (const juce::uint8* record, int offset)
{
    return VeskFieldTable::pattern (offset, record).textAt (record, offset);
}

juce::String VeskFields::systemFieldName (int offset)
{
    for (auto& field : systemFields())
        if (field.offset == offset)
            return field.name;

    return "reserved " + juce::String (offset);
}

juce::String VeskFields::patternFieldName (int offset)
{
    if (! juce::isPositiveAndBelow (offset, patternSize))
        return {};

    if (offset < Pattern::stepNote)
        return patternFields()[(size_t) offset].name;

    const int array = (offset - Pattern::stepNote) / Pattern::numSteps;
    const int step = (offset - Pattern::stepNote) % Pattern::numSteps + 1;
    return juce::String (stepFields()[(size_t) array].name) + " " + juce::String (step);
}

std::optional<VeskField> VeskFields::named (const juce::String& name, bool system)
{
    const auto wanted = name.trim();

    if (system)
    {
        for (auto& field : systemFields())
            if (wanted.equalsIgnoreCase (field.name))
                return VeskField::system (field.offset);

        return std::nullopt;
    }

    if (wanted.equalsIgnoreCase ("tempo"))
        return VeskField::tempo();

    for (auto& field : patternFields())
        if (wanted.equalsIgnoreCase (field.name))
            return VeskField::pattern (field.offset);

    for (auto& field : stepFields())
    {
        const auto step = wanted.substring ((int) std::strlen (field.name)).trim();

        if (wanted.startsWithIgnoreCase (field.name) && step.isNotEmpty() && step.containsOnly ("0123456789") && step.length() <= 2
            && juce::isPositiveAndNotGreaterThan (step.getIntValue(), Pattern::numSteps) && step.getIntValue() > 0)
            return VeskField::step (field.offset, step.getIntValue() - 1);
    }

    return std::nullopt;
}

std::vector<VeskFields::Difference> VeskFields::differences (const juce::uint8* a, const juce::uint8* b)
{
    std::vector<Difference> result;

    for (int offset = 0; offset < systemBlockSize; ++offset)
        if (a[offset] != b[offset])
            result.push_back ({ VeskBlock::system(), VeskBlock::system().name(), systemFieldName (offset), systemValue (a, offset), systemValue (b, offset) });

    for (const auto record : VeskBlock::patterns())
    {
        auto* recordA = a + record.imageOffset();
        auto* recordB = b + record.imageOffset();

        for (int offset = 0; offset < patternSize; ++offset)
            if (recordA[offset] != recordB[offset])
                result.push_back ({ record, record.name(), patternFieldName (offset),
                                    patternValue (recordA, offset), patternValue (recordB, offset) });
    }

    for (int offset = reservedAreaOffset; offset < imageSize; ++offset)
        if (a[offset] != b[offset])
            result.push_back ({ std::nullopt, "Reserved", "image offset " + juce::String (offset),
                                juce::String (a[offset]), juce::String (b[offset]) });

    return result;
}

//==============================================================================
namespace
{
    juce::String patternControlName (int offset, int partType)
    {
        using namespace VeskImage::Pattern;
        const bool rythm = partType == VeskImage::PartType::rythm;
        const bool bass = partType == VeskImage::PartType::bass;

        if (offset >= stepNote && offset < stepNote + 4 * numSteps)
        {
            static const char* const arrays[] = { "Note", "Velocity", "Gate", "Type" };
            const int array = (offset - stepNote) / numSteps;
            return "Step " + juce::String ((offset - stepNote) % numSteps + 1) + " " + arrays[array];
        }

        switch (offset)
        {
            case tempoHigh:
            case tempoLow: return "Tempo";
            case patternLength: return "Length";
            case stepsPerBar: return "Scale";
            case loopCtrl: return "Loop Control";
            case type: return "Type";
            case toneOrKit: return rythm ? "Kit" : "Tone";
            case tuneOrEffectParam1: return bass ? "Tune" : "Effect Param 1";
            case envModOrEffectParam2: return bass ? "Env Mod" : "Effect Param 2";
            case accentOrEffectParam3: return bass ? "Accent" : "Effect Param 3";
            case filterCutoffOrBdLevel: return rythm ? "BD Level" : "Cutoff";
            case filterResonanceOrSdLevel: return rythm ? "SD Level" : "Resonance";
            case filterDecayOrHhLevel: return rythm ? "HH Level" : "Filter Decay";
            case level: return "Level";
            case pan: return "Pan";
            case lfoRate: return "LFO Rate";
            case lfoWave: return "LFO Wave";
            case wave: return "Wave";
            case vibratoDepth: return "Vibrato Depth";
            case filterType: return "Filter Type";
            case filterAttack: return "Filter Attack";
            case filterSustain: return "Filter Sustain";
            case filterRelease: return "Filter Release";
            case filterLfoDepth: return "Filter LFO Depth";
            case amplifierEnvDepth: return "Amp Env Depth";
            case amplifierAttack: return "Amp Attack";
            case amplifierDecay: return "Amp Decay";
            case amplifierSustain: return "Amp Sustain";
            case amplifierRelease: return "Amp Release";
            case amplifierLfoDepth: return "Amp LFO Depth";
            case vintageOrEffectType: return bass ? "Vintage" : "Effect Type";
            default: return VeskFields::patternFieldName (offset);
        }
    }

    juce::String systemControlName (int offset)
    {
        using namespace VeskImage::System;

        switch (offset)
        {
            case masterTune: return "Master Tune";
            case receiveProgramChange: return "Receive Program Change";
            case receiveControlChange: return "Receive Control Change";
            case receivePitchBend: return "Receive Pitch Bend";
            case midiChannel: return "MIDI Channel";
            case transmitProgramChange: return "Transmit Program Change";
            case transpose: return "Transpose";
            default: return VeskFields::systemFieldName (offset);
        }
    }
}

juce::String VeskFields::controlName (VeskField field, const juce::uint8* record)
{
    return field.isSystem() ? systemControlName (field.offset)
                            : patternControlName (field.offset, record[VeskImage::Pattern::type]);
}
