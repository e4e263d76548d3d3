#include "HandoverProtocol.h"

#include <algorithm>
#include <chrono>
#include <cstring>

juce::int64 HandoverProtocol::nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds> (steady_clock::now().time_since_epoch()).count();
}

juce::MemoryBlock HandoverProtocol::frame (const juce::MemoryBlock& message)
{
    const auto length = (juce::uint32) message.getSize();
    const juce::uint8 header[8] = { (juce::uint8) greeting[0], (juce::uint8) greeting[1], (juce::uint8) greeting[2], (juce::uint8) greeting[3],
                                    (juce::uint8) (length >> 24), (juce::uint8) (length >> 16), (juce::uint8) (length >> 8), (juce::uint8) length };
    juce::MemoryBlock framed (header, sizeof (header));
    framed.append (message.getData(), message.getSize());
    return framed;
}

//==============================================================================
void* HandoverProtocol::Incoming::nextBytes()
{
    if (pending != nullptr)
        return &answer;

    if (headerBytes < sizeof (header))
        return header + headerBytes;

    return static_cast<char*> (body.getData()) + bodyBytes;
}

size_t HandoverProtocol::Incoming::nextSize() const
{
    if (pending != nullptr)
        return 1;

    if (headerBytes < sizeof (header))
        return sizeof (header) - headerBytes;

    return body.getSize() - bodyBytes;
}

HandoverProtocol::Incoming::Step HandoverProtocol::Incoming::received (size_t size, const Limits& limits, const MessageHandler& handler)
{
    if (pending != nullptr)
    {
        if (answer != confirmation)
            return Step::close;

        const auto action = std::move (pending);
        pending = nullptr;
        action();
        return Step::answerAccepted;
    }

    if (headerBytes < sizeof (header))
    {
        headerBytes += size;

        // A stranger is turned away at the first wrong byte.
        if (std::memcmp (header, greeting, std::min (headerBytes, sizeof (greeting))) != 0)
            return Step::close;

        if (headerBytes < sizeof (header))
            return Step::more;

        const auto length = (juce::uint32) header[4] << 24 | (juce::uint32) header[5] << 16
                            | (juce::uint32) header[6] << 8 | (juce::uint32) header[7];

        if (length == 0 || length > limits.maxMessageBytes)
            return Step::close;

        body.setSize (length);
        return Step::more;
    }

    bodyBytes += size;

    if (bodyBytes < body.getSize())
        return Step::more;

    auto action = handler != nullptr ? handler (body) : Action();

    if (action == nullptr)
        return Step::close;

    pending = std::move (action);
    body.reset();
    return Step::answerReady;
}

//==============================================================================
bool HandoverProtocol::send (Channel& channel, const juce::MemoryBlock& framed, juce::int64 deadline)
{
    if (! channel.write (framed.getData(), framed.getSize(), deadline))
        return false;

    // The running copy asks whether we still wait before it acts: past our
    // deadline we do not answer, and closing the connection withdraws the files.
    const auto readySize = std::strlen (readyReply);
    char reply[16];

    if (channel.read (reply, readySize, deadline) != Channel::Read::whole || std::memcmp (reply, readyReply, readySize) != 0)
        return false;

    // Once this byte is in, the running copy acts on it; a copy that gave up
    // on us in the meantime has shut its end, and the write fails.
    if (! channel.write (&confirmation, 1, deadline))
        return false;

    // Done: its answer only tells that it has acted by now, so a start that
    // ends here leaves the running copy's window already on its way forward.
    // Only a copy that closed without answering never took the byte: a pipe
    // takes what is written to it until its reader closes, and the copy reads
    // no more once it gave up on us.
    return channel.read (reply, std::strlen (acceptedReply), std::max (deadline, nowMs() + 1000)) != Channel::Read::ended;
}
