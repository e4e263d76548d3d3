// The window's commands by block: each reaches the part whose block holds
// it, whatever order the parts were added in, and every command the window
// offers is one part's.

#include "EditorTestSupport.h"
#include "app/CommandDispatch.h"
#include "app/ContentComp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

TEST (CommandDispatch, ACommandReachesThePartWhoseBlockHoldsItWhateverTheOrder)
{
    const std::vector<CommandRange> blocks { CommandBlocks::file, CommandBlocks::view, CommandBlocks::steps };
    std::vector<size_t> order { 0, 1, 2 };

    do
    {
        CommandDispatch dispatch;
        std::vector<std::pair<size_t, juce::CommandID>> reached;

        for (auto part : order)
        {
            EXPECT_TRUE (dispatch.add (blocks[part], { [part] (juce::CommandID id, juce::ApplicationCommandInfo& result)
                                                       {
                                                           result.shortName = juce::String ((int) part);
                                                           juce::ignoreUnused (id);
                                                       },
                                                       [&reached, part] (juce::CommandID id)
                                                       {
                                                           reached.push_back ({ part, id });
                                                           return true;
                                                       } }));
        }

        for (size_t part = 0; part < blocks.size(); ++part)
        {
            SCOPED_TRACE ("order " + std::to_string (order[0]) + std::to_string (order[1]) + std::to_string (order[2]) + ", part " + std::to_string (part));

            for (auto id : { blocks[part].first, blocks[part].end - 1 })
            {
                reached.clear();
                EXPECT_TRUE (dispatch.perform (id));
                EXPECT_EQ (reached, (std::vector<std::pair<size_t, juce::CommandID>> { { part, id } }));

                juce::ApplicationCommandInfo info (id);
                EXPECT_TRUE (dispatch.getCommandInfo (id, info));
                EXPECT_EQ (info.shortName, juce::String ((int) part));
            }
        }

        // Between and past the blocks: nobody's.
        reached.clear();

        for (auto id : { CommandBlocks::file.end, CommandBlocks::steps.end, CommandBlocks::file.first - 1 })
        {
            juce::ApplicationCommandInfo info (id);
            EXPECT_FALSE (dispatch.perform (id));
            EXPECT_FALSE (dispatch.getCommandInfo (id, info));
        }

        EXPECT_TRUE (reached.empty());

        // A block that overlaps one already there is refused; the first keeps its commands.
        EXPECT_FALSE (dispatch.add ({ CommandBlocks::view.first + 1, CommandBlocks::view.end + 1 }, { nullptr, nullptr }));
        EXPECT_TRUE (dispatch.perform (CommandBlocks::view.first + 2));
    } while (std::next_permutation (order.begin(), order.end()));
}

TEST (CommandDispatch, EveryCommandTheWindowOffersIsNamedByThePartWhoseBlockHoldsIt)
{
    juce::ApplicationCommandManager commandManager;
    ContentComp content (commandManager);
    content.showDialogs = false;

    juce::Array<juce::CommandID> commands;
    content.getAllCommands (commands);
    ASSERT_FALSE (commands.isEmpty());

    std::set<juce::CommandID> seen;

    for (auto id : commands)
    {
        SCOPED_TRACE (juce::String::toHexString (id).toStdString());
        EXPECT_TRUE (seen.insert (id).second) << "offered twice";

        const auto blocks = std::count_if (std::begin (CommandBlocks::all), std::end (CommandBlocks::all), [id] (CommandRange block)
                                           { return block.contains (id); });
        EXPECT_EQ (blocks, 1);

        juce::ApplicationCommandInfo info (id);
        content.getCommandInfo (id, info);
        EXPECT_TRUE (info.shortName.isNotEmpty()) << "no part described it";
    }
}
