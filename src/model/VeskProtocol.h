#pragma once

#include "VeskBlock.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

/**
    Builds the messages the unit understands. Exclusive bodies are built without
    F0 / F7; the MidiMessage returned carries the framing.

    Every body starts 41 10 00 4F (maker, device, model) and a command byte,
    then a four-byte address a0 a1 a2 a3, data or a size, and a checksum.
*/
struct VeskProtocol
{
    static constexpr juce::uint8 maker = 0x41;
    static constexpr juce::uint8 deviceId = 0x10;
    static constexpr juce::uint8 modelHigh = 0x00;
    static constexpr juce::uint8 modelLow = 0x4F;
    static constexpr juce::uint8 commandDataSet = 0x12;
    static constexpr juce::uint8 commandDataRequest = 0x11;

    static constexpr int headerSize = 5; // maker, device, model (2), command
    static constexpr int addressSize = 4;
    static constexpr int dataOffset = headerSize + addressSize;

    static constexpr int dataSetBodySize = dataOffset + 1 + 1; // 11
    static constexpr int systemBulkBodySize = dataOffset + 13 + 1; // 23
    static constexpr int patternBulkBodySize = dataOffset + 159 + 1; // 169
    static constexpr int requestBodySize = dataOffset + 4 + 1; // 14

    /** (128 - sum of body bytes 5 .. length - 2) mod 128. */
    static juce::uint8 computeChecksum (const juce::uint8* body, int length) noexcept;

    /** A one-byte data set: area a0, offset halves a2 a3, one value. */
    static juce::MidiMessage dataSet (int a0, int a2, int a3, int value);

    /** A one-byte data set for a byte offset within the system block or a pattern record. */
    static juce::MidiMessage dataSetAtOffset (int a0, int offset, int value);

    /** The whole system block (13 bytes) to address 00 00 00 00. */
    static juce::MidiMessage systemBulk (const juce::uint8* systemBlock);

    /** A pattern record (159 bytes) to address a0 a1 00 00. */
    static juce::MidiMessage patternBulk (int a0, int a1, const juce::uint8* record);

    static juce::MidiMessage systemRequest();
    static juce::MidiMessage patternRequest (int a0, int a1);

    /** A block of image (the whole image) to the block's own address, and the request for it. */
    static juce::MidiMessage blockBulk (const juce::uint8* image, VeskBlock block);
    static juce::MidiMessage blockRequest (VeskBlock block);

    /** What restores a whole image into a unit, in this order: the system bulk,
        user patterns 1-20 at 02 n 00 00, then the temporary pattern at
        01 00 00 00 (last, so the unit is left editing it). */
    static std::vector<juce::MidiMessage> wholeImage (const juce::uint8* image);

    /** Sets a body's last byte to its checksum and frames it. */
    static juce::MidiMessage finish (juce::uint8* body, int length);

    /** Milliseconds a message of that many bytes takes on a MIDI line
        (31250 baud, ten bits a byte). */
    static constexpr double wireMilliseconds (int numBytes) noexcept { return numBytes * 10.0 * 1000.0 / 31250.0; }
};
