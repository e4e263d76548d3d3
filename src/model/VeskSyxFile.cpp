#include "VeskSyxFile.h"
#include "BoundedFileReader.h"
#include "Plural.h"
#include "VeskProtocol.h"
#include "WholeFileWriter.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace
{
    constexpr juce::uint8 sysexStart = 0xF0;
    constexpr juce::uint8 sysexEnd = 0xF7;

    juce::String bound()
    {
        return "a .syx file of this unit is at most 1 MiB (" + WholeFileWriter::formatCount (VeskSyxFile::maxFileSize) + " bytes)";
    }

    juce::String tooBig (juce::int64 size)
    {
        return "is " + juce::String ((double) size / (1024.0 * 1024.0), 1) + " MiB (" + WholeFileWriter::formatCount (size)
               + " bytes): " + bound();
    }

    VeskSyxFile::Contents tally (juce::MemoryBlock bytes, size_t maxBodySize)
    {
        VeskSyxFile::Contents contents;
        contents.bytes = std::move (bytes);
        contents.maxBodySize = maxBodySize;

        VeskSyxFile::scan (
            contents.bytes.getData(), contents.bytes.getSize(), maxBodySize, [&contents] (const VeskSyxFile::Message&)
            { ++contents.numMessages; },
            [&contents] (const VeskSyxFile::Skipped& s)
            {
                auto& t = contents.skippedByKind[(size_t) s.kind];
                ++t.runs;
                t.bytes += s.length;

                if (contents.skipped.size() < VeskSyxFile::maxDetails)
                    contents.skipped.push_back (s);
            });

        return contents;
    }
}

