#include "model/VeskImage.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
    using Bytes = std::vector<juce::uint8>;
    using SkipKind = VeskSyxFile::Skipped::Kind;
    constexpr size_t maxBody = (size_t) VeskProtocol::patternBulkBodySize;

    VeskSyxFile::Contents parse (const Bytes& bytes, size_t maxBodySize = maxBody)
    {
        return VeskSyxFile::parse (bytes.data(), bytes.size(), maxBodySize);
    }

    struct Found
    {
        size_t fileOffset;
        Bytes body;
    };

    std::vector<Found> messagesOf (const VeskSyxFile::Contents& contents)
    {
        std::vector<Found> found;
        contents.forEachMessage ([&found] (const VeskSyxFile::Message& m)
                                 { found.push_back ({ m.fileOffset, Bytes (m.body, m.body + m.bodySize) }); });
        return found;
    }
}

TEST (VeskSyxFile, SplitsMessagesAndMergesJunkBetweenThem)
{
    auto c = parse ({ 0xF0, 1, 2, 0xF7, 0x00, 0x7F, 0x90, 0xF7, 0xF0, 0xF7, 0xF0, 3, 0xF7 });

    const auto m = messagesOf (c);
    ASSERT_EQ (m.size(), 3u);
    EXPECT_EQ (c.numMessages, 3u);
    EXPECT_EQ (m[0].body, (Bytes { 1, 2 }));
    EXPECT_EQ (m[1].body, Bytes {});
    EXPECT_EQ (m[2].fileOffset, 10u);
    EXPECT_EQ (m[2].body, (Bytes { 3 }));

    ASSERT_EQ (c.skipped.size(), 1u);
    EXPECT_EQ (c.skipped[0].kind, SkipKind::junk);
    EXPECT_EQ (c.skipped[0].fileOffset, 4u);
    EXPECT_EQ (c.skipped[0].length, 4u);
    EXPECT_EQ (c.tally (SkipKind::junk).runs, 1u);
    EXPECT_EQ (c.tally (SkipKind::junk).bytes, 4u);
    EXPECT_EQ (VeskSyxFile::describe (c.skipped[0]), "4 bytes outside any message at byte 4");
}

TEST (VeskSyxFile, DamagedFramingIsSkippedAndTheNextMessageStillFound)
{
    // Cut short by a new F0, then a note-on status, then an unterminated end.
    auto c = parse ({ 0xF0, 1, 2, 0xF0, 5, 0xF7, 0xF0, 6, 0x90, 0xF0, 7 });

    const auto m = messagesOf (c);
    ASSERT_EQ (m.size(), 1u);
    EXPECT_EQ (m[0].body, (Bytes { 5 }));

    ASSERT_EQ (c.skipped.size(), 4u);
    EXPECT_EQ (c.skipped[0].kind, SkipKind::interrupted);
    EXPECT_EQ (c.skipped[0].length, 3u);
    EXPECT_EQ (c.skipped[1].kind, SkipKind::interrupted);
    EXPECT_EQ (c.skipped[2].kind, SkipKind::junk); // the 0x90 itself
    EXPECT_EQ (c.skipped[3].kind, SkipKind::unterminated);
    EXPECT_EQ (c.skipped[3].fileOffset, 9u);
    EXPECT_EQ (c.skipped[3].length, 2u);
    EXPECT_EQ (c.tally (SkipKind::interrupted).runs, 2u);
    EXPECT_EQ (c.tally (SkipKind::interrupted).bytes, 5u);
}

TEST (VeskSyxFile, OverLongMessageIsSkippedWhole)
{
    Bytes bytes { 0xF0 };
    bytes.insert (bytes.end(), 170, 0x11);
    bytes.push_back (0xF7);
    bytes.insert (bytes.end(), { 0xF0, 0x22, 0xF7 });

    auto c = parse (bytes);
    const auto m = messagesOf (c);
    ASSERT_EQ (m.size(), 1u);
    EXPECT_EQ (m[0].body, (Bytes { 0x22 }));
    ASSERT_EQ (c.skipped.size(), 1u);
    EXPECT_EQ (c.skipped[0].kind, SkipKind::tooLong);
    EXPECT_EQ (c.skipped[0].length, 172u);

    bytes.erase (bytes.begin() + 1); // 169 bytes: the largest dump fits
    EXPECT_EQ (parse (bytes).numMessages, 2u);
}

