#pragma once

#include "CollectionStore.h"

#include <atomic>
#include <functional>

/**
    Adds every library (.vsk) and .syx file found under folders (recursively)
    or given by name to the collection, in batches.

    Links are followed only to what has not been walked already, so a link
    loop ends, and those that lead out of the folder given are named; the
    system's own folders (/proc, /sys, /dev) are never walked; FIFOs,
    devices and sockets are skipped unopened; what cannot be read is named.
    Files are read through the bounded reader; a damaged one is counted and
    named, never a reason to stop. A sighting's time is its file's
    modification time, so the versions of a slot are dated as they were
    saved. Runs on the caller's thread (vesk's, or a background thread of
    the window) and stops at the next file once cancel is set.
*/
class CollectionFolderImport
{
public:
    /** How far it has come; given to the progress callback after each file. */
    struct Progress
    {
        int filesFound = 0; // library and .syx files met so far
        int filesRead = 0; // of those, the ones taken in
        int damaged = 0;
        int added = 0;
        int alreadyThere = 0;
        juce::File current;
    };

    struct Damaged
    {
        juce::File file;
        juce::String reason; // the reader's own words ("is not a library file", "bad checksum")
    };

    /** A link to a folder outside the one given, followed: the user asked
        for what is under the folder, and this is elsewhere. */
    struct LinkOut
    {
        juce::File link;
        juce::File target; // its real path
    };

    struct Report
    {
        int filesRead = 0;

        // Different patterns, each counted once however many files hold it:
        // those new to the collection, and those it held before the run.
        int added = 0;
        int alreadyThere = 0;

        int sightings = 0;
        std::vector<Damaged> damaged; // every damaged file, in the order met
        std::vector<Damaged> unreadable; // folders and files that cannot be read ("cannot be read (permission denied)")
        std::vector<juce::File> systemFolders; // not read: /proc, /sys, /dev and what lies in them
        std::vector<LinkOut> linksOut;
        int skipped = 0; // FIFOs, devices, sockets, dangling links, links to what was walked already
        bool cancelled = false;
        CollectionProblem problem; // the collection failed: nothing of the failed batch was kept, the import stopped
    };

    /** Where a batch goes: CollectionStore::add, or Collection::addAndWait. */
    using AddBatch = std::function<CollectionAddReport (const std::vector<CollectionSighting>&)>;

    explicit CollectionFolderImport (AddBatch addBatch);
    explicit CollectionFolderImport (CollectionStore& store);

    /** Files and folders, in the order given. A file given by name that is
        neither kind is counted damaged. */
    Report run (const juce::Array<juce::File>& paths,
                const std::atomic<bool>& cancel,
                std::function<void (const Progress&)> progress = {});

    /** The sightings of one file: a library's 21 pattern records, or the
        whole pattern records a .syx file holds. Fails (saying why) for a
        damaged file, or a .syx file without a pattern. */
    static juce::Result readFile (const juce::File& file, juce::int64 timeMs, std::vector<CollectionSighting>& sightings);

    /** False only when nothing is at path (not even a dangling link); a
        path that cannot be looked at is there, and said unreadable by run(). */
    static bool mayExist (const juce::File& path);

    /** Whether a name is one run() reads: .vsk or .syx, any case. */
    static bool isCollectable (const juce::File& file);

    static constexpr int filesPerBatch = 50;

private:
    AddBatch addBatch;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionFolderImport)
};
