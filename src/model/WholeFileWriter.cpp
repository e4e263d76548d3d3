#include "WholeFileWriter.h"

#include "platform/FileSystem.h"
#include "platform/SystemError.h"

#include <mutex>

namespace
{
    std::mutex faultsLock;
    WholeFileWriter::Faults faults;

    WholeFileWriter::Faults currentFaults()
    {
        const std::lock_guard<std::mutex> guard (faultsLock);
        return faults;
    }

    juce::String describe (int error) { return SystemError::describe (error); }

    /** Every byte of data to file, each write checked (a short write is a
        failure), then the size on disk: the last word on a short write. A
        test's fault fills the disk after failAfterBytes (-1: never). */
    juce::Result writeWhole (FileHandle& file, const void* data, size_t size, juce::int64 failAfterBytes)
    {
        auto* bytes = static_cast<const char*> (data);
        size_t written = 0;

        auto shortWrite = [&] (int error)
        {
            return juce::Result::fail (describe (error) + " (wrote " + WholeFileWriter::formatCount ((juce::int64) written)
                                       + " of " + WholeFileWriter::formatCount ((juce::int64) size) + " bytes)");
        };

        while (written < size)
        {
            auto chunk = size - written;

            if (failAfterBytes >= 0)
            {
                if ((juce::int64) written >= failAfterBytes)
                    return shortWrite (SystemError::diskFull());

                chunk = juce::jmin (chunk, (size_t) (failAfterBytes - (juce::int64) written));
            }

            size_t n = 0;

            if (const auto error = file.write (bytes + written, chunk, n); error != 0 || n == 0)
                return shortWrite (error != 0 ? error : SystemError::diskFull());

            written += n;
        }

        FileFacts done;

        if (const auto error = file.lookAt (done); error != 0)
            return juce::Result::fail ("the new file cannot be checked (" + describe (error) + ")");

        if ((size_t) done.size != size)
            return juce::Result::fail ("the file came out " + WholeFileWriter::formatCount (done.size) + " of "
                                       + WholeFileWriter::formatCount ((juce::int64) size) + " bytes long");

        return juce::Result::ok();
    }

    /** The new file flushed to the disk and closed, closed either way. */
    juce::Result flushAndClose (FileHandle& file, bool failAtSync)
    {
        const auto flushed = failAtSync ? SystemError::ioFailed() : file.flush();

        if (flushed != 0)
            return juce::Result::fail ("the data could not be flushed to the disk (" + describe (flushed) + ")");

        if (const auto error = file.close(); error != 0)
            return juce::Result::fail ("the file could not be closed (" + describe (error) + ")");

        return juce::Result::ok();
    }

    /** A hidden name beside a file's, for its new bytes; short enough to leave room for the suffix. */
    juce::String temporaryName (const juce::String& name)
    {
        auto base = name;

        if (base.getNumBytesAsUTF8() > 200)
            base = base.substring (0, 40);

        return "." + base + "." + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()) + ".tmp";
    }

    /** Closes and removes the temporary file unless told it has its place. */
    struct TemporaryFile
    {
        ~TemporaryFile()
        {
            file.close();

            if (path != juce::File())
                FileSystem::remove (path);
        }

        /** An unused name beside the target, created exclusively so nobody
            else's file (or link) can be in its place. */
        int create (const juce::File& target, int permissions)
        {
            int error = 0;

            for (int attempt = 0; attempt < 100; ++attempt)
            {
                const auto candidate = target.getSiblingFile (temporaryName (target.getFileName()));
                error = FileSystem::createNew (candidate, permissions, file);

                if (error == 0)
                    path = candidate;

                if (FileFacts there; error == 0 || FileSystem::lookAt (candidate, false, there) != 0)
                    return error;
            }

            return error;
        }

        FileHandle file;
        juce::File path;
    };
}

juce::String WholeFileWriter::describeError (int error)
{
    return SystemError::describe (error);
}

juce::String WholeFileWriter::formatCount (juce::int64 count)
{
    auto digits = juce::String (count < 0 ? -count : count);

    for (int i = digits.length() - 3; i > 0; i -= 3)
        digits = digits.substring (0, i) + "," + digits.substring (i);

    return (count < 0 ? "-" : "") + digits;
}

juce::File WholeFileWriter::resolveLinks (const juce::File& target, juce::String* refused)
{
    return FileSystem::resolveLinks (target, refused);
}

bool WholeFileWriter::isSameFile (const juce::File& a, const juce::File& b)
{
    FileFacts fa, fb;
    return FileSystem::lookAt (a, true, fa) == 0 && FileSystem::lookAt (b, true, fb) == 0 && fa.identity == fb.identity;
}

void WholeFileWriter::setFaultsForTesting (const Faults& newFaults)
{
    const std::lock_guard<std::mutex> guard (faultsLock);
    faults = newFaults;
}

juce::Result WholeFileWriter::write (const juce::File& target, const juce::MemoryBlock& data)
{
    return write (target, data.getData(), data.getSize());
}