TEST (VeskSyxFile, JunkIsCountedExactlyButOnlyAFewRunsAreKept)
{
    // A whole MiB of each kind of junk a damaged or hostile file can hold.
    constexpr size_t size = 1024 * 1024;
    Bytes statusBytes (size, 0xF0), emptyMessages (size, 0xF7), noise (size), unterminated (size, 0x11);
    unterminated[0] = 0xF0;
    std::mt19937 random (14);

    for (size_t i = 0; i < size; i += 2)
        emptyMessages[i] = 0xF0;

    for (auto& b : noise)
        b = (juce::uint8) random();

    for (auto* bytes : { &statusBytes, &emptyMessages, &noise, &unterminated })
    {
        SCOPED_TRACE (bytes - &statusBytes);
        const auto c = parse (*bytes);

        // Every byte is in a message or a counted run; only the first runs are stored.
        size_t counted = 0;
        c.forEachMessage ([&counted] (const VeskSyxFile::Message& m)
                          { counted += m.bodySize + 2; });

        for (auto& t : c.skippedByKind)
            counted += t.bytes;

        EXPECT_EQ (counted, size);
        EXPECT_LE (c.skipped.size(), VeskSyxFile::maxDetails);

        std::vector<juce::uint8> image (VeskImage::imageSize, 0);
        const auto import = VeskSyxFile::applyDumps (c, image.data());
        EXPECT_EQ (import.applied, 0);
        EXPECT_EQ (import.numIgnored, c.numMessages);
        EXPECT_LE (import.ignored.size(), VeskSyxFile::maxDetails);
        EXPECT_EQ (std::count (image.begin(), image.end(), 0), (long) image.size());
    }

    const auto flood = parse (statusBytes);
    EXPECT_EQ (flood.skipped.size(), VeskSyxFile::maxDetails);
    EXPECT_EQ (flood.tally (SkipKind::interrupted).runs, size - 1);
    EXPECT_EQ (flood.tally (SkipKind::unterminated).runs, 1u);
    EXPECT_EQ (parse (emptyMessages).numMessages, size / 2);
}

TEST (VeskSyxFile, TheReportListsTheFirstProblemsInFileOrderAndCountsAll)
{
    std::vector<juce::uint8> image (VeskImage::imageSize, 0);
    std::vector<juce::uint8> record (VeskImage::patternSize, 5);
    const auto dump = VeskProtocol::patternBulk (2, 3, record.data());

    // 14 foreign messages, 13 interrupted ones and 14 runs of junk, with a valid dump among them.
    Bytes file;

    for (int i = 0; i < 40; ++i)
    {
        if (i == 20)
            file.insert (file.end(), dump.getRawData(), dump.getRawData() + dump.getRawDataSize());

        if (i % 3 == 0)
            file.insert (file.end(), { 0xF0, 0x43, 0xF7 }); // another maker's
        else if (i % 3 == 1)
            file.insert (file.end(), { 0xF0, 0x41, 0x90 }); // interrupted; the 0x90 is junk
        else
            file.insert (file.end(), { 0x01, 0x02 }); // junk, one run with the 0x90 before it
    }

    const auto c = parse (file);
    const auto import = VeskSyxFile::applyDumps (c, image.data());
    ASSERT_EQ (import.appliedDumps.size(), 1u);
    EXPECT_EQ (import.appliedDumps[0].block, VeskBlock::user (4));
    EXPECT_TRUE (std::equal (record.begin(), record.end(), image.data() + VeskImage::patternRecordOffset (4)));

    for (size_t lines : { (size_t) 12, (size_t) 1000 })
    {
        SCOPED_TRACE (lines);
        const auto report = VeskSyxFile::describeImport (c, import, lines);
        const auto shown = std::min (lines, VeskSyxFile::maxDetails);
        ASSERT_EQ (report.details.size(), shown);

        // Listed in file order: the byte numbers only grow.
        juce::int64 last = -1;

        for (size_t i = 0; i + 1 < shown; ++i)
        {
            const auto at = report.details[i].fromFirstOccurrenceOf ("at byte ", false, false).getLargeIntValue();
            EXPECT_GT (at, last) << report.details[i];
            last = at;
        }

        EXPECT_TRUE (report.details.back().contains (juce::String (41 - (int) (shown - 1)))) << report.details.back();
    }

    const auto summary = VeskSyxFile::describeImport (c, import).summary;
    EXPECT_TRUE (summary.startsWith ("applied 1 dump, ignored 27 messages (13 interrupted, 14 not this unit's)")) << summary;
}

