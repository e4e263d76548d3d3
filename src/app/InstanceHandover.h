#pragma once

#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

/**
    One running copy of the program per machine, and what a later start hands
    to it.

    The first copy takes the lock and listens on a loopback port; a later start
    finds the lock taken, sends its file names to that port and ends. The port
    and a random key are in a file that only the user can read; a request
    without the key is ignored. (JUCE's own hand-over between copies does
    nothing on Linux.)
*/
class InstanceHandover
{
public:
    /** Receives the files of a later start, on the message thread. */
    using FilesHandler = std::function<void (const juce::StringArray& paths)>;

    /** The program's: JUCE's own lock name, so every copy sees the same lock. */
    InstanceHandover();
    InstanceHandover (const juce::String& lockName, const juce::File& instanceFile);
    ~InstanceHandover();

    /** True when no other copy runs; this one then holds the lock until it is deleted. */
    bool takeLock();

    /** Listens for later starts; false when no port could be opened. */
    bool listen (FilesHandler handler);

    /** From a later start: hands the paths to the running copy, waiting up to
        timeoutMs for it to answer (it may still be starting). */
    juce::Result handOver (const juce::StringArray& paths, int timeoutMs) const;

    /** Absolute paths of the file arguments, resolved against the given folder;
        options ("-x", "--x") are left out. */
    static juce::StringArray filesFromArguments (const juce::StringArray& arguments, const juce::File& workingDirectory);

    /** A request as sent to the running copy, and its reading (false when the
        key is wrong or the data damaged). */
    static juce::MemoryBlock encodeRequest (const juce::String& key, const juce::StringArray& paths);
    static bool decodeRequest (const juce::MemoryBlock& data, const juce::String& key, juce::StringArray& paths);

    static constexpr int maxPathsPerRequest = 64;

private:
    class Connection;
    class Server;
    struct Receiver;

    void writeInstanceFile (int port);

    juce::String lockName;
    juce::File instanceFile;
    std::unique_ptr<juce::InterProcessLock> lock;
    juce::String key;
    std::shared_ptr<Receiver> receiver;
    std::unique_ptr<Server> server;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InstanceHandover)
};
