#pragma once

#include "model/VeskFields.h"

#include <vector>

/**
    What a whole-unit transfer tells the person who started it, as a value
    the window reads: each block's outcome, the block in hand, and the
    summary at the end. VeskTransfer fills it in as it goes.
*/
struct VeskTransferReport
{
    enum class Kind
    {
        getAll,
        sendAll,
        verify
    };

    struct BlockResult
    {
        enum class Status
        {
            waiting, // not reached
            done, // arrived, or sent
            skipped // no good answer after every try
        };

        VeskBlock block = VeskBlock::system();
        Status status = Status::waiting;
        juce::StringArray failedTries; // "no answer", "bad checksum" ... one per try that failed
    };

    Kind kind = Kind::getAll;
    bool finished = false;
    bool cancelled = false;
    int current = 0; // index into blocks of the block in hand (or reached when cancelled)
    int attempt = 1; // of the block in hand
    std::vector<BlockResult> blocks;
    std::vector<VeskFields::Difference> differences; // Verify: library -> unit, blocks that arrived
    std::vector<VeskBlock> ignored; // blocks of the dumps nobody asked for while it ran, in arrival order
    bool libraryChangedBesides = false; // something else (knobs on the unit) changed the library meanwhile

    int numDone() const;

    /** What a person reads at the end. */
    juce::String summary() const;

    /** "User 05 (7 of 22)" for the block in hand. */
    juce::String progressText() const;

    /** Blocks in transfer order. */
    static std::vector<VeskBlock> blockOrder (Kind kind);

    static juce::String title (Kind kind);
};
