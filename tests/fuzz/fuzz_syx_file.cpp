// Parsing a .syx file and applying its dumps as the librarian's import does.
#include "FuzzCheck.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"

#include <algorithm>
#include <array>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput (const juce::uint8* data, size_t size)
{
    constexpr size_t maxBody = (size_t) VeskProtocol::patternBulkBodySize;
    auto contents = VeskSyxFile::parse (data, size, maxBody);

    // Every byte of the file is in exactly one message or one skipped run, in order.
    size_t covered = 0, numMessages = 0, numSkipped = 0;
    std::array<VeskSyxFile::Tally, VeskSyxFile::Skipped::numKinds> tallies {};

    VeskSyxFile::scan (
        data, size, maxBody, [&] (const VeskSyxFile::Message& m)
        {
            FUZZ_CHECK (m.fileOffset == covered);
            FUZZ_CHECK (m.bodySize <= maxBody);
            FUZZ_CHECK (covered + m.bodySize + 2 <= size);
            FUZZ_CHECK (data[covered] == 0xF0 && data[covered + 1 + m.bodySize] == 0xF7);
            FUZZ_CHECK (m.body == data + covered + 1);

            for (size_t i = 0; i < m.bodySize; ++i)
                FUZZ_CHECK (m.body[i] < 0x80);

            covered += m.bodySize + 2;
            ++numMessages; },
        [&] (const VeskSyxFile::Skipped& s)
        {
            FUZZ_CHECK (s.fileOffset == covered && s.length > 0);

            // The first runs are the ones the parse kept.
            if (numSkipped < contents.skipped.size())
                FUZZ_CHECK (contents.skipped[numSkipped].fileOffset == s.fileOffset && contents.skipped[numSkipped].length == s.length
                            && contents.skipped[numSkipped].kind == s.kind);

            ++numSkipped;
            ++tallies[(size_t) s.kind].runs;
            tallies[(size_t) s.kind].bytes += s.length;
            covered += s.length;
            FUZZ_CHECK (covered <= size); });

    FUZZ_CHECK (covered == size);
    FUZZ_CHECK (numMessages == contents.numMessages);
    FUZZ_CHECK (contents.skipped.size() == std::min (numSkipped, VeskSyxFile::maxDetails));

    for (size_t k = 0; k < tallies.size(); ++k)
        FUZZ_CHECK (tallies[k].runs == contents.skippedByKind[k].runs && tallies[k].bytes == contents.skippedByKind[k].bytes);

    static juce::uint8 before[VeskImage::imageSize];
    static juce::uint8 image[VeskImage::imageSize];
    fillImage (before);
    std::memcpy (image, before, sizeof (image));

    auto import = VeskSyxFile::applyDumps (contents, image);
    FUZZ_CHECK ((size_t) import.applied + import.numIgnored == contents.numMessages);
    FUZZ_CHECK (import.appliedDumps.size() == (size_t) import.applied);

    // Bytes outside every record that an applied dump names stay as they were.
    static bool touched[VeskImage::imageSize];
    std::memset (touched, 0, sizeof (touched));
    int applied = 0;

    for (auto& dump : import.appliedDumps)
    {
        FUZZ_CHECK (dump.applied());
        ++applied;
        FUZZ_CHECK (dump.block.has_value());
        const int start = dump.block->imageOffset();
        const int count = dump.block->size();
        FUZZ_CHECK (start >= 0 && start + count <= VeskImage::reservedAreaOffset);
        std::memset (touched + start, 1, (size_t) count);
    }

    FUZZ_CHECK (applied == import.applied);

    for (int i = 0; i < VeskImage::imageSize; ++i)
        FUZZ_CHECK (touched[i] || image[i] == before[i]);

    FUZZ_CHECK (allSevenBit (image));

    const auto report = VeskSyxFile::describeImport (contents, import);
    FUZZ_CHECK (report.details.size() <= 12 && report.summary.startsWith ("applied "));
    return 0;
}
