// The request a later start sends: its key and the files it was given.
#include "InstanceHandover.h"

#include <cstring>

namespace
{
    bool keysMatch (const juce::String& a, const juce::String& b)
    {
        const auto* x = a.toRawUTF8();
        const auto* y = b.toRawUTF8();
        const auto size = std::strlen (x);

        // The key's length is no secret; its bytes are all looked at, whatever they hold.
        if (size != std::strlen (y))
            return false;

        unsigned int difference = 0;

        for (size_t i = 0; i < size; ++i)
            difference |= (unsigned int) (x[i] ^ y[i]);

        return difference == 0;
    }
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

    if (key.isEmpty() || ! readString (sentKey) || ! keysMatch (sentKey, key) || in.getNumBytesRemaining() < 1)
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
