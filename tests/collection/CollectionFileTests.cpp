#include "CollectionTestSupport.h"

#include "OtherUser.h"
#include "ScopedEnvironmentVariable.h"
#include "collection/CollectionFile.h"

#include <sys/stat.h>
#include <unistd.h>

namespace
{
    using Outcome = CollectionStore::OpenResult::Outcome;
    using Kind = CollectionProblem::Kind;

    juce::String contentOf (const juce::File& file) { return file.existsAsFile() ? file.loadFileAsString() : juce::String ("(none)"); }

    CollectionBytes oneBytes() { return patternBytes (7); }

    bool addsOne (CollectionStore& store) { return store.add ({ sighting (oneBytes(), "/m/A.vsk", 1, 1) }).ok(); }
}

// Links above the collection's folder are the user's own business.
TEST (CollectionFile, AHomeReachedThroughALinkHasItsCollection)
{
    ScopedFolder folder;
    const auto real = folder.file ("data/me");
    ASSERT_TRUE (real.createDirectory());
    ASSERT_TRUE (real.createSymbolicLink (folder.file ("home"), true));
    const ScopedEnvironmentVariable dataHome ("XDG_DATA_HOME", folder.file ("home/share").getFullPathName());

    const auto file = CollectionStore::defaultFile();
    ASSERT_TRUE (file.getFullPathName().contains ("/home/share/"));
    {
        auto opened = CollectionStore::open (file);
        ASSERT_NE (opened.store, nullptr) << opened.problem.detail;
        EXPECT_EQ (opened.outcome, Outcome::created);
        EXPECT_TRUE (addsOne (*opened.store));
    }

    EXPECT_EQ (openStore (file)->size(), 1);
    EXPECT_TRUE (real.getChildFile ("share/VeskEdit/collection.db").existsAsFile());

    // A collection named through a link to its folder, too.
    const auto named = folder.file ("named");
    ASSERT_TRUE (real.getChildFile ("share/VeskEdit").createSymbolicLink (named, true));
    EXPECT_EQ (openStore (named.getChildFile ("collection.db"))->size(), 1);
}

