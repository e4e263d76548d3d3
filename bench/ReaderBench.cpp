#include "HostileMidiFiles.h"
#include "model/BoundedXml.h"
#include "model/VeskImage.h"
#include "model/VeskModel.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"

#include <benchmark/benchmark.h>

#include <random>

namespace
{
    constexpr size_t maxBody = (size_t) VeskProtocol::patternBulkBodySize;

    /** A whole MiB (the largest .syx file read) of one kind of junk. */
    juce::MemoryBlock syxJunk (int kind)
    {
        juce::MemoryBlock bytes ((size_t) VeskSyxFile::maxFileSize);
        auto* b = static_cast<juce::uint8*> (bytes.getData());
        std::mt19937 random (14);

        for (size_t i = 0; i < bytes.getSize(); ++i)
        {
            switch (kind)
            {
                case 0: b[i] = 0xF0; break; // every byte cuts the last message short
                case 1: b[i] = (juce::uint8) random(); break;
                case 2: b[i] = i == 0 ? 0xF0 : 0x11; break; // one message that never ends
                case 3: b[i] = i % 2 == 0 ? 0xF0 : 0xF7; break; // half a million empty messages
                default: b[i] = i % 3 == 0 ? 0xF0 : (i % 3 == 1 ? 0x43 : 0xF7); break; // another maker's messages
            }
        }

        return bytes;
    }

    const char* const syxJunkNames[] = { "F0 runs", "random bytes", "unterminated", "empty messages", "foreign messages" };

    /** What an import does with a file in memory: parse, apply, describe. */
    void importSyxJunk (benchmark::State& state)
    {
        const auto bytes = syxJunk ((int) state.range (0));
        std::vector<juce::uint8> image (VeskImage::imageSize, 0);

        for (auto _ : state)
        {
            const auto contents = VeskSyxFile::parse (bytes.getData(), bytes.getSize(), maxBody);
            const auto import = VeskSyxFile::applyDumps (contents, image.data());
            const auto report = VeskSyxFile::describeImport (contents, import);
            benchmark::DoNotOptimize (report.summary.length());
        }

        state.SetLabel (syxJunkNames[state.range (0)]);
        state.SetBytesProcessed ((int64_t) state.iterations() * (int64_t) bytes.getSize());
    }

    /** The same from a file, as the command line and the window read it. */
    void readSyxJunkFile (benchmark::State& state)
    {
        const auto bytes = syxJunk (0);
        juce::TemporaryFile temp (".syx");
        temp.getFile().replaceWithData (bytes.getData(), bytes.getSize());

        for (auto _ : state)
        {
            VeskSyxFile::Contents contents;

            if (VeskSyxFile::read (temp.getFile(), maxBody, contents).failed())
                state.SkipWithError ("cannot read");

            benchmark::DoNotOptimize (contents.numMessages);
        }

        state.SetBytesProcessed ((int64_t) state.iterations() * (int64_t) bytes.getSize());
    }

    /** A settings file of the largest size read: many values, as the user's settings hold. */
    std::string settingsOfLargestSize()
    {
        std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<PROPERTIES>\n";
        const std::string close = "</PROPERTIES>\n";

        for (int i = 0;; ++i)
        {
            const auto line = "  <VALUE name=\"key" + std::to_string (i) + "\" val=\"/home/someone/Patterns/Set &amp; more " + std::to_string (i) + ".vsk&#10;\"/>\n";

            if (text.size() + line.size() + close.size() > (size_t) BoundedXml::maxFileSize)
                break;

            text += line;
        }

        return text + std::string ((size_t) BoundedXml::maxFileSize - text.size() - close.size(), '\n') + close;
    }

    void checkSettings (benchmark::State& state)
    {
        const auto text = settingsOfLargestSize();

        for (auto _ : state)
            if (BoundedXml::check (text.data(), text.size()).failed())
                state.SkipWithError ("refused");

        state.SetBytesProcessed ((int64_t) state.iterations() * (int64_t) text.size());
    }

    /** The check and JUCE's parse together, as a start reads the file. */
    void parseSettings (benchmark::State& state)
    {
        const auto text = settingsOfLargestSize();

        for (auto _ : state)
        {
            std::unique_ptr<juce::XmlElement> xml;

            if (BoundedXml::parse (text.data(), text.size(), xml).failed())
                state.SkipWithError ("refused");
        }

        state.SetBytesProcessed ((int64_t) state.iterations() * (int64_t) text.size());
    }

    /** 64 KiB of opening tags: refused at the first level past the bound. */
    void refuseNestedSettings (benchmark::State& state)
    {
        std::string text;

        while (text.size() + 3 <= (size_t) BoundedXml::maxFileSize)
            text += "<a>";

        for (auto _ : state)
            if (BoundedXml::check (text.data(), text.size()).wasOk())
                state.SkipWithError ("accepted");
    }

    /** The worst MIDI files within the bounds, imported from memory into a Lead pattern. */
    void importWorstMidiFile (benchmark::State& state)
    {
        const auto files = HostileMidiFiles::all();
        const auto& file = files[(size_t) state.range (0)];
        std::vector<juce::uint8> image (VeskImage::imageSize, 0);
        VeskModel::writeDefaults (image.data());
        image[(size_t) VeskImage::patternRecordOffset (1) + VeskImage::Pattern::type] = VeskImage::PartType::lead;

        for (auto _ : state)
        {
            const auto result = VeskMidiFile::importInto (file.bytes.data(), file.bytes.size(), image.data(), 1);

            if (result.failed != (file.firstStep < 0))
                state.SkipWithError ("unexpected outcome");
        }

        state.SetLabel (file.what);
        state.SetBytesProcessed ((int64_t) state.iterations() * (int64_t) file.bytes.size());
    }

    /** The same through the file reader, as vesk import-mid and the window read it. */
    void importWorstMidiFileFromDisk (benchmark::State& state)
    {
        const auto file = HostileMidiFiles::controllersAtTheNotesTick (127, 127, false);
        juce::TemporaryFile temp (".mid");
        temp.getFile().replaceWithData (file.data(), file.size());
        std::vector<juce::uint8> image (VeskImage::imageSize, 0);
        VeskModel::writeDefaults (image.data());
        image[(size_t) VeskImage::patternRecordOffset (1) + VeskImage::Pattern::type] = VeskImage::PartType::lead;

        for (auto _ : state)
            if (VeskMidiFile::importFile (temp.getFile(), image.data(), 1).failed)
                state.SkipWithError ("refused");

        state.SetBytesProcessed ((int64_t) state.iterations() * (int64_t) file.size());
    }
}

BENCHMARK (importSyxJunk)->DenseRange (0, 4)->Unit (benchmark::kMillisecond);
BENCHMARK (readSyxJunkFile)->Unit (benchmark::kMillisecond);
BENCHMARK (checkSettings)->Unit (benchmark::kMicrosecond);
BENCHMARK (parseSettings)->Unit (benchmark::kMicrosecond);
BENCHMARK (refuseNestedSettings)->Unit (benchmark::kMicrosecond);
BENCHMARK (importWorstMidiFile)->DenseRange (0, (int) HostileMidiFiles::all().size() - 1)->Unit (benchmark::kMillisecond);
BENCHMARK (importWorstMidiFileFromDisk)->Unit (benchmark::kMillisecond);
