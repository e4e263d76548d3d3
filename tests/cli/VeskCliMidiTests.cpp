#include "cli/VeskCli.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskMidiFile.h"
#include "model/VeskModel.h"
#include "model/WholeFileWriter.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace VeskImage;

namespace
{
    using Bytes = std::vector<juce::uint8>;

    struct CliMidi : ::testing::Test
    {
        juce::File folder { juce::File::createTempFile ("vesk-cli-midi-tests") };
        std::ostringstream out, err;

        CliMidi() { folder.createDirectory(); }

        ~CliMidi() override
        {
            WholeFileWriter::setFaultsForTesting ({});
            folder.deleteRecursively();
        }

        juce::String path (const juce::String& name) const { return folder.getChildFile (name).getFullPathName(); }

        int run (const juce::String& line)
        {
            out.str ({});
            err.str ({});
            auto args = juce::StringArray::fromTokens (line, " ", "");

            for (auto& arg : args)
                if (arg.containsChar ('.'))
                    arg = path (arg);

            VeskCli cli (out, err);
            return cli.run (args);
        }

        Bytes bytesOf (const juce::String& name) const
        {
            juce::MemoryBlock block;
            juce::File (path (name)).loadFileAsData (block);
            auto* p = static_cast<const juce::uint8*> (block.getData());
            return { p, p + block.getSize() };
        }

        /** lib.vsk: user 3 a Bass pattern of two bars with notes, ties and accents, user 5 Line In. */
        Bytes writeLibrary()
        {
            Bytes image ((size_t) imageSize);
            VeskModel::writeDefaults (image.data());
            auto* bass = image.data() + patternRecordOffset (3);
            bass[Pattern::type] = PartType::bass;
            bass[Pattern::patternLength] = 1;

            // A Tie's own note is not heard: it keeps the default the import leaves.
            for (int s = 0; s < Pattern::numSteps; ++s)
            {
                bass[Pattern::stepNote + s] = (juce::uint8) (s % 8 == 1 ? Pattern::defaultStepNote : 30 + s);
                bass[Pattern::stepType + s] = (juce::uint8) (s % 8 == 1 ? StepType::tie : s % 8 == 5 ? StepType::accent
                                                                                                     : StepType::normal);
            }

            image[(size_t) patternRecordOffset (5) + Pattern::type] = PartType::lineIn;
            EXPECT_TRUE (VeskLibraryFile::write (juce::File (path ("lib.vsk")), image.data()).wasOk());
            return bytesOf ("lib.vsk");
        }
    };
}

TEST_F (CliMidi, ExportAndImportThroughTheCommandLine)
{
    const auto library = writeLibrary();
    ASSERT_EQ (run ("export-mid lib.vsk 3 bass.mid"), 0) << err.str();
    const auto file = bytesOf ("bass.mid");

    // Imported into the temporary pattern (a Lead): its steps become those of user 3, nothing else changes.
    ASSERT_EQ (run ("import-mid bass.mid lib.vsk temp"), 0) << err.str();
    EXPECT_EQ (out.str(), (path ("bass.mid") + ": imported 32 steps\n").toStdString());
    EXPECT_TRUE (err.str().empty());

    Bytes before ((size_t) imageSize), after ((size_t) imageSize);
    ASSERT_TRUE (VeskLibraryFile::decode (library.data(), library.size(), before.data()).wasOk());
    const auto now = bytesOf ("lib.vsk");
    ASSERT_TRUE (VeskLibraryFile::decode (now.data(), now.size(), after.data()).wasOk());

    // Only the temporary pattern's tempo, length, steps per bar and steps change.
    const auto from = before.begin() + patternRecordOffset (3), to = before.begin() + temporaryPatternOffset;
    std::copy (from, from + Pattern::stepsPerBar + 1, to);
    std::copy (from + Pattern::stepNote, from + patternSize, to + Pattern::stepNote);
    EXPECT_EQ (after, before);

    // An export of the imported pattern is the same file but for the track name.
    ASSERT_EQ (run ("export-mid lib.vsk temp temp.mid"), 0) << err.str();
    EXPECT_EQ (bytesOf ("temp.mid").size(), file.size() + 2); // "Temporary - Bass" against "User 03 - Bass"
}

