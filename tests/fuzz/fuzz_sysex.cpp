// What the unit sends: the input is tried as an exclusive body and as a
// stream of controller and program-change messages.
#include "FuzzCheck.h"
#include "model/VeskDecoder.h"
#include "model/VeskProtocol.h"

#include <cstring>

namespace
{
    void checkDump (const juce::uint8* body, size_t size)
    {
        static juce::uint8 before[VeskImage::imageSize];
        static juce::uint8 image[VeskImage::imageSize];
        fillImage (before);
        std::memcpy (image, before, sizeof (image));

        const int length = (int) std::min (size, (size_t) 1 << 20);

        // Whole records only: a subset of what is taken live, at a record's start.
        static juce::uint8 strictImage[VeskImage::imageSize];
        std::memcpy (strictImage, before, sizeof (strictImage));
        const auto strict = VeskDecoder::applyDump (strictImage, body, length, VeskDecoder::Check::wholeRecord);

        auto dump = VeskDecoder::applyDump (image, body, length);

        if (strict.applied())
        {
            FUZZ_CHECK (strict.result == dump.result && std::memcmp (strictImage, image, sizeof (image)) == 0);
            FUZZ_CHECK (body[1] == VeskProtocol::deviceId && body[7] == 0 && body[8] == 0);
            FUZZ_CHECK (strict.result == VeskDecoder::DumpResult::userPattern || body[6] == 0);
        }

        if (! dump.applied())
        {
            FUZZ_CHECK (std::memcmp (image, before, sizeof (image)) == 0);
            return;
        }

        // Only the record the address names changes, and it gets the dump's data.
        int start = VeskImage::systemBlockOffset, count = VeskImage::systemBlockSize;

        if (dump.result != VeskDecoder::DumpResult::systemBlock)
        {
            FUZZ_CHECK (dump.patternRecord() >= 0 && dump.patternRecord() < VeskImage::numPatternRecords);
            start = VeskImage::patternRecordOffset (dump.patternRecord());
            count = VeskImage::patternSize;
        }

        FUZZ_CHECK (body[5] == (dump.result == VeskDecoder::DumpResult::systemBlock ? 0 : (dump.result == VeskDecoder::DumpResult::temporaryPattern ? 1 : 2)));
        FUZZ_CHECK (dump.result != VeskDecoder::DumpResult::userPattern || dump.userPatternIndex == body[6]);
        FUZZ_CHECK (length >= VeskProtocol::dataOffset + count + 1);
        FUZZ_CHECK (VeskProtocol::computeChecksum (body, length) == body[length - 1]);
        FUZZ_CHECK (std::memcmp (image, before, (size_t) start) == 0);
        FUZZ_CHECK (std::memcmp (image + start, body + VeskProtocol::dataOffset, (size_t) count) == 0);
        FUZZ_CHECK (std::memcmp (image + start + count, before + start + count, (size_t) (VeskImage::imageSize - start - count)) == 0);
        FUZZ_CHECK (allSevenBit (image));
    }

    void checkChannelMessages (const juce::uint8* data, size_t size)
    {
        if (size < 1)
            return;

        static juce::uint8 image[VeskImage::imageSize];
        static juce::uint8 before[VeskImage::imageSize];
        fillImage (image);

        // 0-15 channels, 16 off, 17 a damaged byte.
        image[VeskImage::System::midiChannel] = (juce::uint8) (data[0] % 18);
        const int unitChannel = image[VeskImage::System::midiChannel];
        auto* currentPattern = image + VeskImage::userPatternOffset (data[0] % VeskImage::numUserPatterns);
        int bankSelect = 0;

        for (size_t i = 1; i + 3 <= size; i += 3)
        {
            // Channel-voice messages only: the MIDI input never delivers a system status here.
            const int status = 0x80 + data[i] % 0x70;
            juce::MidiMessage message (status, data[i + 1], data[i + 2]);
            std::memcpy (before, image, sizeof (image));
            const int bankBefore = bankSelect;

            auto action = VeskDecoder::applyChannelMessage (image, currentPattern, message, bankSelect);
            using Kind = VeskDecoder::ChannelAction::Kind;

            if (action.kind != Kind::ignored)
                FUZZ_CHECK (unitChannel < VeskImage::System::channelOff && message.getChannel() == unitChannel + 1);

            if (action.kind != Kind::bankSelect)
                FUZZ_CHECK (bankSelect == bankBefore);

            FUZZ_CHECK (bankSelect >= 0 && bankSelect <= 127);

            if (action.kind == Kind::controllerStored)
            {
                const int offset = VeskDecoder::patternOffsetForController (action.controller);
                FUZZ_CHECK (offset >= VeskImage::Pattern::tuneOrEffectParam1 && offset <= VeskImage::Pattern::pan);

                const auto stored = (size_t) (currentPattern - image) + (size_t) offset;
                FUZZ_CHECK (image[stored] <= 0x7F);
                before[stored] = image[stored];
            }

            if (action.kind == Kind::selectPattern)
                FUZZ_CHECK (action.patternItem >= 0 && action.patternItem <= VeskImage::numUserPatterns);

            FUZZ_CHECK (std::memcmp (image, before, sizeof (image)) == 0);
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput (const juce::uint8* data, size_t size)
{
    checkDump (data, size);
    checkChannelMessages (data, size);
    return 0;
}
