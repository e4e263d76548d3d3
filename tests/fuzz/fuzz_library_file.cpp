// Reading a library file: all or nothing, and only 7-bit bytes get in.
#include "FuzzCheck.h"
#include "model/VeskLibraryFile.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput (const juce::uint8* data, size_t size)
{
    static juce::uint8 before[VeskImage::imageSize];
    static juce::uint8 image[VeskImage::imageSize];
    fillImage (before);
    std::memcpy (image, before, sizeof (image));

    auto result = VeskLibraryFile::decode (data, size, image);

    if (result.failed())
    {
        FUZZ_CHECK (std::memcmp (image, before, sizeof (image)) == 0);
        FUZZ_CHECK (result.getErrorMessage().isNotEmpty());
        return 0;
    }

    FUZZ_CHECK (size >= (size_t) VeskLibraryFile::magicSize + VeskImage::imageSize);
    FUZZ_CHECK (allSevenBit (image));

    // What was loaded saves and loads back to the same image.
    auto encoded = VeskLibraryFile::encode (image);
    static juce::uint8 again[VeskImage::imageSize];
    FUZZ_CHECK (VeskLibraryFile::decode (encoded.getData(), encoded.getSize(), again).wasOk());
    FUZZ_CHECK (std::memcmp (image, again, sizeof (image)) == 0);
    return 0;
}