TEST_F (CliMidi, RefusalsExitTwoWithOneLineAndChangeNothing)
{
    const auto library = writeLibrary();
    ASSERT_EQ (run ("export-mid lib.vsk 3 bass.mid"), 0);
    const auto exported = bytesOf ("bass.mid");
    juce::File (path ("text.mid")).replaceWithText ("not a MIDI file at all");
    {
        // One byte over the bound, made sparse.
        juce::FileOutputStream big { juce::File (path ("big.mid")) };
        ASSERT_TRUE (big.setPosition (VeskMidiFile::maxFileSize + 1) && big.truncate().wasOk());
    }

    const std::pair<const char*, const char*> cases[] = {
        { "export-mid lib.vsk 3 bass.mid", "already exists (use --force to replace it)" },
        { "export-mid lib.vsk 5 line.mid", "User 05 is a Line In pattern, whose steps play no notes" },
        { "export-mid lib.vsk 21 x.mid", "'21' is not a slot: temp or 1 to 20" },
        { "export-mid missing.vsk 3 x.mid", "does not exist" },
        { "export-mid lib.vsk 3 lib.vsk --force", "is the library itself" },
        { "import-mid text.mid lib.vsk 3", "is not a MIDI file" },
        { "import-mid big.mid lib.vsk 3", "a MIDI file of a pattern is at most 4 MiB" },
        { "import-mid missing.mid lib.vsk 3", "does not exist" },
        { "import-mid bass.mid lib.vsk 5", "User 05 is a Line In pattern" },
        { "import-mid bass.mid lib.vsk 3 --track 2", "has no track 2 (it has 1)" },
        { "import-mid bass.mid lib.vsk 3 --track 0", "'0' is not a track: 1 or more" },
        { "import-mid bass.mid lib.vsk 3 --track 1x", "'1x' is not a track: 1 or more" },
        { "import-mid bass.mid lib.vsk 3 --track", "--track needs a number" },
        { "import-mid bass.mid lib.vsk x", "'x' is not a slot" },
        { "import-mid bass.mid lib.vsk 3 --force", "unknown option '--force'" },
        { "export-mid lib.vsk 3 --track 1 x.mid", "unknown option '--track'" },
    };

    for (const auto& [line, message] : cases)
    {
        SCOPED_TRACE (line);
        EXPECT_EQ (run (line), VeskCli::exitUsage);
        const auto text = err.str();
        EXPECT_NE (text.find (message), std::string::npos) << text;
        EXPECT_EQ (std::count (text.begin(), text.end(), '\n'), 1) << text;
        EXPECT_TRUE (out.str().empty());
        EXPECT_EQ (bytesOf ("lib.vsk"), library);
        EXPECT_EQ (bytesOf ("bass.mid"), exported);
        EXPECT_FALSE (juce::File (path ("x.mid")).exists() || juce::File (path ("line.mid")).exists());
    }

    // --force replaces; a write that fails is 1 and leaves the old file.
    WholeFileWriter::setFaultsForTesting ({ -1, false, true });
    EXPECT_EQ (run ("export-mid lib.vsk 1 bass.mid --force"), VeskCli::exitFailed);
    EXPECT_EQ (run ("import-mid bass.mid lib.vsk 1"), VeskCli::exitFailed);
    EXPECT_EQ (bytesOf ("bass.mid"), exported);
    EXPECT_EQ (bytesOf ("lib.vsk"), library);
    WholeFileWriter::setFaultsForTesting ({});
    EXPECT_EQ (run ("export-mid lib.vsk 1 bass.mid --force"), VeskCli::exitOk);
    EXPECT_NE (bytesOf ("bass.mid"), exported);
}

TEST_F (CliMidi, HelpNamesBothCommands)
{
    EXPECT_EQ (run ("--help"), 0);

    for (const auto* usage : { "vesk export-mid FILE.vsk SLOT OUT.mid [--force]", "vesk import-mid IN.mid FILE.vsk SLOT [--track N]" })
        EXPECT_NE (out.str().find (usage), std::string::npos) << usage;

    EXPECT_EQ (run ("import-mid --help"), 0);
    EXPECT_NE (out.str().find ("4 MiB"), std::string::npos);
}
