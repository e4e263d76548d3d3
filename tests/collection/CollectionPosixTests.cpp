// What only a POSIX system has: permission bits, processes made with fork,
// and symbolic links and FIFOs in a folder the walk goes through.

#include "CollectionTestSupport.h"

#include "collection/CollectionFingerprint.h"
#include "collection/CollectionFolderImport.h"
#include "model/VeskSyxFile.h"

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
    // Runs body in a child process; its exit code (or -signal).
    template <typename Body>
    pid_t fork (Body&& body)
    {
        const auto pid = ::fork();

        if (pid == 0)
            ::_exit (body());

        return pid;
    }

    int waitFor (pid_t pid)
    {
        int status = 0;
        ::waitpid (pid, &status, 0);
        return WIFEXITED (status) ? WEXITSTATUS (status) : -WTERMSIG (status);
    }
}

TEST (CollectionFaults, TwoProcessesAddingAtOnceBothSucceed)
{
    ScopedFolder folder;
    const auto file = folder.file ("collection.db");
    openStore (file).reset();

    // Many short adds each, interleaved, the same patterns in part.
    const auto writer = [&file] (int firstSeed)
    {
        auto opened = CollectionStore::open (file);
        if (opened.store == nullptr)
            return 3;
        for (int batch = 0; batch < 60; ++batch)
            if (! opened.store->add (libraryOf (firstSeed + batch * 21, 21, "/m/Lib" + juce::String (batch) + ".vsk")).ok())
                return 4;
        return 0;
    };

    const auto one = fork ([&]
                           { return writer (0); });
    const auto two = fork ([&]
                           { return writer (630); });
    EXPECT_EQ (waitFor (one), 0);
    EXPECT_EQ (waitFor (two), 0);

    auto store = openStore (file);
    EXPECT_EQ (store->size(), 1890); // seeds 0 to 1889, each once
    EXPECT_TRUE (store->check().ok);
}

TEST (CollectionFaults, AKillInTheMiddleOfAnAddLeavesAWholeDatabase)
{
    ScopedFolder folder;
    const auto file = folder.file ("collection.db");
    openStore (file).reset();
    const auto big = libraryOf (0, 20000, "/m/Huge.vsk");

    for (int delayMs : { 5, 40, 150 })
    {
        SCOPED_TRACE (delayMs);
        const auto child = fork ([&]
                                 {
                                     auto opened = CollectionStore::open (file);
                                     for (;;)
                                         if (opened.store != nullptr)
                                             opened.store->add (big);
                                     return 0; });
        ::usleep ((useconds_t) delayMs * 1000);
        ::kill (child, SIGKILL);
        EXPECT_EQ (waitFor (child), -SIGKILL);

        auto store = openStore (file);
        ASSERT_NE (store, nullptr);
        const auto check = store->check();
        EXPECT_TRUE (check.ok) << check.problems.joinIntoString ("\n");
        EXPECT_TRUE (store->size() == 0 || store->size() == 20000);
    }

    auto store = openStore (file);
    const auto again = store->add (big);
    EXPECT_TRUE (again.ok());
    EXPECT_EQ (store->size(), 20000);
}

TEST (CollectionStore, MakesAPrivateFolderAndFile)
{
    ScopedFolder folder;
    const auto file = folder.file ("VeskEdit/collection.db");
    const auto store = openStore (file);
    struct stat folderInfo
    {
    }, fileInfo {};
    ASSERT_EQ (::stat (file.getParentDirectory().getFullPathName().toRawUTF8(), &folderInfo), 0);
    ASSERT_EQ (::stat (file.getFullPathName().toRawUTF8(), &fileInfo), 0);
    EXPECT_EQ (folderInfo.st_mode & 0777, 0700u);
    EXPECT_EQ (fileInfo.st_mode & 0777, 0600u);
    EXPECT_TRUE (store->check().ok);
}

