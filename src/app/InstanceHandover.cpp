#include "InstanceHandover.h"
#include "UserSettings.h"
#include "model/PrivateFolder.h"
#include "platform/SecureRandom.h"

/** What the server's thread hands on; set before listening starts, then only read. */
struct InstanceHandover::Receiver
{
    juce::String key;
    FilesHandler handler;
};

//==============================================================================
InstanceHandover::InstanceHandover() : InstanceHandover (getDefaultFolder())
{
}

InstanceHandover::InstanceHandover (const juce::File& folderToUse, HandoverProtocol::Limits limitsToUse, HandoverTransport::PeerUid peerUid)
    : folder (folderToUse),
      limits (limitsToUse),
      transport (HandoverTransport::create (folderToUse, limitsToUse, std::move (peerUid)))
{
}

InstanceHandover::~InstanceHandover()
{
    // The server's thread ends before what it hands on goes.
    transport = nullptr;
    receiver = nullptr;
}

juce::File InstanceHandover::getDefaultFolder()
{
    return PrivateFolder::inRuntimeFolder ("VeskEdit", UserSettings::getFolder().getChildFile ("instance"));
}

InstanceHandover::Lock InstanceHandover::takeLock()
{
    jassert (! locked);
    const auto lock = transport->takeLock (problem);
    locked = lock == Lock::taken;
    return lock;
}

bool InstanceHandover::listen (FilesHandler handler)
{
    jassert (locked && receiver == nullptr);

    if (! locked)
        return false;

    // Without a key from the system's random source there is no hand-over at all.
    const auto key = SecureRandom::hex (HandoverTransport::keyBytes);

    if (key.isEmpty())
    {
        problem = "the system gave no random numbers for the hand-over's key";
        return false;
    }

    auto listening = std::make_shared<Receiver>();
    listening->key = key;
    listening->handler = std::move (handler);

    // On the server's thread: checked there, handed to the message thread once the sender confirms.
    auto onMessage = [weak = std::weak_ptr<Receiver> (listening)] (const juce::MemoryBlock& message) -> HandoverProtocol::Action
    {
        juce::StringArray paths;

        if (const auto r = weak.lock(); r == nullptr || ! decodeRequest (message, r->key, paths))
            return {};

        return [weak, paths]
        {
            juce::MessageManager::callAsync ([weak, paths]
                                             {
                                                 if (const auto r = weak.lock())
                                                     if (r->handler != nullptr)
                                                         r->handler (paths); });
        };
    };

    if (! transport->listen (key, std::move (onMessage), problem))
        return false;

    receiver = std::move (listening);
    return true;
}

juce::Result InstanceHandover::handOver (const juce::StringArray& paths, int timeoutMs) const
{
    const auto deadline = HandoverProtocol::nowMs() + juce::jmax (0, timeoutMs);

    // The running copy opens the first file: what does not fit into one message is left out.
    juce::StringArray sent;
    const auto anyKey = juce::String::repeatedString ("0", (int) HandoverTransport::keyBytes * 2);

    for (const auto& path : paths)
    {
        sent.add (path);

        if (sent.size() > maxPathsPerRequest || encodeRequest (anyKey, sent).getSize() > limits.maxMessageBytes)
        {
            sent.remove (sent.size() - 1);
            break;
        }
    }

    for (;;)
    {
        juce::String key;

        if (const auto channel = transport->connect (key, deadline))
            if (HandoverProtocol::send (*channel, HandoverProtocol::frame (encodeRequest (key, sent)), deadline))
                return juce::Result::ok();

        if (HandoverProtocol::nowMs() >= deadline)
            break;

        // The running copy may still be starting: it listens once its window is up.
        juce::Thread::sleep (100);
    }

    return juce::Result::fail ("VeskEdit is already running for this user, but it did not answer within "
                               + juce::String (timeoutMs / 1000.0, 1) + " seconds"
                               + (paths.isEmpty() ? juce::String() : juce::String (", so the files were not opened")) + ".");
}
