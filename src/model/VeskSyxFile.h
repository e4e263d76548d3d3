#pragma once

#include "VeskDecoder.h"

#include <juce_core/juce_core.h>

#include <array>
#include <functional>
#include <vector>

/**
    A .syx file: exclusive messages as they travel on the wire (F0 ... F7), one
    after another, as sysex tools write and send them.

    Parsing never fails: whatever is not a complete message of a sensible size
    is skipped and reported, and the messages around it are still found.

    Nothing is kept per message or per skipped run beyond the file's own bytes
    and a few entries for the report: a file of junk costs its size and no more.
*/
struct VeskSyxFile
{
    /** The largest file read: a whole unit is 3,616 bytes, so anything near
        this is not a dump of this unit, and reading it would only cost memory. */
    static constexpr juce::int64 maxFileSize = 1024 * 1024;

    /** How many skipped runs and ignored messages are kept with their place
        in the file, for the report; everything past them is only counted. */
    static constexpr size_t maxDetails = 32;

    /** A complete message; body excludes F0 and F7 and holds only 7-bit bytes.
        It points into the bytes being parsed. */
    struct Message
    {
        size_t fileOffset = 0; // where its F0 is
        const juce::uint8* body = nullptr;
        size_t bodySize = 0;
    };

    struct Skipped
    {
        enum class Kind
        {
            junk, // bytes outside any message
            unterminated, // the file ends inside a message
            interrupted, // a status byte other than F7 cut a message short
            tooLong // longer than maxBodySize: a dump of something else, or damage
        };

        static constexpr size_t numKinds = 4;

        Kind kind = Kind::junk;
        size_t fileOffset = 0;
        size_t length = 0; // bytes skipped, framing included
    };

    /** Runs of one kind and the bytes in them. */
    struct Tally
    {
        size_t runs = 0;
        size_t bytes = 0;
    };

    struct Contents
    {
        juce::MemoryBlock bytes; // the file's bytes, which messages point into
        size_t maxBodySize = 0;
        size_t numMessages = 0;

        std::vector<Skipped> skipped; // the first maxDetails runs, in file order
        std::array<Tally, Skipped::numKinds> skippedByKind {}; // every run, by kind

        /** Calls fn for every complete message, in file order. */
        void forEachMessage (const std::function<void (const Message&)>& fn) const;

        const Tally& tally (Skipped::Kind kind) const noexcept { return skippedByKind[(size_t) kind]; }
    };

    /** Walks a byte stream in order and calls onMessage for each complete
        message and onSkipped for each run of skipped bytes (adjacent junk is
        one run), storing nothing. A message whose body would exceed
        maxBodySize bytes is skipped whole, up to its F7. Either function may
        be empty. */
    static void scan (const void* data,
                      size_t size,
                      size_t maxBodySize,
                      const std::function<void (const Message&)>& onMessage,
                      const std::function<void (const Skipped&)>& onSkipped);

    /** Splits a copy of a byte stream into messages and skipped runs. */
    static Contents parse (const void* data, size_t size, size_t maxBodySize);

    /** Reads and parses a file. Fails when the file cannot be read or holds
        more than maxFileSize bytes; a larger file is refused by its size
        before anything is read, and a stream that does not tell its size
        (a pipe, a device) is read no further than the bound. */
    static juce::Result read (const juce::File& file, size_t maxBodySize, Contents& contents);

    /** "12 bytes outside any message at byte 0", "unterminated message at byte 3600 (...)" ... */
    static juce::String describe (const Skipped& skipped);

    static constexpr size_t numDumpResults = (size_t) VeskDecoder::numDumpResults;

    /** A message that was not applied, and why. */
    struct Ignored
    {
        size_t fileOffset = 0;
        VeskDecoder::DumpResult result = VeskDecoder::DumpResult::notThisUnit;
    };

    /** What applying a file's messages to an image did. */
    struct Import
    {
        int applied = 0;
        std::vector<VeskDecoder::Dump> appliedDumps; // in file order

        size_t numIgnored = 0;
        std::vector<Ignored> ignored; // the first maxDetails, in file order
        std::array<size_t, numDumpResults> ignoredByResult {}; // every one, indexed by VeskDecoder::DumpResult
    };

    /** Applies every message that is a whole record of this unit, in file
        order: a dump addressed inside a record, or of another device ID, is
        ignored as a damaged one is. */
    static Import applyDumps (const Contents& contents, juce::uint8* image);

    /** What a person reads about an import: one line per message ignored or
        run of bytes skipped, in file order ("message at byte 40 ignored: bad
        checksum"), at most maxDetailLines of them (and no more than
        maxDetails) with the last saying how many more there are; and one
        line that counts everything exactly
        ("applied 21 dumps, ignored 1 message (1 bad checksum)"). */
    struct Report
    {
        std::vector<juce::String> details;
        juce::String summary;

        /** "FILE: summary.", then the details after a blank line. */
        juce::StringArray lines (const juce::String& fileName) const;
    };

    static Report describeImport (const Contents& contents, const Import& import, size_t maxDetailLines = 12);

    /** The messages that restore the whole image into a unit
        (VeskProtocol::wholeImage), one after another. */
    static juce::MemoryBlock encodeImage (const juce::uint8* image);

    /** Writes encodeImage's bytes whole: through a temporary file beside it. */
    static juce::Result writeImage (const juce::File& file, const juce::uint8* image);
};