void VeskSyxFile::scan (const void* data,
                        size_t size,
                        size_t maxBodySize,
                        const std::function<void (const Message&)>& onMessage,
                        const std::function<void (const Skipped&)>& onSkipped)
{
    using Kind = Skipped::Kind;

    auto* bytes = static_cast<const juce::uint8*> (data);
    size_t pos = 0;

    auto skip = [&onSkipped] (Kind kind, size_t from, size_t length)
    {
        if (onSkipped)
            onSkipped ({ kind, from, length });
    };

    while (pos < size)
    {
        if (bytes[pos] != sysexStart)
        {
            // Everything up to the next F0 is one run of junk, however long.
            auto* next = std::memchr (bytes + pos, sysexStart, size - pos);
            const size_t end = next != nullptr ? (size_t) (static_cast<const juce::uint8*> (next) - bytes) : size;
            skip (Kind::junk, pos, end - pos);
            pos = end;
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

        if (onMessage)
            onMessage ({ start, bytes + start + 1, bodySize });
    }
}

void VeskSyxFile::Contents::forEachMessage (const std::function<void (const Message&)>& fn) const
{
    scan (bytes.getData(), bytes.getSize(), maxBodySize, fn, nullptr);
}

VeskSyxFile::Contents VeskSyxFile::parse (const void* data, size_t size, size_t maxBodySize)
{
    return tally (size > 0 ? juce::MemoryBlock (data, size) : juce::MemoryBlock(), maxBodySize);
}

juce::Result VeskSyxFile::read (const juce::File& file, size_t maxBodySize, Contents& contents)
{
    if (file.isDirectory())
        return juce::Result::fail ("is a folder, not a .syx file");

    // A file that says it is too big is not opened at all.
    const auto size = file.getSize();

    if (size > maxFileSize)
        return juce::Result::fail (tooBig (size));

    // Pipes and devices report no size, or a wrong one: the reader stops one
    // byte past the bound.
    juce::MemoryBlock block;

    if (const auto read = BoundedFileReader::read (file, (size_t) maxFileSize, block); read.failed())
        return read;

    if (block.getSize() > (size_t) maxFileSize)
        return juce::Result::fail ("is larger than 1 MiB: " + bound());

    contents = tally (std::move (block), maxBodySize);
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

    contents.forEachMessage ([&result, image] (const Message& message)
                             {
                                 const auto dump = VeskDecoder::applyDump (image, message.body, (int) message.bodySize, VeskDecoder::Check::wholeRecord);

                                 if (dump.applied())
                                 {
                                     ++result.applied;
                                     result.appliedDumps.push_back (dump);
                                     return;
                                 }

                                 ++result.numIgnored;
                                 ++result.ignoredByResult[(size_t) dump.result];

                                 if (result.ignored.size() < maxDetails)
                                     result.ignored.push_back ({ message.fileOffset, dump.result }); });

    return result;
}

VeskSyxFile::Report VeskSyxFile::describeImport (const Contents& contents, const Import& import, size_t maxDetailLines)
{
    using Kind = Skipped::Kind;

    std::map<juce::String, size_t> reasons;
    size_t ignored = import.numIgnored;
    size_t numDetails = import.numIgnored;

    for (size_t i = 0; i < numDumpResults; ++i)
        if (import.ignoredByResult[i] > 0)
            reasons[VeskDecoder::describe ((VeskDecoder::DumpResult) i)] += import.ignoredByResult[i];

    for (auto [kind, reason] : { std::pair (Kind::tooLong, "too long"),
                                 std::pair (Kind::unterminated, "unterminated"),
                                 std::pair (Kind::interrupted, "interrupted") })
    {
        if (const auto runs = contents.tally (kind).runs; runs > 0)
        {
            reasons[reason] += runs;
            ignored += runs;
        }
    }

    for (auto& t : contents.skippedByKind)
        numDetails += t.runs;

    // The first lines in file order come from the first entries of each list,
    // which are kept as long as no more lines are asked for than are kept.
    maxDetailLines = std::min (maxDetailLines, maxDetails);
    const size_t listed = numDetails <= maxDetailLines ? numDetails : (maxDetailLines > 0 ? maxDetailLines - 1 : 0);

    Report report;
    size_t m = 0, s = 0;

    while (report.details.size() < listed && (m < import.ignored.size() || s < contents.skipped.size()))
    {
        if (s == contents.skipped.size() || (m < import.ignored.size() && import.ignored[m].fileOffset < contents.skipped[s].fileOffset))
        {
            auto& message = import.ignored[m++];
            report.details.push_back ("message at byte " + juce::String ((juce::int64) message.fileOffset)
                                      + " ignored: " + VeskDecoder::describe (message.result));
        }
        else
        {
            report.details.push_back ("skipped " + describe (contents.skipped[s++]));
        }
    }

    if (report.details.size() < numDetails && maxDetailLines > 0)
        report.details.push_back ("... and " + WholeFileWriter::formatCount ((juce::int64) (numDetails - report.details.size())) + " more");

    juce::StringArray why;

    for (auto& [reason, count] : reasons)
        why.add (WholeFileWriter::formatCount ((juce::int64) count) + " " + reason);

    const auto outside = contents.tally (Kind::junk).bytes;

    report.summary = "applied " + plural (import.applied, "dump", "dumps")
                     + ", ignored " + plural ((juce::int64) ignored, "message", "messages")
                     + (why.isEmpty() ? juce::String() : " (" + why.joinIntoString (", ") + ")")
                     + (outside == 0 ? juce::String() : ", skipped " + plural ((juce::int64) outside, "byte", "bytes") + " outside messages");
    return report;
}

juce::MemoryBlock VeskSyxFile::encodeImage (const juce::uint8* image)
{
    juce::MemoryOutputStream syx;

    for (auto& message : VeskProtocol::wholeImage (image))
        syx.write (message.getRawData(), (size_t) message.getRawDataSize());

    return syx.getMemoryBlock();
}

juce::Result VeskSyxFile::writeImage (const juce::File& file, const juce::uint8* image)
{
    return WholeFileWriter::write (file, encodeImage (image));
}

juce::StringArray VeskSyxFile::Report::lines (const juce::String& fileName) const
{
    juce::StringArray text (fileName + ": " + summary + ".");

    if (! details.empty())
    {
        text.add ({});

        for (auto& detail : details)
            text.add (detail);
    }

    return text;
}