juce::Result WholeFileWriter::write (const juce::File& requestedTarget, const void* data, size_t size)
{
    if (requestedTarget == juce::File())
        return juce::Result::fail ("no file was named");

    juce::String refusedLink;
    const auto target = resolveLinks (requestedTarget, &refusedLink);

    if (refusedLink.isNotEmpty())
        return juce::Result::fail (refusedLink);

    const auto injected = currentFaults();

    FileFacts existing;
    const auto lookedAt = FileSystem::lookAt (target, true, existing);
    const bool exists = lookedAt == 0;

    if (! exists && ! SystemError::isMissing (lookedAt))
    {
        if (SystemError::isLinkLoop (lookedAt))
            return juce::Result::fail ("it is a link that leads in a circle");

        return juce::Result::fail ("it cannot be reached (" + describe (lookedAt) + ")");
    }

    if (exists)
    {
        if (existing.kind == FileFacts::Kind::folder)
            return juce::Result::fail ("it is a folder");

        // Renaming over a device or a pipe would replace it, not write into it.
        if (existing.kind != FileFacts::Kind::file)
            return juce::Result::fail ("it is not a plain file");

        // Replacing by rename needs only the folder's permission; a file its
        // owner made read-only is meant to stay as it is. The bits are read
        // too: root may write anything, but not what nobody is meant to.
        if (existing.noWriteBits)
            return juce::Result::fail ("the file is read-only");

        if (const auto error = FileSystem::mayWrite (target); error != 0)
        {
            if (SystemError::isInUse (error))
                return juce::Result::fail ("it is open in another program (" + describe (error) + ")");

            return juce::Result::fail (SystemError::isDenied (error) ? juce::String ("the file is read-only") : describe (error));
        }
    }

    const auto folder = target.getParentDirectory();

    if (! folder.isDirectory())
        return juce::Result::fail ("the folder " + folder.getFullPathName() + " does not exist");

    // An existing file keeps its mode and owner; a new one gets the usual 0666 less the umask.
    TemporaryFile temp;

    if (const auto error = temp.create (target, exists ? 0600 : 0666); error != 0)
    {
        // Space left but no file entries: "the disk is full" would send the
        // user looking for big files to delete.
        if (SystemError::isDiskFull (error) && FileSystem::isOutOfFileEntries (folder))
            return juce::Result::fail ("the disk has no room for another file (it has space, but its limit on the number of files is reached)");

        return juce::Result::fail ("the folder cannot be written to (" + describe (error) + ")");
    }

    if (const auto whole = writeWhole (temp.file, data, size, injected.failAfterBytes); whole.failed())
        return whole;

    if (exists)
        temp.file.takeOwnershipOf (existing);

    if (const auto flushed = flushAndClose (temp.file, injected.failAtSync); flushed.failed())
        return flushed;

    if (const auto error = injected.failAtRename ? SystemError::ioFailed() : FileSystem::replace (temp.path, target); error != 0)
    {
        if (SystemError::isInUse (error))
            return juce::Result::fail ("it is open in another program, and was left as it was (" + describe (error) + ")");

        return juce::Result::fail ("the new file could not take the old one's place (" + describe (error) + ")");
    }

    temp.path = juce::File();

    // The new file is in place; a folder that cannot be flushed (some network
    // filesystems) still holds the whole new file.
    juce::ignoreUnused (FileSystem::flushFolder (folder));
    return juce::Result::ok();
}

juce::Result WholeFileWriter::writeNew (const OpenFolder& folder, const juce::String& name, const void* data, size_t size, int permissions)
{
    if (! OpenFolder::isPlainName (name))
        return juce::Result::fail ("\"" + name + "\" is not a file name");

    const auto injected = currentFaults();

    // Refused before anything is written; one that appears meanwhile is refused by the last step.
    FileFacts existing;

    if (const auto error = folder.lookAt (name, existing); error == 0)
        return juce::Result::fail (existing.kind == FileFacts::Kind::link ? "a link of that name is in its place" : "a file of that name exists already");
    else if (! SystemError::isMissing (error))
        return juce::Result::fail ("it cannot be reached (" + describe (error) + ")");

    // Removed through the open folder, whatever the folder is called by now.
    struct Temporary
    {
        ~Temporary()
        {
            file.close();

            if (name.isNotEmpty())
                folder.remove (name);
        }

        const OpenFolder& folder;
        FileHandle file;
        juce::String name;
    } temp { folder, {}, {} };

    int error = 0;

    for (int attempt = 0; attempt < 100 && ! temp.file.isOpen(); ++attempt)
    {
        const auto candidate = temporaryName (name);
        error = folder.createNew (candidate, permissions, false, temp.file);

        if (error == 0)
            temp.name = candidate;
        else if (FileFacts there; folder.lookAt (candidate, there) != 0)
            break;
    }

    if (! temp.file.isOpen())
        return juce::Result::fail ("the folder cannot be written to (" + describe (error) + ")");

    if (const auto whole = writeWhole (temp.file, data, size, injected.failAfterBytes); whole.failed())
        return whole;

    if (const auto flushed = flushAndClose (temp.file, injected.failAtSync); flushed.failed())
        return flushed;

    // The last step refuses an entry that appeared meanwhile, rather than replace it.
    if (const auto placed = injected.failAtRename ? SystemError::ioFailed() : folder.move (temp.name, name); placed != 0)
    {
        FileFacts there;
        return juce::Result::fail (folder.lookAt (name, there) == 0 ? juce::String ("a file of that name appeared while it was written")
                                                                    : "the new file could not be given its name (" + describe (placed) + ")");
    }

    temp.name = {};

    // As in write(): the file is in place whole even where the folder cannot be flushed.
    juce::ignoreUnused (folder.flush());
    return juce::Result::ok();
}
