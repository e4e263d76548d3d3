// Parsing a .syx file and applying its dumps as the librarian's import does.
#include "FuzzCheck.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput (const juce::uint8* data, size_t size)
{
    constexpr size_t maxBody = (size_t) VeskProtocol::patternBulkBodySize;
    auto contents = VeskSyxFile::parse (data, size, maxBody);

    // Every byte of the file is in exactly one message or one skipped stretch, in order.
    size_t covered = 0, nextMessage = 0, nextSkipped = 0;

    while (covered < size)
    {
        auto& messages = contents.messages;
        auto& skipped = contents.skipped;

        if (nextMessage < messages.size() && messages[nextMessage].fileOffset == covered)
        {
            auto& m = messages[nextMessage++];
            auto* body = static_cast<const juce::uint8*> (m.body.getData());
            FUZZ_CHECK (m.body.getSize() <= maxBody);
            FUZZ_CHECK (covered + m.body.getSize() + 2 <= size);
            FUZZ_CHECK (data[covered] == 0xF0 && data[covered + 1 + m.body.getSize()] == 0xF7);
            FUZZ_CHECK (m.body.getSize() == 0 || std::memcmp (body, data + covered + 1, m.body.getSize()) == 0);

            for (size_t i = 0; i < m.body.getSize(); ++i)
                FUZZ_CHECK (body[i] < 0x80);

            covered += m.body.getSize() + 2;
        }
        else
        {
            FUZZ_CHECK (nextSkipped < skipped.size() && skipped[nextSkipped].fileOffset == covered);
            FUZZ_CHECK (skipped[nextSkipped].length > 0);
            covered += skipped[nextSkipped++].length;
        }

        FUZZ_CHECK (covered <= size);
    }

    FUZZ_CHECK (nextMessage == contents.messages.size() && nextSkipped == contents.skipped.size());

    static juce::uint8 before[VeskImage::imageSize];
    static juce::uint8 image[VeskImage::imageSize];
    fillImage (before);
    std::memcpy (image, before, sizeof (image));

    auto import = VeskSyxFile::applyDumps (contents, image);
    FUZZ_CHECK (import.dumps.size() == contents.messages.size());

    // Bytes outside every record that an applied dump names stay as they were.
    static bool touched[VeskImage::imageSize];
    std::memset (touched, 0, sizeof (touched));
    int applied = 0;

    for (auto& dump : import.dumps)
    {
        if (! dump.applied())
            continue;

        ++applied;
        const bool system = dump.patternRecord() < 0;
        const int start = system ? VeskImage::systemBlockOffset : VeskImage::patternRecordOffset (dump.patternRecord());
        const int count = system ? VeskImage::systemBlockSize : VeskImage::patternSize;
        FUZZ_CHECK (start >= 0 && start + count <= VeskImage::reservedAreaOffset);
        std::memset (touched + start, 1, (size_t) count);
    }

    FUZZ_CHECK (applied == import.applied);

    for (int i = 0; i < VeskImage::imageSize; ++i)
        FUZZ_CHECK (touched[i] || image[i] == before[i]);

    FUZZ_CHECK (allSevenBit (image));
    return 0;
}
