// The drag out among what only a POSIX system has: another user's folders
// and links, permission bits.

#include "OtherUser.h"
#include "PatternsPage.h"
#include "ScopedEnvironmentVariable.h"
#include "model/VeskMidiFile.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace VeskImage;

TEST_F (PatternsPage, TheDragOutNeverWritesThroughAnotherUsersFolderOrLink)
{
    const OtherUser other;

    if (! other.isAvailable())
        GTEST_SKIP() << other.whyNot;

    auto page = makePage();
    PatternDragOut drag (session, *page->commonGroup, 15);
    const auto name = VeskMidiFile::suggestedFileName (model.image, session.getShownPattern());
    const auto expected = VeskMidiFile::exportPattern (model.image, session.getShownPattern());

    auto makeFolder = [] (const juce::File& f, mode_t mode)
    { return ::mkdir (f.getFullPathName().toRawUTF8(), mode) == 0 && ::chmod (f.getFullPathName().toRawUTF8(), mode) == 0; };

    auto statOf = [] (const juce::File& f)
    {
        struct stat info
        {
        };
        ::lstat (f.getFullPathName().toRawUTF8(), &info);
        return info;
    };

    enum class Outcome
    {
        inHomeCache,
        inRuntimeFolder,
        refused
    };

    struct Case
    {
        const char* name;
        Outcome outcome;
        std::function<bool (const juce::File& run, const juce::File& song)> prepare; // run: the runtime folder
    };

    const juce::String folderName ("VeskEdit MIDI files");

    // What the other user leaves where the drag-out folder would be: an open folder with a link to the victim's library.
    auto trap = [&] (const juce::File& where, const juce::File& song)
    { return other.run ({ "mkdir", "-m", "0777", where.getFullPathName() }) && other.run ({ "ln", "-s", song.getFullPathName(), where.getChildFile (name).getFullPathName() }); };

    const Case cases[] = {
        { "a runtime folder everybody may write into (1777)", Outcome::inHomeCache, [&] (const juce::File& run, const juce::File& song)
          { return makeFolder (run, 01777) && trap (run.getChildFile (folderName), song); } },
        { "another user's runtime folder, as after sudo -E", Outcome::inHomeCache, [&] (const juce::File& run, const juce::File& song)
          { return makeFolder (run, 0700) && ::chown (run.getFullPathName().toRawUTF8(), OtherUser::uid, OtherUser::uid) == 0
                   && trap (run.getChildFile (folderName), song); } },
        { "our runtime folder, the drag-out folder a link to another user's", Outcome::refused, [&] (const juce::File& run, const juce::File& song)
          { const auto theirs = run.getSiblingFile ("theirs");
            return makeFolder (run, 0700) && makeFolder (theirs, 01777) && trap (theirs.getChildFile ("trap"), song)
                   && theirs.getChildFile ("trap").createSymbolicLink (run.getChildFile (folderName), false); } },
        { "our runtime folder, the drag-out folder ours but open to everybody", Outcome::refused, [&] (const juce::File& run, const juce::File& song)
          { return makeFolder (run, 0700) && makeFolder (run.getChildFile (folderName), 0777)
                   && song.createSymbolicLink (run.getChildFile (folderName).getChildFile (name), false); } },
        { "our own drag-out folder, a link of the file's name in it", Outcome::inRuntimeFolder, [&] (const juce::File& run, const juce::File& song)
          { return makeFolder (run, 0700) && makeFolder (run.getChildFile (folderName), 0700)
                   && song.createSymbolicLink (run.getChildFile (folderName).getChildFile (name), false); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);

        // Everything below a folder that the other user can pass through.
        auto base = juce::File::createTempFile ("vesk-drag-out");
        ASSERT_TRUE (makeFolder (base, 0755));
        const auto home = base.getChildFile ("home"), run = base.getChildFile ("run"), song = base.getChildFile ("Song.vsk");
        ASSERT_TRUE (makeFolder (home, 0700) && song.replaceWithText ("the victim's library"));
        ASSERT_TRUE (c.prepare (run, song));

        {
            const ScopedEnvironmentVariable runtime ("XDG_RUNTIME_DIR", run.getFullPathName()), homeVariable ("HOME", home.getFullPathName());

            // A second drag of the same pattern is as good as the first.
            for (int attempt = 0; attempt < 2; ++attempt)
            {
                juce::File written;
                const auto result = drag.writeFile (written);

                if (c.outcome == Outcome::refused)
                {
                    EXPECT_TRUE (result.failed());
                    EXPECT_TRUE (result.getErrorMessage().contains (folderName)) << result.getErrorMessage();
                    continue;
                }

                ASSERT_TRUE (result.wasOk()) << result.getErrorMessage();
                const auto folder = c.outcome == Outcome::inHomeCache ? home.getChildFile (".cache/VeskEdit/MIDI files") : run.getChildFile (folderName);
                EXPECT_EQ (written, folder.getChildFile (name));
                EXPECT_TRUE (S_ISREG (statOf (written).st_mode)) << "not a plain file of its own";
                EXPECT_EQ (statOf (folder).st_uid, ::geteuid());
                EXPECT_EQ (statOf (folder).st_mode & 07777, 0700u);
                juce::MemoryBlock bytes;
                ASSERT_TRUE (written.loadFileAsData (bytes));
                EXPECT_EQ (bytes, expected);
            }
        }

        EXPECT_EQ (song.loadFileAsString(), "the victim's library");
        EXPECT_EQ (statOf (song).st_size, (off_t) 20);
        base.deleteRecursively();
    }
}
