#include "InstanceHandover.h"
#include "UserSettings.h"

#if JUCE_LINUX || JUCE_BSD || JUCE_MAC
#include <sys/stat.h>
#endif

namespace
{
    constexpr juce::uint32 magic = 0x48534b56; // "VKSH" on the wire
    const char* const accepted = "accepted";

    juce::String makeKey()
    {
        juce::HeapBlock<juce::uint8> bytes (16, true);
        juce::FileInputStream urandom (juce::File ("/dev/urandom"));

        if (! urandom.openedOk() || urandom.read (bytes.get(), 16) != 16)
            juce::Random::getSystemRandom().fillBitsRandomly (bytes.get(), 16);

        return juce::String::toHexString (bytes.get(), 16, 0);
    }

    /** A later start's side: sends one request and waits for the answer. */
    class Client : public juce::InterprocessConnection
    {
    public:
        Client() : juce::InterprocessConnection (false, magic) {}
        ~Client() override { disconnect(); }

        void connectionMade() override {}
        void connectionLost() override { answered.signal(); }

        void messageReceived (const juce::MemoryBlock& message) override
        {
            reply = message.toString();
            answered.signal();
        }

        juce::WaitableEvent answered;
        juce::String reply; // written before answered is signalled

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Client)
    };
}

/** What the connections hand on; set before listening starts, then only read. */
struct InstanceHandover::Receiver
{
    juce::String key;
    FilesHandler handler;
};

/** The running copy's side of one later start. Answers on its own thread, so a
    later start ends at once even while the running copy is busy. */
class InstanceHandover::Connection : public juce::InterprocessConnection
{
public:
    explicit Connection (std::weak_ptr<Receiver> receiverToUse)
        : juce::InterprocessConnection (false, magic),
          receiver (std::move (receiverToUse))
    {
    }

    ~Connection() override { disconnect(); }

    void connectionMade() override {}
    void connectionLost() override { finished = true; }

    void messageReceived (const juce::MemoryBlock& message) override
    {
        juce::StringArray paths;
        {
            const auto r = receiver.lock();

            if (r == nullptr || ! decodeRequest (message, r->key, paths))
                return;
        }

        sendMessage (juce::MemoryBlock (accepted, strlen (accepted)));

        juce::MessageManager::callAsync ([weak = receiver, paths]
                                         {
                                             if (auto r = weak.lock())
                                                 if (r->handler != nullptr)
                                                     r->handler (paths); });
    }

    std::atomic<bool> finished { false };

private:
    std::weak_ptr<Receiver> receiver;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Connection)
};

class InstanceHandover::Server : public juce::InterprocessConnectionServer
{
public:
    explicit Server (std::weak_ptr<Receiver> receiverToUse) : receiver (std::move (receiverToUse)) {}

    ~Server() override
    {
        stop();
        const juce::ScopedLock sl (lock);
        connections.clear();
    }

    juce::InterprocessConnection* createConnectionObject() override
    {
        const juce::ScopedLock sl (lock);

        // Finished ones go here, so that they do not pile up over a long session.
        for (int i = connections.size(); --i >= 0;)
            if (connections.getUnchecked (i)->finished)
                connections.remove (i);

        return connections.add (std::make_unique<Connection> (receiver));
    }

private:
    std::weak_ptr<Receiver> receiver;
    juce::CriticalSection lock;
    juce::OwnedArray<Connection> connections;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Server)
};

//==============================================================================
InstanceHandover::InstanceHandover()
    : InstanceHandover ("juceAppLock_VeskEdit", UserSettings::getFolder().getChildFile ("VeskEdit.instance"))
{
}

InstanceHandover::InstanceHandover (const juce::String& lockNameToUse, const juce::File& instanceFileToUse)
    : lockName (lockNameToUse),
      instanceFile (instanceFileToUse)
{
}

InstanceHandover::~InstanceHandover()
{
    server = nullptr;
    receiver = nullptr;

    // Only our own: a copy that started since may have written its own.
    if (key.isNotEmpty() && instanceFile.loadFileAsString().contains (key))
        instanceFile.deleteFile();
}

