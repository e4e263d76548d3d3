#include "BoundedFileReader.h"

#include "platform/FileSystem.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace
{
    std::mutex policyLock;
    BoundedFileReader::Policy policy;

    juce::String why (int error)
    {
        return SystemError::systemWords (error);
    }

    juce::String seconds (int ms)
    {
        const auto text = ms % 1000 == 0 ? juce::String (ms / 1000) : juce::String (ms / 1000.0, 1);
        return text + (ms == 1000 ? " second" : " seconds");
    }

    /** Why a file of this kind is not read, or nothing when it is. */
    juce::String refusal (FileFacts::Kind kind, bool pipes)
    {
        if (kind == FileFacts::Kind::file || (pipes && kind == FileFacts::Kind::pipe))
            return {};

        if (kind == FileFacts::Kind::folder)
            return "is a folder";

        if (kind == FileFacts::Kind::pipe)
            return "is a pipe, not a file";

        if (kind == FileFacts::Kind::socket)
            return "is a socket, not a file";

        return "is a device, not a file";
    }
}

void BoundedFileReader::setPolicy (const Policy& newPolicy)
{
    const std::lock_guard<std::mutex> guard (policyLock);
    policy = newPolicy;
}

BoundedFileReader::Policy BoundedFileReader::getPolicy()
{
    const std::lock_guard<std::mutex> guard (policyLock);
    return policy;
}

juce::Result BoundedFileReader::read (const juce::File& file, size_t maxBytes, juce::MemoryBlock& data)
{
    data.reset();
    const auto rules = getPolicy();

    // Looked at before it is opened: opening a device can do things of its
    // own (a terminal's master makes a new terminal), and is not needed to
    // refuse it.
    FileFacts info;

    if (const auto error = FileSystem::lookAt (file, true, info); error != 0)
        return juce::Result::fail ("cannot be opened (" + why (error) + ")");

    if (const auto refused = refusal (info.kind, rules.pipes); refused.isNotEmpty())
        return juce::Result::fail (refused);

    FileHandle in;

    if (const auto error = FileSystem::openToRead (file, in); error != 0)
        return juce::Result::fail ("cannot be opened (" + why (error) + ")");

    // The name may have been given to something else since it was looked at.
    if (const auto error = in.lookAt (info); error != 0)
        return juce::Result::fail ("cannot be read (" + why (error) + ")");

    if (const auto refused = refusal (info.kind, rules.pipes); refused.isNotEmpty())
        return juce::Result::fail (refused);

    // Room for what the file says it holds (a pipe says nothing), grown while
    // more comes, up to one byte past the bound.
    const auto limit = maxBytes + 1;
    const auto said = info.kind == FileFacts::Kind::file ? (size_t) info.size + 1 : (size_t) 64 * 1024;
    juce::MemoryBlock block (std::min (limit, std::max (said, (size_t) 4096)));
    size_t got = 0;

    const auto start = juce::Time::getMillisecondCounterHiRes();
    auto lastCame = start;

    for (;;)
    {
        if (got == block.getSize())
        {
            if (got == limit)
                break;

            block.setSize (std::min (limit, 2 * got));
        }

        size_t n = 0;
        const auto error = in.read (static_cast<char*> (block.getData()) + got, block.getSize() - got, n);

        if (error == 0 && n > 0)
        {
            got += n;
            lastCame = juce::Time::getMillisecondCounterHiRes();
            continue;
        }

        if (error == 0)
            break;

        if (! FileSystem::isNothingYet (error))
            return juce::Result::fail ("cannot be read (" + why (error) + ")");

        // A pipe whose writer is there but quiet: wait for it, up to the bounds.
        const auto now = juce::Time::getMillisecondCounterHiRes();
        const auto quietLeft = rules.quietMs - (now - lastCame);
        const auto totalLeft = rules.totalMs - (now - start);

        if (totalLeft <= 0)
            return juce::Result::fail ("cannot be read (it took more than " + seconds (rules.totalMs) + ")");

        if (quietLeft <= 0)
            return juce::Result::fail ("cannot be read (nothing came for " + seconds (rules.quietMs) + ")");

        FileSystem::waitToRead (in, (int) std::ceil (std::min (quietLeft, totalLeft)));
    }

    block.setSize (got);
    data = std::move (block);
    return juce::Result::ok();
}