TEST (CollectionFolderImport, WalksFoldersSkippingLoopsAndDevicesAndNamesDamagedFiles)
{
    ScopedFolder folder;
    const auto music = folder.file ("music");
    music.getChildFile ("old/deeper").createDirectory();
    writeLibrary (music.getChildFile ("Set1.vsk"), 1);
    writeLibrary (music.getChildFile ("old/deeper/Set2.VSK"), 2);
    writeLibrary (music.getChildFile ("old/Copy of Set1.vsk"), 1);
    music.getChildFile ("old/notes.txt").replaceWithText ("not read");
    music.getChildFile ("Broken.vsk").replaceWithText ("VSK but far too short");

    // One .syx file holding user pattern 7 only.
    auto image = VeskImage::defaults;
    const auto seven = patternBytes (777);
    std::copy (seven.begin(), seven.end(), image.begin() + VeskImage::userPatternOffset (6));
    ASSERT_TRUE (VeskSyxFile::writeImage (music.getChildFile ("dump.syx"), image.data()).wasOk());

    ASSERT_EQ (::symlink ("..", music.getChildFile ("old/loop").getFullPathName().toRawUTF8()), 0);
    ASSERT_EQ (::mkfifo (music.getChildFile ("pipe.vsk").getFullPathName().toRawUTF8(), 0600), 0);

    auto store = openStore (folder.file ("c.db"));
    std::atomic<bool> cancel { false };
    int progressCalls = 0;
    CollectionFolderImport import (*store);
    const auto report = import.run ({ music }, cancel, [&] (const CollectionFolderImport::Progress&)
                                    { ++progressCalls; });

    EXPECT_FALSE (report.problem.failed());
    EXPECT_FALSE (report.cancelled);
    EXPECT_EQ (report.filesRead, 4);
    ASSERT_EQ (report.damaged.size(), 1u);
    EXPECT_EQ (report.damaged[0].file.getFileName(), "Broken.vsk");
    EXPECT_TRUE (report.damaged[0].reason.isNotEmpty());
    EXPECT_GE (report.skipped, 2); // the loop and the FIFO
    EXPECT_GE (progressCalls, 5);

    // Set1 and its copy hold the same 21 records; the .syx file's defaults
    // are the temporary patterns of the libraries already.
    EXPECT_EQ (store->size(), 1 + 20 + 20 + 1);
    EXPECT_EQ (report.added, store->size());
    EXPECT_EQ (store->sightings (CollectionFingerprint::id (patternBytes (101))).size(), 2u);
    EXPECT_EQ (store->sightings (CollectionFingerprint::id (seven)).at (0).source, CollectionSource::syx);

    // A second run adds nothing new.
    const auto again = import.run ({ music }, cancel);
    EXPECT_EQ (again.added, 0);
    EXPECT_EQ (again.sightings, 0);

    // A cancel before the walk keeps nothing half done.
    cancel = true;
    const auto cancelled = import.run ({ music }, cancel);
    EXPECT_TRUE (cancelled.cancelled);
    EXPECT_EQ (cancelled.filesRead, 0);
}

TEST (CollectionFolderImport, CountsEachPatternOnceOverItsBatchesAndNamesWhereItWentOutside)
{
    ScopedFolder folder;
    const auto copies = folder.file ("copies"), elsewhere = folder.file ("elsewhere");
    ASSERT_TRUE (copies.createDirectory() && elsewhere.createDirectory());
    constexpr int numCopies = CollectionFolderImport::filesPerBatch * 2 + 1;

    for (int i = 0; i < numCopies; ++i)
        writeLibrary (copies.getChildFile ("Copy" + juce::String (i) + ".vsk"), 1);

    writeLibrary (elsewhere.getChildFile ("Far.vsk"), 2);
    ASSERT_EQ (::symlink (elsewhere.getFullPathName().toRawUTF8(), copies.getChildFile ("out").getFullPathName().toRawUTF8()), 0);
    ASSERT_EQ (::symlink ("/proc/self", copies.getChildFile ("self").getFullPathName().toRawUTF8()), 0);

    // One of the copies' patterns was held before.
    auto store = openStore (folder.file ("c.db"));
    ASSERT_TRUE (store->add ({ sighting (patternBytes (101), "/m/Held.vsk", 1, 1) }).ok());

    std::atomic<bool> cancel { false };
    CollectionFolderImport import (*store);
    const auto report = import.run ({ copies }, cancel);

    // 21 patterns in each copy (the temporary one the defaults'), 20 more in Far.vsk.
    EXPECT_EQ (report.filesRead, numCopies + 1);
    EXPECT_EQ (report.added, 21 + 20 - 1);
    EXPECT_EQ (report.alreadyThere, 1);
    EXPECT_EQ (store->size(), 41);

    ASSERT_EQ (report.linksOut.size(), 1u);
    EXPECT_EQ (report.linksOut[0].link, copies.getChildFile ("out"));
    EXPECT_EQ (report.linksOut[0].target, elsewhere.getLinkedTarget());
    ASSERT_EQ (report.systemFolders.size(), 1u) << "/proc/self/root leads to the whole file system";
    EXPECT_EQ (report.systemFolders[0], copies.getChildFile ("self"));
    EXPECT_TRUE (report.unreadable.empty());
}
