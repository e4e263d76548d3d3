// Importing a MIDI file into a pattern: all or nothing, only the steps, the
// tempo, the length and steps per bar change, and what was imported exports
// to a file that reads back.
#include "FuzzCheck.h"
#include "model/VeskMidiFile.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput (const juce::uint8* data, size_t size)
{
    using namespace VeskImage;
    const auto slot = VeskBlock::user (3).value();
    static juce::uint8 before[imageSize];
    static juce::uint8 image[imageSize];
    fillImage (before);

    // Lead, Bass or Rythm by the size, so each part type's rules are reached.
    before[slot.imageOffset() + Pattern::type] = (juce::uint8) (PartType::lead + size % 3);
    std::memcpy (image, before, sizeof (image));

    const auto result = VeskMidiFile::importInto (data, size, image, slot);

    if (result.failed)
    {
        FUZZ_CHECK (std::memcmp (image, before, sizeof (image)) == 0);
        FUZZ_CHECK (result.message.isNotEmpty());
        return 0;
    }

    FUZZ_CHECK (result.stepsImported == 12 || result.stepsImported == 16 || result.stepsImported == 24 || result.stepsImported == 32);
    FUZZ_CHECK (result.notesLeftOut >= 0 && result.message.startsWith ("imported "));
    FUZZ_CHECK (allSevenBit (image));

    for (int i = 0; i < imageSize; ++i)
    {
        const int offset = i - slot.imageOffset();
        const bool imported = offset >= 0 && offset < patternSize && (offset <= Pattern::stepsPerBar || offset >= Pattern::stepNote);
        FUZZ_CHECK (imported || image[i] == before[i]);
    }

    const auto file = VeskMidiFile::exportPattern (image, slot);
    static juce::uint8 again[imageSize];
    std::memcpy (again, image, sizeof (again));
    FUZZ_CHECK (! VeskMidiFile::importInto (file.getData(), file.getSize(), again, slot).failed);
    return 0;
}
