#include "VeskTransferReport.h"
#include "model/Plural.h"

#include <algorithm>

// What a transfer tells the person who started it: its progress and its summary.

namespace
{
    using Status = VeskTransferReport::BlockResult::Status;

    /** "System, Temporary, User 01-04, User 06-20". */
    juce::String listOfBlocks (std::vector<VeskBlock> blocks)
    {
        std::sort (blocks.begin(), blocks.end());
        juce::StringArray parts;

        for (size_t i = 0; i < blocks.size();)
        {
            size_t end = i + 1;

            if (blocks[i].isUser())
                while (end < blocks.size() && blocks[end].userNumber() == blocks[end - 1].userNumber() + 1)
                    ++end;

            parts.add (blocks[i].name()
                       + (end - i > 1 ? "-" + juce::String (blocks[end - 1].userNumber()).paddedLeft ('0', 2) : juce::String()));
            i = end;
        }

        return parts.joinIntoString (", ");
    }

    /** "no answer (3 tries)", "bad checksum, no answer (3 tries)". */
    juce::String whySkipped (const VeskTransferReport::BlockResult& b)
    {
        juce::StringArray reasons (b.failedTries);
        reasons.removeDuplicates (false);
        return reasons.joinIntoString (", ") + " (" + juce::String (b.failedTries.size()) + (b.failedTries.size() == 1 ? " try" : " tries") + ")";
    }

    constexpr int maxDifferenceLines = 30;

    /** "a dump of User 01, 2 dumps of System nobody asked for", blocks in order of first arrival. */
    juce::String describeIgnored (const std::vector<VeskBlock>& ignored)
    {
        std::vector<std::pair<VeskBlock, int>> counts;

        for (const auto block : ignored)
        {
            auto it = std::find_if (counts.begin(), counts.end(), [block] (auto& c)
                                    { return c.first == block; });

            if (it == counts.end())
                counts.push_back ({ block, 1 });
            else
                ++it->second;
        }

        juce::StringArray parts;

        for (auto& [block, count] : counts)
            parts.add ((count == 1 ? juce::String ("a dump") : juce::String (count) + " dumps") + " of " + block.name());

        return parts.joinIntoString (", ") + " nobody asked for";
    }

    juce::String gerund (VeskTransferReport::Kind kind)
    {
        switch (kind)
        {
            case VeskTransferReport::Kind::getAll: return "getting";
            case VeskTransferReport::Kind::sendAll: return "sending";
            case VeskTransferReport::Kind::verify: return "verifying";
        }

        return {};
    }
}

//==============================================================================
std::vector<VeskBlock> VeskTransferReport::blockOrder (Kind kind)
{
    std::vector<VeskBlock> order { VeskBlock::system() };

    if (kind != Kind::sendAll)
        order.push_back (VeskBlock::temporary());

    for (const auto block : VeskBlock::patterns())
        if (block.isUser())
            order.push_back (block);

    // The temporary pattern goes last, so the unit is left editing the library's.
    if (kind == Kind::sendAll)
        order.push_back (VeskBlock::temporary());

    return order;
}

juce::String VeskTransferReport::title (Kind kind)
{
    switch (kind)
    {
        case Kind::getAll: return "Get All From Unit";
        case Kind::sendAll: return "Send All To Unit";
        case Kind::verify: return "Verify Unit Against Library";
    }

    return {};
}

int VeskTransferReport::numDone() const
{
    return (int) std::count_if (blocks.begin(), blocks.end(), [] (auto& b)
                                { return b.status == Status::done; });
}

juce::String VeskTransferReport::progressText() const
{
    const int index = juce::jmin (current, (int) blocks.size() - 1);

    if (index < 0)
        return {};

    return blocks[(size_t) index].block.name() + " (" + juce::String (index + 1) + " of "
           + juce::String ((int) blocks.size()) + ")" + (attempt > 1 ? ", try " + juce::String (attempt) : juce::String());
}

