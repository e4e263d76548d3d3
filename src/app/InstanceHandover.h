#pragma once

#include "HandoverTransport.h"

#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

/**
    One running copy of the program per user, and what a later start of the
    same user hands to it.

    On POSIX systems everything lives in a folder private to the user:
    $XDG_RUNTIME_DIR/VeskEdit, or, without a usable runtime folder, "instance"
    in the settings folder. The folder must be the user's own and mode 0700
    (it is created so); one that is not is not used. In it: a lock file
    (flock, held while the copy runs), a Unix-domain socket (0600) on which the
    running copy listens, and a random key that a later start sends along. The
    running copy also checks that the peer runs as the same user.

    On Windows the lock is a named pipe named after the user's SID, made as
    its first instance and open to that user alone; the running copy listens
    on it, and the key lives in the same private folder.

    Another user has another folder and pipe, so another lock: each user gets
    a copy of their own. (JUCE's own lock is machine-wide, and its hand-over
    between copies does nothing on Linux.)
*/
class InstanceHandover
{
public:
    /** Receives the files of a later start, on the message thread. */
    using FilesHandler = std::function<void (const juce::StringArray& paths)>;

    /** The program's: the folder of getDefaultFolder(). */
    InstanceHandover();

    /** Keeps the lock, the socket and the key in folder (on Windows, a pipe
        named after it). The limits and the peer check are the running copy's
        (tests drive them). */
    explicit InstanceHandover (const juce::File& folder, HandoverProtocol::Limits limits = {}, HandoverTransport::PeerUid peerUid = {});
    ~InstanceHandover();

    /** unavailable: no private folder or lock, this copy runs on its own (see getProblem()). */
    using Lock = HandoverTransport::Lock;

    Lock takeLock();

    /** Listens for later starts; false (with getProblem()) when it cannot. */
    bool listen (FilesHandler handler);

    /** Why the lock or the listening failed, as a sentence for the user. */
    const juce::String& getProblem() const noexcept { return problem; }

    /** From a later start: hands the paths to the running copy, waiting up to
        timeoutMs for it to answer (it may still be starting). Paths that do
        not fit into one message are left out. The running copy acts only on a
        hand-over this side confirms while it waits, so a failure means the
        files were not handed over, now or later. */
    juce::Result handOver (const juce::StringArray& paths, int timeoutMs) const;

    /** $XDG_RUNTIME_DIR/VeskEdit when the runtime folder is usable (absolute,
        the user's own, writable by nobody else), else the settings folder's
        "instance". */
    static juce::File getDefaultFolder();

    /** Absolute paths of the file arguments, resolved against the given folder;
        options ("-x", "--x") are left out. */
    static juce::StringArray filesFromArguments (const juce::StringArray& arguments, const juce::File& workingDirectory);

    /** A request as sent to the running copy, and its reading (false when the
        key is wrong or the data damaged). The key is compared in constant time. */
    static juce::MemoryBlock encodeRequest (const juce::String& key, const juce::StringArray& paths);
    static bool decodeRequest (const juce::MemoryBlock& data, const juce::String& key, juce::StringArray& paths);

    static constexpr int maxPathsPerRequest = 64;
    static constexpr const char* lockFileName = "VeskEdit.lock";
    static constexpr const char* socketFileName = "VeskEdit.socket";
    static constexpr const char* keyFileName = "VeskEdit.key";

private:
    struct Receiver;

    juce::File folder;
    HandoverProtocol::Limits limits;
    std::unique_ptr<HandoverTransport> transport;
    bool locked = false;
    juce::String problem;
    std::shared_ptr<Receiver> receiver;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InstanceHandover)
};
