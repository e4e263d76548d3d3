#pragma once

#include "VeskDecoder.h"

#include <juce_core/juce_core.h>

#include <vector>

/**
    A .syx file: exclusive messages as they travel on the wire (F0 ... F7), one
    after another, as sysex tools write and send them.

    Parsing never fails: whatever is not a complete message of a sensible size
    is skipped and reported, and the messages around it are still found.
*/
struct VeskSyxFile
{
    /** A complete message; body excludes F0 and F7 and holds only 7-bit bytes. */
    struct Message
    {
        size_t fileOffset = 0; // where its F0 is
        juce::MemoryBlock body;
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

        Kind kind = Kind::junk;
        size_t fileOffset = 0;
        size_t length = 0; // bytes skipped, framing included
    };

    struct Contents
    {
        std::vector<Message> messages;
        std::vector<Skipped> skipped;
    };

    /** Splits a byte stream into messages. A message whose body would exceed
        maxBodySize bytes is skipped whole, up to its F7. */
    static Contents parse (const void* data, size_t size, size_t maxBodySize);

    /** Reads and parses a file. Fails only when the file cannot be read. */
    static juce::Result read (const juce::File& file, size_t maxBodySize, Contents& contents);

    /** "12 bytes outside any message at byte 0", "unterminated message at byte 3600 (...)" ... */
    static juce::String describe (const Skipped& skipped);

    /** What applying a file's messages to an image did. */
    struct Import
    {
        std::vector<VeskDecoder::Dump> dumps; // one per message, in file order
        int applied = 0;
    };

    /** Applies every message that is a valid dump of this unit, in file order,
        through the same checks as dumps received over MIDI. */
    static Import applyDumps (const Contents& contents, juce::uint8* image);

    /** What a person reads about an import: one line per message ignored or
        run of bytes skipped, in file order ("message at byte 40 ignored: bad
        checksum"), and one line that counts everything ("applied 21 dumps,
        ignored 1 message (1 bad checksum)"). */
    struct Report
    {
        std::vector<juce::String> details;
        juce::String summary;
    };

    static Report describeImport (const Contents& contents, const Import& import);

    /** Writes the messages that restore the whole image into a unit
        (VeskProtocol::wholeImage), whole: through a temporary file beside it. */
    static juce::Result writeImage (const juce::File& file, const juce::uint8* image);
};