juce::String VeskTransferReport::summary() const
{
    const int total = (int) blocks.size();
    const int done = numDone();
    std::vector<VeskBlock> matching;
    juce::StringArray skipped;

    for (auto& b : blocks)
    {
        if (b.status == Status::skipped)
            skipped.add ("  " + b.block.name() + ": " + whySkipped (b));

        if (b.status == Status::done
            && std::none_of (differences.begin(), differences.end(), [&b] (auto& d)
                             { return d.block == b.block; }))
            matching.push_back (b.block);
    }

    juce::StringArray text;
    juce::String ignoredLine;

    if (kind == Kind::sendAll)
    {
        if (cancelled)
            text.add ("Cancelled after sending " + juce::String (done) + " of " + juce::String (total)
                      + " blocks: nothing further was sent. The unit has the blocks sent before.");
        else if (total == (int) blockOrder (kind).size())
            text.add ("Sent all " + juce::String (total) + " blocks to the unit: the system block, "
                      + "user patterns 1 to 20 and the temporary pattern.");
        else
        {
            std::vector<VeskBlock> sent;

            for (auto& b : blocks)
                sent.push_back (b.block);

            text.add ("Sent " + plural (total, "block") + " to the unit: " + listOfBlocks (sent) + ".");
        }

        if (! ignored.empty())
            text.add ("\nIgnored while sending: " + describeIgnored (ignored) + ".");

        return text.joinIntoString ("\n");
    }

    if (! ignored.empty())
        ignoredLine = "\nIgnored while " + gerund (kind) + ": " + describeIgnored (ignored) + ".";

    // Knobs turned on the unit reach the library while a transfer runs.
    const juce::String unchanged = libraryChangedBesides ? "\nNothing of it went into the library, but knob moves the unit sent meanwhile changed it: it is marked changed."
                                                         : "\nThe library is unchanged.";

    if (cancelled)
        text.add ("Cancelled at " + progressText() + ": nothing further was asked for.");

    if (kind == Kind::getAll)
    {
        if (! cancelled)
            text.add (done == total ? "Got all " + juce::String (total) + " blocks from the unit: the system block, "
                                          + "the temporary pattern and user patterns 1 to 20."
                                    : "Got " + juce::String (done) + " of " + juce::String (total) + " blocks from the unit.");
        else
            text.add ("Got " + plural (done, "block") + " before that" + (done > 0 ? "; they stay in the library." : "."));

        if (! skipped.isEmpty())
            text.add ("\nNot received, so the library keeps its own:\n" + skipped.joinIntoString ("\n"));

        if (ignoredLine.isNotEmpty())
            text.add (ignoredLine);

        text.add (done > 0 ? "\nThe library is marked changed: save it to keep what arrived." : unchanged);
        return text.joinIntoString ("\n");
    }

    // Verify
    std::vector<std::optional<VeskBlock>> differing;

    for (auto& d : differences)
        if (std::find (differing.begin(), differing.end(), d.block) == differing.end())
            differing.push_back (d.block);

    if (! cancelled)
    {
        if (differences.empty() && done == total)
            text.add ("The unit matches the library: all " + juce::String (total) + " blocks are the same.");
        else if (differences.empty())
            text.add ("The unit matches the library in every block compared (" + juce::String (done) + " of " + juce::String (total) + ").");
        else
            text.add ("The unit differs from the library in " + plural ((int) differences.size(), "field") + " of "
                      + plural ((int) differing.size(), "block") + ".");
    }

    if (! differences.empty())
    {
        text.add ("\nDiffers (library -> unit):");

        for (size_t i = 0; i < differences.size() && i < (size_t) maxDifferenceLines; ++i)
        {
            auto& d = differences[i];
            text.add ("  " + d.where.paddedRight (' ', 10) + d.field.paddedRight (' ', 26) + d.valueA + " -> " + d.valueB);
        }

        if (differences.size() > (size_t) maxDifferenceLines)
            text.add ("  ... and " + juce::String ((int) differences.size() - maxDifferenceLines) + " more");
    }

    if (! matching.empty() && (int) matching.size() < total)
        text.add ("\nSame as the library: " + listOfBlocks (matching));

    if (! skipped.isEmpty())
        text.add ("\nNot compared (no good answer):\n" + skipped.joinIntoString ("\n"));

    if (ignoredLine.isNotEmpty())
        text.add (ignoredLine);

    text.add (unchanged);
    return text.joinIntoString ("\n");
}