// What the program makes (its folder, the file, what SQLite puts beside it)
// is never a link, nor another user's, nor open to others' writes.
TEST (CollectionFile, WhatIsNotTheUsersOwnIsRefusedAndLeftAsItIs)
{
    ScopedFolder folder;
    const auto elsewhere = folder.file ("elsewhere");
    ASSERT_TRUE (elsewhere.replaceWithText ("somebody's file"));
    const auto file = folder.file ("VeskEdit/collection.db");
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ::chmod (file.getParentDirectory().getFullPathName().toRawUTF8(), 0700);

    const struct
    {
        const char* what;
        const char* name; // what is planted beside, or the file itself
        std::function<bool (const juce::File&)> plant;
    } cases[] = {
        { "the file a link", "collection.db", [&] (const juce::File& f)
          { return elsewhere.createSymbolicLink (f, true); } },
        { "a log that is a link", "collection.db-wal", [&] (const juce::File& f)
          { return elsewhere.createSymbolicLink (f, true); } },
        { "an index others may write", "collection.db-shm", [] (const juce::File& f)
          { return f.replaceWithText ("") && ::chmod (f.getFullPathName().toRawUTF8(), 0666) == 0; } },
        { "the file open to others' writes", "collection.db", [] (const juce::File& f)
          { return f.replaceWithText ("") && ::chmod (f.getFullPathName().toRawUTF8(), 0622) == 0; } },
        { "a journal that is a folder", "collection.db-journal", [] (const juce::File& f)
          { return f.createDirectory().wasOk(); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);

        for (auto& f : file.getParentDirectory().findChildFiles (juce::File::findFilesAndDirectories, false))
            f.deleteRecursively (false);

        if (! juce::String (c.name).endsWith (".db"))
            openStore (file)->add ({ sighting (oneBytes(), "/m/A.vsk", 1, 1) });

        const auto planted = file.getSiblingFile (c.name);
        ASSERT_TRUE (c.plant (planted));
        const auto before = file.existsAsFile() ? file.getSize() : -1;

        for (const auto mode : { CollectionStore::Mode::readWrite, CollectionStore::Mode::check })
        {
            const auto opened = CollectionStore::open (file, mode);
            EXPECT_EQ (opened.outcome, Outcome::failed);
            EXPECT_EQ (opened.problem.kind, Kind::notPrivate);
            EXPECT_EQ (opened.problem.file, planted) << opened.problem.detail;
        }

        EXPECT_EQ (contentOf (elsewhere), "somebody's file");
        EXPECT_EQ (file.existsAsFile() ? file.getSize() : -1, before);
        EXPECT_TRUE (file.getParentDirectory().findChildFiles (juce::File::findFiles, false, "*damaged*").isEmpty());
    }
}

// Another local user in a shared, sticky data folder: what they made first is not used.
TEST (CollectionFile, AnotherUsersFolderOrFilesAreNeverUsed)
{
    const OtherUser other;

    if (! other.isAvailable())
        GTEST_SKIP() << other.whyNot;

    ScopedFolder folder;
    const auto shared = folder.file ("shared");
    ASSERT_TRUE (shared.createDirectory());
    ASSERT_EQ (::chmod (folder.folder.getFullPathName().toRawUTF8(), 0755), 0);
    ASSERT_EQ (::chmod (shared.getFullPathName().toRawUTF8(), 01777), 0);
    const ScopedEnvironmentVariable dataHome ("XDG_DATA_HOME", shared.getFullPathName());
    const auto file = CollectionStore::defaultFile();
    const auto theirs = file.getParentDirectory().getFullPathName();

    // Their folder open to all, their file open to all, in the usual place.
    ASSERT_TRUE (other.run ({ "sh", "-c", "umask 0 && mkdir -m 0777 \"$0\" && : > \"$0/collection.db\" && chmod 0666 \"$0/collection.db\"", theirs }));

    for (const auto mode : { CollectionStore::Mode::readWrite, CollectionStore::Mode::readWriteChecked, CollectionStore::Mode::check })
    {
        const auto opened = CollectionStore::open (file, mode);
        EXPECT_EQ (opened.outcome, Outcome::failed);
        EXPECT_EQ (opened.problem.kind, Kind::notPrivate) << opened.problem.detail;
    }

    EXPECT_EQ (file.getSize(), 0);
    EXPECT_EQ (file.getParentDirectory().getNumberOfChildFiles (juce::File::findFiles), 1);

    // A folder of their own, made 0700, is refused all the same.
    ASSERT_TRUE (other.run ({ "chmod", "0700", theirs }));
    EXPECT_EQ (CollectionStore::open (file).problem.kind, Kind::notPrivate);

    // In the user's own folder, a log and an index they planted (as a user
    // who once could write there might have) are not written into.
    const auto mine = folder.file ("mine/collection.db");
    openStore (mine)->add ({ sighting (oneBytes(), "/m/A.vsk", 1, 1) });

    for (const auto* suffix : { "-wal", "-shm" })
    {
        SCOPED_TRACE (suffix);
        const auto planted = mine.getSiblingFile (mine.getFileName() + suffix);
        ASSERT_TRUE (planted.replaceWithText (""));
        ASSERT_EQ (::chown (planted.getFullPathName().toRawUTF8(), OtherUser::uid, OtherUser::uid), 0);
        ASSERT_EQ (::chmod (planted.getFullPathName().toRawUTF8(), 0666), 0);

        const auto opened = CollectionStore::open (mine);
        EXPECT_EQ (opened.problem.kind, Kind::notPrivate);
        EXPECT_EQ (opened.problem.file, planted);
        EXPECT_TRUE (opened.problem.detail.contains ("another user")) << opened.problem.detail;
        EXPECT_EQ (planted.getSize(), 0);
        ASSERT_TRUE (planted.deleteFile());
    }

    EXPECT_EQ (openStore (mine)->size(), 1);
}

TEST (CollectionFile, TheUsualFolderIsMadePrivateAndAFileOfTheUsersOwn)
{
    ScopedFolder folder;
    const ScopedEnvironmentVariable dataHome ("XDG_DATA_HOME", folder.file ("data").getFullPathName());
    const auto oldMask = ::umask (0);
    const auto file = CollectionStore::defaultFile();
    auto store = openStore (file);
    ::umask (oldMask);

    struct stat info
    {
    };

    ASSERT_EQ (::stat (file.getParentDirectory().getFullPathName().toRawUTF8(), &info), 0);
    EXPECT_EQ (info.st_mode & 07777, 0700u);
    ASSERT_EQ (::stat (file.getFullPathName().toRawUTF8(), &info), 0);
    EXPECT_EQ (info.st_mode & 07777, 0600u);
}
