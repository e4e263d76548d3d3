#include "VeskLibraryFile.h"
#include "BoundedFileReader.h"
#include "VeskImage.h"
#include "WholeFileWriter.h"

#include <cstring>

juce::MemoryBlock VeskLibraryFile::encode (const juce::uint8* image)
{
    juce::MemoryOutputStream out ((size_t) (magicSize + VeskImage::imageSize + 64));
    out.write (magic, (size_t) magicSize);

    for (int i = 0; i < VeskImage::imageSize; ++i)
    {
        if (image[i] == 0x0A)
            out.writeByte (0x0D);

        out.writeByte ((char) image[i]);
    }

    return out.getMemoryBlock();
}

juce::Result VeskLibraryFile::decode (const void* data, size_t size, juce::uint8* image)
{
    auto* bytes = static_cast<const juce::uint8*> (data);

    if (size < (size_t) magicSize || std::memcmp (bytes, magic, (size_t) magicSize) != 0)
        return juce::Result::fail ("not a library file (missing VSK header)");

    juce::uint8 decoded[VeskImage::imageSize];
    size_t pos = (size_t) magicSize;
    int count = 0;

    while (count < VeskImage::imageSize && pos < size)
    {
        auto b = bytes[pos++];

        if (b == 0x0D && pos < size && bytes[pos] == 0x0A)
            b = bytes[pos++];

        if (b > 0x7F)
            return juce::Result::fail ("byte 0x" + juce::String::toHexString ((int) b).toUpperCase()
                                       + " at image offset " + juce::String (count) + " is not a 7-bit value");

        decoded[count++] = b;
    }

    if (count < VeskImage::imageSize)
        return juce::Result::fail ("ends after " + juce::String (count) + " of "
                                   + juce::String (VeskImage::imageSize) + " image bytes");

    std::memcpy (image, decoded, sizeof (decoded));
    return juce::Result::ok();
}

juce::Result VeskLibraryFile::read (const juce::File& file, juce::uint8* image)
{
    if (file.isDirectory())
        return juce::Result::fail ("is a folder, not a library file");

    // Nothing after the image matters; don't read an arbitrarily large file whole.
    constexpr size_t maxUseful = (size_t) magicSize + 2 * (size_t) VeskImage::imageSize;
    juce::MemoryBlock block;

    if (const auto read = BoundedFileReader::read (file, maxUseful, block); read.failed())
        return read;

    return decode (block.getData(), block.getSize(), image);
}

juce::Result VeskLibraryFile::write (const juce::File& file, const juce::uint8* image)
{
    auto block = encode (image);
    return WholeFileWriter::write (file, block);
}