bool InstanceHandover::takeLock()
{
    lock = std::make_unique<juce::InterProcessLock> (lockName);

    if (lock->enter (0))
        return true;

    lock = nullptr;
    return false;
}

bool InstanceHandover::listen (FilesHandler handler)
{
    key = makeKey();
    receiver = std::make_shared<Receiver>();
    receiver->key = key;
    receiver->handler = std::move (handler);

    server = std::make_unique<Server> (receiver);

    if (! server->beginWaitingForSocket (0, "127.0.0.1"))
    {
        server = nullptr;
        return false;
    }

    writeInstanceFile (server->getBoundPort());
    return true;
}

void InstanceHandover::writeInstanceFile (int port)
{
    if (! instanceFile.getParentDirectory().createDirectory())
        return;

    // Made private before the key goes in, then renamed into place.
    juce::TemporaryFile temp (instanceFile);

    if (! temp.getFile().create())
        return;

#if JUCE_LINUX || JUCE_BSD || JUCE_MAC
    chmod (temp.getFile().getFullPathName().toRawUTF8(), S_IRUSR | S_IWUSR);
#endif

    {
        juce::FileOutputStream out (temp.getFile());

        if (! out.openedOk() || ! out.writeText (juce::String (port) + " " + key + "\n", false, false, nullptr))
            return;
    }

    temp.overwriteTargetFileWithTemporary();
}

juce::Result InstanceHandover::handOver (const juce::StringArray& paths, int timeoutMs) const
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) juce::jmax (0, timeoutMs);

    for (;;)
    {
        const auto fields = juce::StringArray::fromTokens (instanceFile.loadFileAsString().trim(), false);

        if (fields.size() == 2)
        {
            Client client;

            if (client.connectToSocket ("127.0.0.1", fields[0].getIntValue(), 1000)
                && client.sendMessage (encodeRequest (fields[1], paths)))
            {
                const auto now = juce::Time::getMillisecondCounter();
                client.answered.wait ((double) (deadline > now ? deadline - now : 0));

                if (client.reply == accepted)
                    return juce::Result::ok();
            }
        }

        if (juce::Time::getMillisecondCounter() >= deadline)
            break;

        // The running copy may still be starting: it listens once its window is up.
        juce::Thread::sleep (100);
    }

    return juce::Result::fail ("VeskEdit is already running, but it did not take the files "
                               "(is it another user's?)");
}

juce::StringArray InstanceHandover::filesFromArguments (const juce::StringArray& arguments, const juce::File& workingDirectory)
{
    juce::StringArray paths;

    for (const auto& argument : arguments)
        if (argument.isNotEmpty() && ! argument.startsWithChar ('-'))
            paths.add (workingDirectory.getChildFile (argument).getFullPathName());

    return paths;
}

juce::MemoryBlock InstanceHandover::encodeRequest (const juce::String& key, const juce::StringArray& paths)
{
    juce::MemoryOutputStream out;
    out.writeString (key);
    out.writeCompressedInt (paths.size());

    for (const auto& path : paths)
        out.writeString (path);

    return out.getMemoryBlock();
}

bool InstanceHandover::decodeRequest (const juce::MemoryBlock& data, const juce::String& key, juce::StringArray& paths)
{
    juce::MemoryInputStream in (data, false);
    const auto* bytes = static_cast<const char*> (data.getData());

    // A string cut short reads as a shorter one: each must end in its zero byte.
    auto readString = [&] (juce::String& text)
    {
        const auto start = in.getPosition();
        text = in.readString();
        return in.getPosition() > start && bytes[in.getPosition() - 1] == 0;
    };

    juce::String sentKey;

    if (key.isEmpty() || ! readString (sentKey) || sentKey != key || in.getNumBytesRemaining() < 1)
        return false;

    const auto count = in.readCompressedInt();

    if (count < 0 || count > maxPathsPerRequest)
        return false;

    juce::StringArray result;

    for (int i = 0; i < count; ++i)
    {
        juce::String path;

        if (! readString (path) || ! juce::File::isAbsolutePath (path))
            return false;

        result.add (path);
    }

    if (! in.isExhausted())
        return false;

    paths = result;
    return true;
}
