#include "VeskHistory.h"

#include <algorithm>

VeskHistory::VeskHistory() = default;
VeskHistory::~VeskHistory() = default;

std::vector<VeskBlock> VeskHistory::Step::blocks() const
{
    std::vector<VeskBlock> result;

    for (auto& change : changes)
    {
        const auto changed = VeskBlock::containing (change.offset);

        if (changed.has_value() && (result.empty() || result.back() != *changed))
            result.push_back (*changed);
    }

    return result;
}

size_t VeskHistory::Step::bytesUsed() const noexcept
{
    return sizeof (Step) + changes.capacity() * sizeof (Change) + fields.capacity() * sizeof (VeskField)
           + name.getNumBytesAsUTF8() + 1;
}

size_t VeskHistory::bytesUsed() const noexcept
{
    size_t total = sizeof (*this) + (steps.capacity() - steps.size()) * sizeof (Step);

    for (auto& step : steps)
        total += step.bytesUsed();

    return total;
}

void VeskHistory::add (Step step)
{
    if (step.changes.empty())
        return;

    steps.erase (steps.begin() + numDone, steps.end());
    step.serial = nextSerial++;
    steps.push_back (std::move (step));

    if ((int) steps.size() > maxSteps)
    {
        baseState = steps.front().serial;
        steps.erase (steps.begin());
    }

    numDone = (int) steps.size();
    lastStepOpen = true;
}

VeskHistory::Step* VeskHistory::stepToExtend() noexcept
{
    // After an undo, a redo or a save, the next edit is a step of its own: a
    // step redone is the one the menu named, and the saved state stays reachable.
    return lastStepOpen ? &steps.back() : nullptr;
}

bool VeskHistory::extended()
{
    auto& step = steps.back();
    step.serial = nextSerial++;

    step.changes.erase (std::remove_if (step.changes.begin(), step.changes.end(),
                                        [] (const Change& c)
                                        { return c.before == c.after; }),
                        step.changes.end());

    if (! step.changes.empty())
        return true;

    // The step below was not the last edited, so nothing merges into it.
    steps.pop_back();
    numDone = (int) steps.size();
    lastStepOpen = false;
    return false;
}

const VeskHistory::Step* VeskHistory::nextUndo() const noexcept
{
    return numDone > 0 ? &steps[(size_t) numDone - 1] : nullptr;
}

const VeskHistory::Step* VeskHistory::nextRedo() const noexcept
{
    return numDone < (int) steps.size() ? &steps[(size_t) numDone] : nullptr;
}

void VeskHistory::stepBack() noexcept
{
    lastStepOpen = false;

    if (numDone > 0)
        --numDone;
}

void VeskHistory::stepForward() noexcept
{
    lastStepOpen = false;

    if (numDone < (int) steps.size())
        ++numDone;
}

void VeskHistory::clear()
{
    steps.clear();
    numDone = 0;
    lastStepOpen = false;
    baseState = nextSerial++;
    savedState = baseState;
}

void VeskHistory::writeBack (const Step& step, juce::uint8* image, bool undoing) noexcept
{
    for (auto& change : step.changes)
        image[change.offset] = undoing ? change.before : change.after;
}

std::vector<VeskHistory::Change> VeskHistory::differences (const juce::uint8* before, const juce::uint8* after, const std::vector<VeskBlock>& blocks)
{
    std::vector<VeskBlock> sorted (blocks);
    std::sort (sorted.begin(), sorted.end());
    sorted.erase (std::unique (sorted.begin(), sorted.end()), sorted.end());

    std::vector<Change> changes;

    for (const auto block : sorted)
    {
        for (int i = block.imageOffset(); i < block.imageOffset() + block.size(); ++i)
            if (before[i] != after[i])
                changes.push_back ({ (juce::uint16) i, before[i], after[i] });
    }

    return changes;
}
