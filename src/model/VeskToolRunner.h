#pragma once

#include "VeskToolSettings.h"

#include <utility>

/**
    The pattern tools as the window's Steps menu and vesk's transform and
    generate run them: which tool, the settings it takes, what it makes of a
    record, and why it refused, each decided here once. The window keeps its
    menus, windows and undo names; vesk its arguments, output and exit codes.
*/
struct VeskToolRunner
{
    enum class Tool
    {
        rotate,
        reverse,
        transpose,
        doubleLength,
        clear,
        humanize,
        randomize,
        mutate,
        euclid,
        randomizeSound,
        mutateSound,
        blend
    };

    /** The settings a tool reads, as a bit mask; it ignores the others. */
    enum Takes : int
    {
        takesSeed = 1,
        takesLanes = 2, // lockedLanes
        takesPanels = 4, // lockedPanels
        takesAmount = 8,
        takesShift = 16,
        takesScale = 32, // the scale and its root
        takesDensity = 64,
        takesCycle = 128 // hits, steps, rotation and note
    };

    static int settingsOf (Tool tool) noexcept;
    static bool takes (Tool tool, Takes setting) noexcept { return (settingsOf (tool) & setting) != 0; }

    /** The amount a tool takes: Humanize's 0-127, the others' percent. */
    static std::pair<int, int> amountRange (Tool tool) noexcept;

    /** tool over record as settings ask; Blend mixes mixedIn into record. */
    static VeskToolResult run (Tool tool, const std::uint8_t* record, const VeskToolSettings& settings,
                               const std::uint8_t* mixedIn = nullptr);

    /** Why tool refused record with settings, in one sentence without its
        end that names the pattern as patternName; empty for none. */
    static juce::String whyRefused (Tool tool, VeskToolResult::Refusal refusal, const std::uint8_t* record,
                                    const VeskToolSettings& settings, const juce::String& patternName);
};
