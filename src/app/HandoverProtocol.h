#pragma once

#include <juce_core/juce_core.h>

#include <functional>

/**
    What the running copy and a later start say to each other, whatever
    carries it (a Unix-domain socket, a named pipe).

    A message is a greeting (the magic bytes), its length as 4 bytes big-endian,
    then the message itself. A wrong greeting or a length of 0 or over the
    limit ends the connection at once; nothing is allocated before the length
    is checked.

    A message is acted on only while its sender still waits for the answer:
    a sender that gave up may have left it behind, and has told its user that
    nothing was done. So a message that checks out is answered "ready", and
    only the confirmation byte that comes back on the same connection, in
    time, lets it take effect ("accepted" follows).
*/
struct HandoverProtocol
{
    struct Limits
    {
        int maxConnections = 4;
        int timeoutMs = 2000; // for the whole message, from the connection's start
        juce::uint32 maxMessageBytes = 65536;
        int acceptPauseMs = 250; // after the process ran out of handles
    };

    /** What a message does once its sender confirms it. */
    using Action = std::function<void()>;

    /** Checks each whole message: returns its action, or nothing to refuse it
        (the connection is closed without an answer). */
    using MessageHandler = std::function<Action (const juce::MemoryBlock& message)>;

    static constexpr char greeting[4] = { 'V', 'K', 'H', '2' };
    static constexpr const char* readyReply = "ready";
    static constexpr char confirmation = 'Y';
    static constexpr const char* acceptedReply = "accepted";

    /** A message as a later start sends it. */
    static juce::MemoryBlock frame (const juce::MemoryBlock& message);

    /** Milliseconds on a clock that only moves forward. */
    static juce::int64 nowMs();

    /** The running copy's end of one connection: where each read goes, and
        what the bytes read mean. */
    class Incoming
    {
    public:
        enum class Step
        {
            more, // read on
            answerReady, // send readyReply, then read the confirmation
            answerAccepted, // acted on: send acceptedReply, then close
            close // done with, or refused
        };

        /** Where the next read puts its bytes, and at most how many. */
        void* nextBytes();
        size_t nextSize() const;

        /** After size (> 0) bytes were read into nextBytes(). */
        Step received (size_t size, const Limits& limits, const MessageHandler& handler);

        /** True once the sender was told "ready". */
        bool awaitsConfirmation() const noexcept { return pending != nullptr; }

    private:
        juce::uint8 header[8] {};
        size_t headerBytes = 0;
        juce::MemoryBlock body; // sized once the length is known to be within the limit
        size_t bodyBytes = 0;
        Action pending;
        char answer = 0;
    };

    /** A later start's end of a connection. */
    struct Channel
    {
        virtual ~Channel() = default;

        /** Writes all of data; waits for room until deadline at most, but
            tries once even past it. */
        virtual bool write (const void* data, size_t size, juce::int64 deadline) = 0;

        enum class Read
        {
            whole, // exactly the bytes asked for
            late, // the deadline passed first
            ended // the other end closed, or the connection failed
        };

        /** Reads exactly size bytes. */
        virtual Read read (void* data, size_t size, juce::int64 deadline) = 0;
    };

    /** Sends a framed message and confirms it when the running copy answers
        in time; true when it was confirmed. */
    static bool send (Channel& channel, const juce::MemoryBlock& framed, juce::int64 deadline);
};
