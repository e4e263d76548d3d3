#include "VeskSoundTools.h"
#include "VeskFieldTable.h"
#include "VeskRandom.h"

#include <algorithm>

namespace
{
    using namespace VeskImage;
    using Kind = VeskFieldTable::Kind;
    using Refusal = VeskToolResult::Refusal;

    struct Shown
    {
        int offset, panel;
    };

    const std::vector<Shown>& shownBy (int partType)
    {
        using namespace Pattern;
        using P = VeskSoundTools::Panel;

        static const std::vector<Shown> lfo { { lfoRate, P::lfoPanel }, { lfoWave, P::lfoPanel }, { vibratoDepth, P::lfoPanel }, { filterLfoDepth, P::lfoPanel }, { amplifierLfoDepth, P::lfoPanel } };

        static const std::vector<Shown> synth {
            { wave, P::oscillatorPanel }, { toneOrKit, P::oscillatorPanel }, { filterCutoffOrBdLevel, P::filterPanel }, { filterResonanceOrSdLevel, P::filterPanel }, { filterDecayOrHhLevel, P::filterPanel }, { filterType, P::filterPanel }, { filterAttack, P::filterPanel }, { filterSustain, P::filterPanel }, { filterRelease, P::filterPanel }, { amplifierEnvDepth, P::amplifierPanel }, { amplifierAttack, P::amplifierPanel }, { amplifierDecay, P::amplifierPanel }, { amplifierSustain, P::amplifierPanel }, { amplifierRelease, P::amplifierPanel }, { level, P::outputPanel }, { pan, P::outputPanel }
        };

        auto join = [] (std::vector<Shown> fields)
        {
            fields.insert (fields.end(), lfo.begin(), lfo.end());
            fields.insert (fields.end(), synth.begin(), synth.end());
            std::sort (fields.begin(), fields.end(), [] (auto a, auto b)
                       { return a.offset < b.offset; });
            return fields;
        };

        static const auto lead = join ({ { tuneOrEffectParam1, P::effectPanel }, { envModOrEffectParam2, P::effectPanel }, { accentOrEffectParam3, P::effectPanel }, { vintageOrEffectType, P::effectPanel } });

        static const auto bass = join ({ { tuneOrEffectParam1, P::oscillatorPanel }, { envModOrEffectParam2, P::filterPanel }, { accentOrEffectParam3, P::amplifierPanel }, { vintageOrEffectType, P::effectPanel } });

        static const std::vector<Shown> rythm { { toneOrKit, P::oscillatorPanel }, { filterCutoffOrBdLevel, P::amplifierPanel }, { filterResonanceOrSdLevel, P::amplifierPanel }, { filterDecayOrHhLevel, P::amplifierPanel }, { level, P::outputPanel }, { pan, P::outputPanel } };

        static const std::vector<Shown> lineIn { { level, P::outputPanel } };
        static const std::vector<Shown> none;

        switch (partType)
        {
            case PartType::lineIn: return lineIn;
            case PartType::lead: return lead;
            case PartType::bass: return bass;
            case PartType::rythm: return rythm;
            default: return none;
        }
    }

    bool isChosen (Kind kind) { return kind == Kind::choice || kind == Kind::onOff || kind == Kind::vintage; }

    VeskToolResult countChangedFields (const std::uint8_t* before, VeskToolResult result)
    {
        for (size_t i = 0; i < result.record.size(); ++i)
            result.changed += result.record[i] != before[i] ? 1 : 0;

        return result;
    }

    int mix (int a, int b, int percent) { return (a * (100 - percent) + b * percent + 50) / 100; }
}

//==============================================================================
std::vector<int> VeskSoundTools::shownFields (int partType, int panels)
{
    std::vector<int> offsets;

    for (auto field : shownBy (partType))
        if ((field.panel & panels) != 0)
            offsets.push_back (field.offset);

    return offsets;
}

int VeskSoundTools::panelOf (int offset, int partType)
{
    for (auto field : shownBy (partType))
        if (field.offset == offset)
            return field.panel;

    return 0;
}

VeskToolResult VeskSoundTools::randomize (const std::uint8_t* record, std::uint64_t seed, int lockedPanels)
{
    auto result = VeskToolResult::of (record);
    VeskRandom random (seed);
    const int type = record[Pattern::type];

    for (auto field : shownBy (type))
    {
        // Drawn for a locked panel too, so a lock never changes what the other panels get.
        const auto range = VeskFieldTable::pattern (field.offset, type).storedRange();
        const int value = random.between (range.first, range.second);

        if ((field.panel & lockedPanels) == 0)
            result.record[(size_t) field.offset] = (std::uint8_t) value;
    }

    return countChangedFields (record, result);
}

VeskToolResult VeskSoundTools::mutate (const std::uint8_t* record, int percent, std::uint64_t seed, int lockedPanels)
{
    auto result = VeskToolResult::of (record);

    if (percent < 0 || percent > 100)
    {
        result.refusal = Refusal::percentOutOfRange;
        return result;
    }

    const int type = record[Pattern::type];
    std::vector<int> unlocked;

    for (auto field : shownBy (type))
        if ((field.panel & lockedPanels) == 0)
            unlocked.push_back (field.offset);

    const int numFields = (int) unlocked.size();
    VeskRandom random (seed);

    for (const int index : random.pick (percent == 0 ? 0 : std::max (1, (percent * numFields + 50) / 100), numFields))
    {
        const int offset = unlocked[(size_t) index];
        const auto& entry = VeskFieldTable::pattern (offset, type);
        const auto range = entry.storedRange();
        const int direction = random.chance (50) ? 1 : -1;
        const int by = isChosen (entry.kind) ? 1 : random.between (1, std::max (1, (range.second - range.first) / 10));
        auto& byte = result.record[(size_t) offset];
        const int old = std::clamp ((int) byte, range.first, range.second);
        const int moved = std::clamp (old + direction * by, range.first, range.second);

        // At an end it moves the other way; a switch simply flips.
        byte = (std::uint8_t) (moved != old ? moved : std::clamp (old - direction * by, range.first, range.second));
    }

    return countChangedFields (record, result);
}

VeskToolResult VeskSoundTools::blend (const std::uint8_t* a, const std::uint8_t* b, int percent)
{
    auto result = VeskToolResult::of (a);

    if (a[Pattern::type] != b[Pattern::type])
        result.refusal = Refusal::differentTypes;
    else if (percent < 0 || percent > 100)
        result.refusal = Refusal::percentOutOfRange;

    if (result.refused())
        return result;

    const int type = a[Pattern::type];
    auto& out = result.record;
    auto choose = [&] (int offset)
    { out[(size_t) offset] = percent < 50 ? a[offset] : b[offset]; };
    auto turn = [&] (int offset)
    { out[(size_t) offset] = (std::uint8_t) mix (a[offset], b[offset], percent); };

    for (auto field : shownBy (type))
    {
        if (isChosen (VeskFieldTable::pattern (field.offset, type).kind))
            choose (field.offset);
        else
            turn (field.offset);
    }

    for (int offset : { (int) Pattern::patternLength, (int) Pattern::stepsPerBar, (int) Pattern::loopCtrl })
        choose (offset);

    Pattern::storeTempo (out.data(), mix (Pattern::tempo (a), Pattern::tempo (b), percent));

    for (int step = 0; step < Pattern::numSteps; ++step)
    {
        turn (Pattern::stepNote + step);
        turn (Pattern::stepLevel + step);
        turn (Pattern::stepGate + step);
        choose (Pattern::stepType + step);
    }

    return countChangedFields (a, result);
}
