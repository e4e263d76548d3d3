#pragma once

#include "model/VeskBlock.h"
#include "model/VeskField.h"

#include <juce_core/juce_core.h>

#include <vector>

/**
    The library's undo history: what each step changed, byte by byte (image
    offset, before, after), never whole images, so a thousand knob steps take
    a few hundred kilobytes and undoing a whole transfer touches only the
    bytes it changed.

    A step is either edits of fields of one block (the system block or one
    pattern record), sent back as edits of those fields, or whole blocks
    (a transfer, an import), sent back as whole records.

    The history also knows where the library stood when it was last saved,
    so undoing back there leaves the library unchanged.
*/
class VeskHistory
{
public:
    VeskHistory();
    ~VeskHistory();

    struct Change
    {
        juce::uint16 offset; // in the image
        juce::uint8 before, after;
    };

    struct Step
    {
        juce::String name; // "Cutoff", "Step 5 Note", "Get All From Unit"
        bool wholeBlocks = false;
        VeskBlock block = VeskBlock::system(); // of a field step
        std::vector<VeskField> fields; // of a field step, in the order first edited
        std::vector<Change> changes; // ascending offsets
        double lastEdit = 0.0; // clock time of the last edit merged into it
        int gesture = 0; // the gesture it was made in; 0 for none
        juce::uint64 serial = 0;

        /** The blocks the changes fall in, in image order. */
        std::vector<VeskBlock> blocks() const;

        /** The memory the step holds, for the benchmark and the limit. */
        size_t bytesUsed() const noexcept;
    };

    static constexpr int maxSteps = 1000;

    /** A new step on top; the steps that could be redone are gone, and past
        maxSteps the oldest goes. A step without changes is not kept. */
    void add (Step step);

    /** The step the next edit may merge into: the last one added, unless the
        library was saved, or a step undone or redone, since. */
    Step* stepToExtend() noexcept;

    /** After a step was extended: it has a new state, and loses the changes
        that came back to where they began (false when nothing is left of it,
        and then it is gone). */
    bool extended();

    const Step* nextUndo() const noexcept;
    const Step* nextRedo() const noexcept;

    /** Moves over the next undo or redo step; the caller writes its bytes. */
    void stepBack() noexcept;
    void stepForward() noexcept;

    /** Forgets every step (a new or opened library): as saved. */
    void clear();

    void markSaved() noexcept
    {
        savedState = currentState();
        lastStepOpen = false;
    }
    bool isAtSavedState() const noexcept { return savedState == currentState(); }

    int getNumSteps() const noexcept { return (int) steps.size(); }
    int getNumDone() const noexcept { return numDone; }
    size_t bytesUsed() const noexcept;

    /** Writes the before (undo) or after (redo) bytes of a step into image. */
    static void writeBack (const Step& step, juce::uint8* image, bool undoing) noexcept;

    /** The changes between two images within the given blocks. */
    static std::vector<Change> differences (const juce::uint8* before, const juce::uint8* after, const std::vector<VeskBlock>& blocks);

private:
    juce::uint64 currentState() const noexcept { return numDone > 0 ? steps[(size_t) numDone - 1].serial : baseState; }

    std::vector<Step> steps;
    int numDone = 0;
    bool lastStepOpen = false; // the last step added takes the next edits that merge
    juce::uint64 nextSerial = 1, baseState = 0, savedState = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskHistory)
};
