#include "VeskSyxFile.h"
#include "VeskProtocol.h"
#include "WholeFileWriter.h"

#include <algorithm>
#include <map>

namespace
{
    constexpr juce::uint8 sysexStart = 0xF0;
    constexpr juce::uint8 sysexEnd = 0xF7;
}

VeskSyxFile::Contents VeskSyxFile::parse (const void* data, size_t size, size_t maxBodySize)
{
    using Kind = Skipped::Kind;

    Contents contents;
    auto* bytes = static_cast<const juce::uint8*> (data);
    size_t pos = 0;

    auto skip = [&contents] (Kind kind, size_t from, size_t length)
    {
        // One report for a run of junk, however long.
        if (kind == Kind::junk && ! contents.skipped.empty())
        {
            auto& last = contents.skipped.back();

            if (last.kind == Kind::junk && last.fileOffset + last.length == from)
            {
                last.length += length;
                return;
            }
        }

        contents.skipped.push_back ({ kind, from, length });
    };

    while (pos < size)
    {
        if (bytes[pos] != sysexStart)
        {
            skip (Kind::junk, pos, 1);
            ++pos;
            continue;
        }

        const size_t start = pos++;

        while (pos < size && bytes[pos] < 0x80)
            ++pos;

        const size_t bodySize = pos - start - 1;

        if (pos == size)
        {
            skip (Kind::unterminated, start, pos - start);
            break;
        }

        if (bytes[pos] != sysexEnd)
        {
            // Leave the status byte where it is: an F0 starts the next message.
            skip (Kind::interrupted, start, pos - start);
            continue;
        }

        ++pos;

        if (bodySize > maxBodySize)
        {
            skip (Kind::tooLong, start, pos - start);
            continue;
        }

        contents.messages.push_back ({ start, juce::MemoryBlock (bytes + start + 1, bodySize) });
    }

    return contents;
}

juce::Result VeskSyxFile::read (const juce::File& file, size_t maxBodySize, Contents& contents)
{
    if (file.isDirectory())
        return juce::Result::fail ("is a folder, not a .syx file");

    juce::FileInputStream in (file);

    if (! in.openedOk())
        return juce::Result::fail ("cannot be opened for reading (" + in.getStatus().getErrorMessage() + ")");

    juce::MemoryBlock block;
    in.readIntoMemoryBlock (block);

    if (in.getStatus().failed())
        return juce::Result::fail ("cannot be read (" + in.getStatus().getErrorMessage() + ")");

    contents = parse (block.getData(), block.getSize(), maxBodySize);
    return juce::Result::ok();
}

juce::String VeskSyxFile::describe (const Skipped& skipped)
{
    const auto at = " at byte " + juce::String ((juce::int64) skipped.fileOffset);
    const auto length = juce::String ((juce::int64) skipped.length) + (skipped.length == 1 ? " byte" : " bytes");

    switch (skipped.kind)
    {
        case Skipped::Kind::junk: return length + " outside any message" + at;
        case Skipped::Kind::unterminated: return "unterminated message" + at + " (" + length + ", no F7 before the end)";
        case Skipped::Kind::interrupted: return "interrupted message" + at + " (" + length + ", cut short by a status byte)";
        case Skipped::Kind::tooLong: return "message" + at + " longer than any dump (" + length + ")";
    }

    return {};
}

VeskSyxFile::Import VeskSyxFile::applyDumps (const Contents& contents, juce::uint8* image)
{
    Import result;

    for (auto& message : contents.messages)
    {
        auto dump = VeskDecoder::applyDump (image,
                                            static_cast<const juce::uint8*> (message.body.getData()),
                                            (int) message.body.getSize());
        result.dumps.push_back (dump);

        if (dump.applied())
            ++result.applied;
    }

    return result;
}

VeskSyxFile::Report VeskSyxFile::describeImport (const Contents& contents, const Import& import)
{
    std::vector<std::pair<size_t, juce::String>> details;
    std::map<juce::String, int> reasons;
    int ignored = 0;
    size_t outside = 0;

    for (size_t i = 0; i < import.dumps.size() && i < contents.messages.size(); ++i)
    {
        if (import.dumps[i].applied())
            continue;

        auto reason = VeskDecoder::describe (import.dumps[i].result);
        ++reasons[reason];
        ++ignored;
        details.emplace_back (contents.messages[i].fileOffset,
                              "message at byte " + juce::String ((juce::int64) contents.messages[i].fileOffset) + " ignored: " + reason);
    }

    for (auto& skipped : contents.skipped)
    {
        if (skipped.kind == Skipped::Kind::junk)
        {
            outside += skipped.length;
        }
        else
        {
            ++reasons[skipped.kind == Skipped::Kind::tooLong ? "too long"
                                                             : (skipped.kind == Skipped::Kind::unterminated ? "unterminated" : "interrupted")];
            ++ignored;
        }

        details.emplace_back (skipped.fileOffset, "skipped " + describe (skipped));
    }

    std::stable_sort (details.begin(), details.end(), [] (auto& a, auto& b)
                      { return a.first < b.first; });

    Report report;

    for (auto& detail : details)
        report.details.push_back (detail.second);

    juce::StringArray why;

    for (auto& [reason, count] : reasons)
        why.add (juce::String (count) + " " + reason);

    report.summary = "applied " + juce::String (import.applied) + (import.applied == 1 ? " dump" : " dumps")
                     + ", ignored " + juce::String (ignored) + (ignored == 1 ? " message" : " messages")
                     + (why.isEmpty() ? juce::String() : " (" + why.joinIntoString (", ") + ")")
                     + (outside == 0 ? juce::String() : ", skipped " + juce::String ((juce::int64) outside) + " bytes outside messages");
    return report;
}

juce::Result VeskSyxFile::writeImage (const juce::File& file, const juce::uint8* image)
{
    juce::MemoryOutputStream syx;

    for (auto& message : VeskProtocol::wholeImage (image))
        syx.write (message.getRawData(), (size_t) message.getRawDataSize());

    return WholeFileWriter::write (file, syx.getData(), syx.getDataSize());
}
