#include "VeskToolRunner.h"
#include "VeskSoundTools.h"

int VeskToolRunner::settingsOf (Tool tool) noexcept
{
    switch (tool)
    {
        case Tool::rotate:
        case Tool::transpose: return takesShift;
        case Tool::humanize: return takesSeed | takesLanes | takesAmount;
        case Tool::randomize: return takesSeed | takesLanes | takesScale | takesDensity;
        case Tool::mutate: return takesSeed | takesLanes | takesAmount | takesScale;
        case Tool::euclid: return takesCycle;
        case Tool::randomizeSound: return takesSeed | takesPanels;
        case Tool::mutateSound: return takesSeed | takesPanels | takesAmount;
        case Tool::blend: return takesAmount;
        case Tool::reverse:
        case Tool::doubleLength:
        case Tool::clear: break;
    }

    return 0;
}

std::pair<int, int> VeskToolRunner::amountRange (Tool tool) noexcept
{
    return { 0, tool == Tool::humanize ? 127 : 100 };
}

VeskToolResult VeskToolRunner::run (Tool tool, const std::uint8_t* record, const VeskToolSettings& settings, const std::uint8_t* mixedIn)
{
    using Steps = VeskStepTools;
    const auto seed = settings.seed;
    const auto lanes = settings.lockedLanes;

    switch (tool)
    {
        case Tool::rotate: return Steps::rotate (record, settings.shift);
        case Tool::reverse: return Steps::reverse (record);
        case Tool::transpose: return Steps::transpose (record, settings.shift);
        case Tool::doubleLength: return Steps::doubleLength (record);
        case Tool::clear: return Steps::clear (record);
        case Tool::humanize: return Steps::humanize (record, settings.amount, seed, lanes);
        case Tool::mutate: return Steps::mutate (record, settings.amount, seed, lanes, settings.scale, settings.root);
        case Tool::euclid: return Steps::euclid (record, settings.hits, settings.steps, settings.rotation, settings.note);
        case Tool::randomizeSound: return VeskSoundTools::randomize (record, seed, settings.lockedPanels);
        case Tool::mutateSound: return VeskSoundTools::mutate (record, settings.amount, seed, settings.lockedPanels);

        case Tool::randomize:
        {
            Steps::RandomizeOptions options;
            options.scale = settings.scale;
            options.root = settings.root;
            options.density = settings.density;
            return Steps::randomize (record, options, seed, lanes);
        }

        case Tool::blend:
            jassert (mixedIn != nullptr);

            if (mixedIn != nullptr)
                return VeskSoundTools::blend (record, mixedIn, settings.amount);

            break;
    }

    return VeskToolResult::of (record);
}

juce::String VeskToolRunner::whyRefused (Tool tool, VeskToolResult::Refusal refusal, const std::uint8_t* record,
                                         const VeskToolSettings& settings, const juce::String& patternName)
{
    using Refusal = VeskToolResult::Refusal;
    const auto steps = juce::String (settings.steps);

    switch (refusal)
    {
        case Refusal::noSteps: return patternName + " is a Line In pattern: it has no steps to change";
        case Refusal::alreadyTwoBars: return patternName + " already has 2 bars: doubling it would lose its second bar";
        case Refusal::stepsOverPlayed:
            return patternName + " plays " + juce::String (VeskImage::Pattern::playedSteps (record)) + " steps: a cycle of " + steps + " does not fit";
        case Refusal::hitsOverSteps: return juce::String (settings.hits) + " hits do not fit in a cycle of " + steps;
        case Refusal::tooFewSteps: return "A cycle needs at least one step";
        case Refusal::noteOutOfRange: return "A note lies from 0 to 127";
        case Refusal::differentTypes: return "Only two patterns of the same type can be blended";
        case Refusal::percentOutOfRange:
            return "The amount lies from " + juce::String (amountRange (tool).first) + " to " + juce::String (amountRange (tool).second);
        case Refusal::none: break;
    }

    return {};
}
