#include "CollectionFolderImport.h"

#include "model/VeskLibraryFile.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"

#include "platform/FileSystem.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <set>

namespace
{
    juce::String whyNotRead (int error)
    {
        if (SystemError::isDenied (error))
            return "cannot be read (permission denied)";

        auto why = SystemError::systemWords (error);
        return "cannot be read (" + why.substring (0, 1).toLowerCase() + why.substring (1) + ")";
    }

    juce::String realPath (const juce::File& path)
    {
        const auto real = FileSystem::realPath (path.getFullPathName());
        return real != juce::File() ? real.getFullPathName() : juce::String();
    }

    bool isWithin (const juce::String& path, const juce::String& folder)
    {
        const auto separator = juce::File::getSeparatorString();
        return path == folder || path.startsWith (folder.endsWith (separator) ? folder : folder + separator);
    }

    // One walk over the paths given: what it found, what it skipped, and the
    // folders it has been in, by device and inode, so a link loop ends.
    struct Walk
    {
        CollectionFolderImport::Report& report;
        const std::atomic<bool>& cancel;
        std::function<void (const juce::File&, bool givenByName)> onFile;
        std::set<FileIdentity> folders;
        juce::String given; // the real path of the folder given, now walked

        void visitGiven (const juce::File& path)
        {
            given = realPath (path);
            visit (path, true);
        }

        void visit (const juce::File& path, bool givenByName)
        {
            if (cancel.load())
                return;

            FileFacts link, info;
            auto error = FileSystem::lookAt (path, false, link);

            if (error == 0)
                error = FileSystem::lookAt (path, true, info);

            if (error != 0)
            {
                if (SystemError::isDenied (error))
                    report.unreadable.push_back ({ path, whyNotRead (error) });
                else
                    ++report.skipped; // a dangling link, or gone since it was listed

                return;
            }

            if (info.kind == FileFacts::Kind::folder)
            {
                const auto real = realPath (path);

                if (FileSystem::isSystemView (juce::File (real)))
                    report.systemFolders.push_back (path);
                else if (! folders.insert (info.identity).second)
                    ++report.skipped;
                else
                {
                    if (link.kind == FileFacts::Kind::link && ! isWithin (real, given))
                        report.linksOut.push_back ({ path, juce::File (real) });

                    walkFolder (path);
                }
            }
            else if (info.kind == FileFacts::Kind::file)
            {
                if (! givenByName && ! CollectionFolderImport::isCollectable (path))
                    return;

                if (const auto denied = FileSystem::mayRead (path); denied != 0)
                    report.unreadable.push_back ({ path, whyNotRead (denied) });
                else
                    onFile (path, givenByName);
            }
            else
            {
                ++report.skipped; // FIFOs, devices and sockets are never opened
            }
        }

        void walkFolder (const juce::File& folder)
        {
            juce::StringArray names;

            if (const auto error = FileSystem::list (folder, names); error != 0)
            {
                report.unreadable.push_back ({ folder, whyNotRead (error) });
                return;
            }

            names.sort (false);

            for (const auto& name : names)
                visit (folder.getChildFile (name), false);
        }
    };
}

CollectionFolderImport::CollectionFolderImport (AddBatch batch) : addBatch (std::move (batch))
{
}

CollectionFolderImport::CollectionFolderImport (CollectionStore& store)
    : addBatch ([&store] (const std::vector<CollectionSighting>& sightings)
                { return store.add (sightings); })
{
}

bool CollectionFolderImport::mayExist (const juce::File& path)
{
    FileFacts info;
    const auto error = FileSystem::lookAt (path, false, info);
    return error == 0 || ! (SystemError::isMissing (error) || SystemError::isNotFolder (error));
}

bool CollectionFolderImport::isCollectable (const juce::File& file)
{
    return file.hasFileExtension (".vsk") || file.hasFileExtension (".syx");
}

juce::Result CollectionFolderImport::readFile (const juce::File& file, juce::int64 timeMs, std::vector<CollectionSighting>& sightings)
{
    const auto path = file.getFullPathName();

    if (file.hasFileExtension (".syx"))
    {
        VeskSyxFile::Contents contents;

        if (auto read = VeskSyxFile::read (file, (size_t) VeskProtocol::patternBulkBodySize, contents); read.failed())
            return read;

        // Only what the file holds: its dumps applied over an empty image.
        std::vector<juce::uint8> image (VeskImage::defaults.begin(), VeskImage::defaults.end());
        const auto import = VeskSyxFile::applyDumps (contents, image.data());
        std::vector<VeskBlock> blocks;

        for (const auto& dump : import.appliedDumps)
            if (dump.block.has_value() && dump.block->isPattern()
                && std::find (blocks.begin(), blocks.end(), *dump.block) == blocks.end())
                blocks.push_back (*dump.block);

        if (blocks.empty())
            return juce::Result::fail ("holds no pattern of this unit");

        std::sort (blocks.begin(), blocks.end());
        const auto found = CollectionSighting::fromImage (CollectionSource::syx, path, image.data(), timeMs, blocks);
        sightings.insert (sightings.end(), found.begin(), found.end());
        return juce::Result::ok();
    }

    if (! file.hasFileExtension (".vsk"))
        return juce::Result::fail ("is not a library or .syx file");

    std::vector<juce::uint8> image (VeskImage::imageSize);

    if (auto read = VeskLibraryFile::read (file, image.data()); read.failed())
        return read;

    const auto found = CollectionSighting::fromImage (CollectionSource::library, path, image.data(), timeMs);
    sightings.insert (sightings.end(), found.begin(), found.end());
    return juce::Result::ok();
}

CollectionFolderImport::Report CollectionFolderImport::run (const juce::Array<juce::File>& paths,
                                                            const std::atomic<bool>& cancel,
                                                            std::function<void (const Progress&)> progress)
{
    Report report;
    Progress now;
    std::vector<CollectionSighting> batch;
    int filesInBatch = 0;

    // Each pattern counted once over all batches: new, or held before the
    // run began (not one that an earlier batch of this run added).
    std::set<juce::int64> added, held;

    const auto flush = [&]
    {
        if (batch.empty() || report.problem.failed())
            return;

        const auto done = addBatch (batch);

        if (done.problem.failed())
        {
            report.problem = done.problem;
        }
        else
        {
            added.insert (done.addedRows.begin(), done.addedRows.end());

            for (auto row : done.heldRows)
                if (added.count (row) == 0)
                    held.insert (row);

            report.added = (int) added.size();
            report.alreadyThere = (int) held.size();
            report.sightings += done.sightings;
            report.filesRead += filesInBatch;
        }

        batch.clear();
        filesInBatch = 0;
        now.added = report.added;
        now.alreadyThere = report.alreadyThere;
        now.filesRead = report.filesRead;
    };

    Walk walk { report, cancel, {}, {}, {} };
    walk.onFile = [&] (const juce::File& file, bool)
    {
        if (report.problem.failed())
            return;

        ++now.filesFound;
        now.current = file;

        const auto time = file.getLastModificationTime().toMilliseconds();

        if (auto read = readFile (file, time, batch); read.failed())
        {
            report.damaged.push_back ({ file, read.getErrorMessage() });
            ++now.damaged;
        }
        else if (++filesInBatch >= filesPerBatch)
        {
            flush();
        }

        if (progress)
            progress (now);
    };

    for (const auto& path : paths)
    {
        if (cancel.load() || report.problem.failed())
            break;

        walk.visitGiven (path);
    }

    report.cancelled = cancel.load();

    // What was read before a cancel is kept: it is whole files.
    flush();

    if (progress)
        progress (now);

    return report;
}
