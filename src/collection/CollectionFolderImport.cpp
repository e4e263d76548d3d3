#include "CollectionFolderImport.h"

#include "model/VeskLibraryFile.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"

#include <algorithm>
#include <dirent.h>
#include <set>
#include <sys/stat.h>

namespace
{
    // One walk over the paths given: what it found, what it skipped, and the
    // folders it has been in, by device and inode, so a link loop ends.
    struct Walk
    {
        CollectionFolderImport::Report& report;
        const std::atomic<bool>& cancel;
        std::function<void (const juce::File&, bool givenByName)> onFile;
        std::set<std::pair<dev_t, ino_t>> folders;

        void visit (const juce::File& path, bool givenByName)
        {
            if (cancel.load())
                return;

            struct stat info
            {
            };

            if (::stat (path.getFullPathName().toRawUTF8(), &info) != 0)
            {
                ++report.skipped; // a dangling link, or gone since it was listed
                return;
            }

            if (S_ISDIR (info.st_mode))
            {
                if (folders.insert ({ info.st_dev, info.st_ino }).second)
                    walkFolder (path);
                else
                    ++report.skipped;
            }
            else if (S_ISREG (info.st_mode))
            {
                if (givenByName || CollectionFolderImport::isCollectable (path))
                    onFile (path, givenByName);
            }
            else
            {
                ++report.skipped; // FIFOs, devices and sockets are never opened
            }
        }

        void walkFolder (const juce::File& folder)
        {
            auto* dir = ::opendir (folder.getFullPathName().toRawUTF8());

            if (dir == nullptr)
            {
                ++report.skipped;
                return;
            }

            juce::StringArray names;

            while (auto* entry = ::readdir (dir))
            {
                const auto name = juce::String::fromUTF8 (entry->d_name);

                if (name != "." && name != "..")
                    names.add (name);
            }

            ::closedir (dir);
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

    const auto flush = [&]
    {
        if (batch.empty() || report.problem.failed())
            return;

        const auto added = addBatch (batch);

        if (added.problem.failed())
        {
            report.problem = added.problem;
        }
        else
        {
            report.added += added.added;
            report.alreadyThere += added.alreadyThere;
            report.sightings += added.sightings;
            report.filesRead += filesInBatch;
        }

        batch.clear();
        filesInBatch = 0;
        now.added = report.added;
        now.alreadyThere = report.alreadyThere;
        now.filesRead = report.filesRead;
    };

    Walk walk { report, cancel, {}, {} };
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

        walk.visit (path, true);
    }

    report.cancelled = cancel.load();

    // What was read before a cancel is kept: it is whole files.
    flush();

    if (progress)
        progress (now);

    return report;
}
