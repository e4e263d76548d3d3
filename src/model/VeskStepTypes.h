#pragma once

#include "VeskImage.h"

/**
    What a step-type byte plays, which depends on the pattern's type. A Lead
    or Bass step is Normal, Tie, Slide, Rest or Accent (0-4). A Rythm step is
    what the step grid labels it: a closed hit ("C "), an open hit ("O "),
    either one accented ("CA", "OA"), or empty (the blank label, 4). A Rythm
    step has no Tie or Slide: each hit is its own. Bytes past 4 play nothing.

    Every tool, the MIDI files and the collection's fingerprint read steps
    through here, so they agree with what the grid shows.
*/
struct VeskStepTypes
{
    enum Rythm : int
    {
        closed = 0,
        open,
        closedAccent,
        openAccent,
        empty
    };

    static constexpr bool isRythm (int partType) noexcept { return partType == VeskImage::PartType::rythm; }

    /** False for Line In, which plays the input: its step bytes are kept but never heard. */
    static constexpr bool hasSteps (int partType) noexcept { return partType != VeskImage::PartType::lineIn; }

    /** The byte of a step that plays nothing: a Rest, or an empty Rythm step. */
    static constexpr int silent (int partType) noexcept { return isRythm (partType) ? (int) empty : (int) VeskImage::StepType::rest; }

    /** The byte of a plain note or hit: Normal, or a closed hit. */
    static constexpr int plain (int partType) noexcept { return isRythm (partType) ? (int) closed : (int) VeskImage::StepType::normal; }

    /** True when the step starts a sound of its own (a Tie holds the one before). */
    static constexpr bool starts (int partType, int type) noexcept
    {
        using namespace VeskImage;
        return isRythm (partType) ? type >= closed && type < empty
                                  : type == StepType::normal || type == StepType::slide || type == StepType::accent;
    }

    static constexpr bool accented (int partType, int type) noexcept
    {
        return isRythm (partType) ? type == closedAccent || type == openAccent : type == VeskImage::StepType::accent;
    }

    /** An open Rythm hit; no Lead or Bass step is. */
    static constexpr bool isOpen (int partType, int type) noexcept { return isRythm (partType) && (type == open || type == openAccent); }

    /** A Tie, which holds the note before it: Lead and Bass only. */
    static constexpr bool holds (int partType, int type) noexcept { return ! isRythm (partType) && type == VeskImage::StepType::tie; }

    /** A Slide, which runs into the next note: Lead and Bass only. */
    static constexpr bool slides (int partType, int type) noexcept { return ! isRythm (partType) && type == VeskImage::StepType::slide; }

    /** The byte of a Rythm hit. */
    static constexpr int rythmHit (bool isAccented, bool isOpenHit) noexcept
    {
        return isOpenHit ? (isAccented ? openAccent : open) : (isAccented ? closedAccent : closed);
    }
};
