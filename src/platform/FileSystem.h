#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** One file as the system tells it apart from every other: the same file
    under two names (links, other names for a folder) has one identity. */
struct FileIdentity
{
    juce::uint64 volume = 0, index = 0;

    bool operator== (const FileIdentity& other) const noexcept { return volume == other.volume && index == other.index; }
    bool operator!= (const FileIdentity& other) const noexcept { return ! operator== (other); }
    bool operator<(const FileIdentity& other) const noexcept
    {
        return volume != other.volume ? volume < other.volume : index < other.index;
    }
};

/** What the system says about one name. */
struct FileFacts
{
    enum class Kind
    {
        file,
        folder,
        link, // only when links are not followed (a Windows junction too)
        pipe,
        socket,
        device
    };

    Kind kind = Kind::file;
    juce::int64 size = 0;
    FileIdentity identity;
    bool ownedByUser = false; // the process's user owns it
    juce::String owner; // who does, for a message: "uid 1001", a SID
    bool othersMayWrite = false; // somebody else may write into it
    bool noWriteBits = false; // read-only for everybody: no write bit, or Windows' read-only attribute
    juce::String permissions; // as the system writes them, for a message ("0644"); may be empty

    // POSIX's own, for a replacement to take over; unused elsewhere.
    juce::uint32 posixMode = 0;
    juce::int64 posixOwner = -1, posixGroup = -1;
};

/** An open file, closed when it goes. Each call returns 0 or SystemError's code. */
class FileHandle
{
public:
    FileHandle();
    ~FileHandle();

    bool isOpen() const noexcept;

    /** Writes some of data; written is how much (0 without an error: nothing could be). */
    int write (const void* data, size_t size, size_t& written);

    /** Reads up to size bytes from where the last read ended; got is how many (0: the end). */
    int read (void* data, size_t size, size_t& got);

    /** Reads up to size bytes from offset; got is how many. */
    int readAt (void* data, size_t size, juce::int64 offset, size_t& got);

    int lookAt (FileFacts& facts) const;

    /** Owner, group and permissions of an existing file given to this new
        one, where the system keeps them in the file (POSIX); elsewhere the
        replacement keeps them. Best effort. */
    void takeOwnershipOf (const FileFacts& existing);

    /** Sets POSIX permission bits (whatever the umask); nothing elsewhere. */
    void setPermissions (int permissions);

    /** Everything written is on the disk. */
    int flush();

    int close();

    struct Native;

private:
    friend class FileSystem;
    friend class OpenFolder;
    std::unique_ptr<Native> native;

    JUCE_DECLARE_NON_COPYABLE (FileHandle)
};

/**
    A folder held open: whatever is done in it happens in this folder, even
    after its name was given to another (POSIX: the *at() calls), or the folder
    cannot be renamed while it is held (Windows). Names are single names in
    it, never paths; none of the calls follows a link at the name.
*/
class OpenFolder
{
public:
    OpenFolder();
    ~OpenFolder();

    /** Opens folder; a link (or junction) at its own name is refused unless
        followLink. Returns 0 or the error. */
    int open (const juce::File& folder, bool followLink);

    /** Makes folder, that only this user may enter (POSIX: 0700 whatever the
        umask; Windows: a DACL for the user alone). Returns 0 or the error;
        one that exists already is an error. */
    static int create (const juce::File& folder);

    bool isOpen() const noexcept;
    void close();

    /** POSIX: the folder's descriptor, for the *at() calls; -1 when closed or elsewhere. */
    int getDescriptor() const noexcept;

    /** The folder itself. */
    int lookAt (FileFacts& facts) const;

    /** The folder's path with no link in it, that still leads to this
        folder; empty if it cannot be told. */
    juce::File getPathWithoutLinks() const;

    /** What has name in the folder, the link itself where it is one. */
    int lookAt (const juce::String& name, FileFacts& facts) const;

    /** Creates name, never through a link, failing if anything has the name. */
    int createNew (const juce::String& name, int permissions, bool forReading, FileHandle& file) const;

    /** Opens name for reading, never through a link and without waiting on a pipe. */
    int openToRead (const juce::String& name, FileHandle& file) const;

    /** Gives the file from its name to, replacing nothing: it fails when to exists in any form. */
    int move (const juce::String& from, const juce::String& to) const;

    int remove (const juce::String& name) const;

    /** The folder's entries are on the disk (where the system can tell). */
    int flush() const;

    static bool isPlainName (const juce::String& name);

    struct Native;

private:
    std::unique_ptr<Native> native;

    JUCE_DECLARE_NON_COPYABLE (OpenFolder)
};

/** Calls on files named by path; each returns 0 or SystemError's code. */
class FileSystem
{
public:
    static int lookAt (const juce::File& path, bool followLinks, FileFacts& facts);

    /** Whether the process may read the file, as the system would decide on opening it. */
    static int mayRead (const juce::File& path);

    /** Whether the process may write the file, as the system would decide on opening it. */
    static int mayWrite (const juce::File& path);

    /** The path with every link in it resolved; empty when it cannot be.
        A relative path is the working folder's, and ".." is the system's
        (through a link, not tidied up as text). */
    static juce::File realPath (const juce::String& path);

    /** The file a write to target changes: target, or what its chain of links
        ends at. refused (when given) is set, and the walk stops, at a link
        that another user put into a folder everybody may write into. */
    static juce::File resolveLinks (const juce::File& target, juce::String* refused);

    /** Creates path, failing when anything has that name; never through a link. */
    static int createNew (const juce::File& path, int permissions, FileHandle& file);

    /** Opens a plain file (or with pipes, a pipe) to read without waiting on it. */
    static int openToRead (const juce::File& path, FileHandle& file);

    /** Waits up to ms for an open pipe to have something to read. */
    static void waitToRead (FileHandle& file, int ms);

    /** Whether a read's error means "nothing yet, come back" (a quiet pipe). */
    static bool isNothingYet (int error);

    /** Puts replacement in target's place, whole: the target keeps its
        attributes and security where the system keeps them apart from the
        bytes (Windows). The replacement's name is gone on success. */
    static int replace (const juce::File& replacement, const juce::File& target);

    static int remove (const juce::File& path);

    /** The folder's entries are on the disk (where the system can tell). */
    static int flushFolder (const juce::File& folder);

    /** A disk with space left that cannot take another file. */
    static bool isOutOfFileEntries (const juce::File& folder);

    /** The kernel's own views (/proc, /sys): never walked by an import. */
    static bool isSystemView (const juce::File& realPath);

    /** The names in folder, without "." and "..". */
    static int list (const juce::File& folder, juce::StringArray& names);
};
