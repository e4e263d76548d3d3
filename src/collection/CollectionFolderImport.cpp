#include "CollectionFolderImport.h"

#include "model/VeskLibraryFile.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <set>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace
{
    juce::String whyNotRead (int error)
    {
        if (error == EACCES || error == EPERM)
            return "cannot be read (permission denied)";

        auto why = juce::String (std::strerror (error));
        return "cannot be read (" + why.substring (0, 1).toLowerCase() + why.substring (1) + ")";
    }

    juce::String realPath (const juce::File& path)
    {
        char resolved[PATH_MAX];
        return ::realpath (path.getFullPathName().toRawUTF8(), resolved) != nullptr ? juce::String::fromUTF8 (resolved) : juce::String();
    }

    bool isWithin (const juce::String& path, const juce::String& folder)
    {
        return path == folder || path.startsWith (folder.endsWith ("/") ? folder : folder + "/");
    }

    // The kernel's views of processes, devices and itself: endless, or
    // devices that a read can block on, and /proc/self/root leads back to
    // the whole file system.
    bool isSystemFolder (const juce::String& real)
    {
        for (const auto* folder : { "/proc", "/sys", "/dev" })
            if (isWithin (real, folder))
                return true;

        struct statfs info
        {
        };

        return ::statfs (real.toRawUTF8(), &info) == 0 && (info.f_type == PROC_SUPER_MAGIC || info.f_type == SYSFS_MAGIC);
    }

    // One walk over the paths given: what it found, what it skipped, and the
    // folders it has been in, by device and inode, so a link loop ends.
    struct Walk
    {
        CollectionFolderImport::Report& report;
        const std::atomic<bool>& cancel;
        std::function<void (const juce::File&, bool givenByName)> onFile;
        std::set<std::pair<dev_t, ino_t>> folders;
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

            const auto name = path.getFullPathName().toRawUTF8();
            struct stat link
            {
            }, info {};

            if (::lstat (name, &link) != 0 || ::stat (name, &info) != 0)
            {
                if (errno == EACCES || errno == EPERM)
                    report.unreadable.push_back ({ path, whyNotRead (errno) });
                else
                    ++report.skipped; // a dangling link, or gone since it was listed

                return;
            }

            if (S_ISDIR (info.st_mode))
            {
                const auto real = realPath (path);

                if (isSystemFolder (real))
                    report.systemFolders.push_back (path);
                else if (! folders.insert ({ info.st_dev, info.st_ino }).second)
                    ++report.skipped;
                else
                {
                    if (S_ISLNK (link.st_mode) && ! isWithin (real, given))
                        report.linksOut.push_back ({ path, juce::File (real) });

                    walkFolder (path);
                }
            }
            else if (S_ISREG (info.st_mode))
            {
                if (! givenByName && ! CollectionFolderImport::isCollectable (path))
                    return;

                if (::faccessat (AT_FDCWD, name, R_OK, AT_EACCESS) != 0)
                    report.unreadable.push_back ({ path, whyNotRead (errno) });
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
            auto* dir = ::opendir (folder.getFullPathName().toRawUTF8());

            if (dir == nullptr)
            {
                report.unreadable.push_back ({ folder, whyNotRead (errno) });
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

bool CollectionFolderImport::mayExist (const juce::File& path)
{
    struct stat info
    {
    };

    return ::lstat (path.getFullPathName().toRawUTF8(), &info) == 0 || (errno != ENOENT && errno != ENOTDIR);
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