TEST (VeskSyxFile, OnlyWholeRecordsOfTheUnitsDeviceApply)
{
    std::vector<juce::uint8> record (VeskImage::patternSize, 9);

    // A dump of User 04 with some of its bytes changed, its checksum kept right.
    auto dump = [&record] (std::initializer_list<std::pair<size_t, juce::uint8>> changes)
    {
        const auto m = VeskProtocol::patternBulk (2, 3, record.data());
        Bytes bytes (m.getRawData(), m.getRawData() + m.getRawDataSize());

        for (auto [at, value] : changes)
            bytes[at] = value;

        bytes[bytes.size() - 2] = VeskProtocol::computeChecksum (bytes.data() + 1, (int) bytes.size() - 2);
        return bytes;
    };

    struct Case
    {
        const char* what;
        Bytes message;
        const char* why; // nullptr: applied
    };

    const Case cases[] = {
        { "the unit's own", dump ({}), nullptr },
        { "device 0x11", dump ({ { 2, 0x11 } }), "another device's" },
        { "device 0x7F", dump ({ { 2, 0x7F } }), "another device's" },
        { "at offset 128", dump ({ { 8, 0x01 } }), "not at a record's start" },
        { "at offset 1", dump ({ { 9, 0x01 } }), "not at a record's start" },
        { "temporary, with an index", dump ({ { 6, 0x01 } }), "not at a record's start" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        std::vector<juce::uint8> image (VeskImage::imageSize, 0);
        Bytes file { 0xF0, 0x43, 0xF7 }; // something before it, so its place is not 0
        file.insert (file.end(), c.message.begin(), c.message.end());

        const auto contents = parse (file);
        const auto import = VeskSyxFile::applyDumps (contents, image.data());
        const auto report = VeskSyxFile::describeImport (contents, import);

        if (c.why == nullptr)
        {
            EXPECT_EQ (import.applied, 1);
            EXPECT_TRUE (std::equal (record.begin(), record.end(), image.data() + VeskImage::patternRecordOffset (4)));
            continue;
        }

        EXPECT_EQ (import.applied, 0);
        EXPECT_EQ (std::count (image.begin(), image.end(), 0), (long) image.size()) << "nothing written";
        EXPECT_TRUE (report.summary.contains (juce::String ("ignored 2 messages (1 ") + c.why)) << report.summary;
        ASSERT_EQ (report.details.size(), 2u);
        EXPECT_EQ (report.details[1], juce::String ("message at byte 3 ignored: ") + c.why);
    }
}

TEST (VeskSyxFile, ReadRefusesAFileOverTheBoundBeforeReadingIt)
{
    juce::TemporaryFile temp (".syx");
    const auto file = temp.getFile();
    std::vector<juce::uint8> record (VeskImage::patternSize, 7);
    const auto dump = VeskProtocol::patternBulk (2, 0, record.data());

    // Exactly at the bound: a dump at the very end is still found.
    juce::MemoryBlock bytes ((size_t) VeskSyxFile::maxFileSize - (size_t) dump.getRawDataSize(), true);
    bytes.append (dump.getRawData(), (size_t) dump.getRawDataSize());
    ASSERT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));

    VeskSyxFile::Contents contents;
    ASSERT_TRUE (VeskSyxFile::read (file, maxBody, contents).wasOk());
    EXPECT_EQ (contents.numMessages, 1u);
    EXPECT_EQ (contents.tally (SkipKind::junk).bytes, bytes.getSize() - (size_t) dump.getRawDataSize());

    // One byte more, ten gigabytes that take no room (refused by the size alone,
    // at once), and a device whose size says nothing (not read at all):
    // refused, and what the caller holds is left as it was.
    juce::TemporaryFile overTemp (".syx"), hugeTemp (".syx");
    ASSERT_TRUE (file.copyFileTo (overTemp.getFile()) && overTemp.getFile().appendData ("\0", 1));

    {
        juce::FileOutputStream out (hugeTemp.getFile());
        ASSERT_TRUE (out.openedOk() && out.setPosition (10'000'000'000LL - 1) && out.writeByte (0));
    }

    const std::pair<juce::File, const char*> refused[] = {
        { overTemp.getFile(), "1,048,577 bytes" },
        { hugeTemp.getFile(), "10,000,000,000 bytes" },
        { juce::File ("/dev/zero"), "is a device" },
    };

    for (const auto& [tooBig, said] : refused)
    {
        SCOPED_TRACE (said);
        const auto result = VeskSyxFile::read (tooBig, maxBody, contents);
        EXPECT_TRUE (result.getErrorMessage().contains (said)) << result.getErrorMessage();
        EXPECT_EQ (contents.numMessages, 1u);
    }
}
