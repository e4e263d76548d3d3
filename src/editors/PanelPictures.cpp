#include "PanelPictures.h"

#include "VeskPanelPictures.h"

#include <array>

namespace
{
    // Set on the shared pixel data, so every handle of a picture knows it:
    // "commonGroup_mask", or "commonGroup_2x_mask" for the sharp one.
    const juce::Identifier pictureResourceProperty ("panelPictureResource");
    const juce::String plainSuffix ("_mask"), sharpSuffix ("_2x_mask");

    constexpr juce::uint32 titleDark = 0xFF990000, titleBright = 0xFFCC0000;
    constexpr juce::uint32 titleTextDark = 0xFF999999, titleTextBright = 0xFFCCCCCC;
    constexpr juce::uint32 separator = 0x40FFFFFF;
    constexpr juce::uint32 bodyDark = 0xFF262626, bodyBright = 0xFF333333;
    constexpr juce::uint32 captionColour = 0xFFCCCCCC;
    constexpr int titleRows = 15;

    using Shades = std::array<juce::PixelARGB, 256>;

    /** The colour of a pixel of layout row y that its letters cover by
        coverage / 255, for every coverage: the stripe's colour mixed towards
        the letters' one. */
    const Shades& shadesOfRow (int y)
    {
        static const auto tables = []
        {
            auto mixed = [] (juce::uint32 stripe, juce::uint32 letters)
            {
                Shades shades;

                for (size_t i = 0; i < shades.size(); ++i)
                    shades[i] = juce::Colour (stripe).interpolatedWith (juce::Colour (letters), (float) i / 255.0f).getPixelARGB();

                return shades;
            };

            return std::array<Shades, 4> { mixed (titleDark, titleTextDark), mixed (titleBright, titleTextBright),
                                           mixed (bodyDark, captionColour), mixed (bodyBright, captionColour) };
        }();

        const bool bright = (y % 2) != 0;
        return tables[(y < titleRows ? 0u : 2u) + (bright ? 1u : 0u)];
    }

    /** Lays the colours of rows [top, top + rows) of a picture of the given
        scale, from column left on, into the top rows of an ARGB image as wide
        as the columns it takes. */
    void compose (const juce::Image& picture, int scale, int left, int top, int rows, juce::Image& into)
    {
        const juce::Image::BitmapData letters (picture, juce::Image::BitmapData::readOnly);
        const juce::Image::BitmapData colours (into, juce::Image::BitmapData::writeOnly);
        const int width = into.getWidth();
        const auto separatorPixel = juce::Colour (separator).getPixelARGB();

        for (int row = 0; row < rows; ++row)
        {
            const int y = (top + row) / scale;
            const auto* coverage = letters.getLinePointer (top + row) + left;
            auto* out = reinterpret_cast<juce::PixelARGB*> (colours.getLinePointer (row));

            if (y == titleRows)
            {
                std::fill (out, out + width, separatorPixel);
                continue;
            }

            const auto& shades = shadesOfRow (y);

            for (int x = 0; x < width; ++x)
                out[x] = shades[coverage[x]];
        }
    }

    /** A picture as stored: two bytes of width and two of height, low byte
        first, then its coverage row by row, zlib-compressed. Anything else
        (a short or long stream) is no picture. */
    juce::Image decode (const void* data, int size)
    {
        if (size < 4)
            return {};

        const auto* bytes = static_cast<const juce::uint8*> (data);
        const int width = bytes[0] | (bytes[1] << 8), height = bytes[2] | (bytes[3] << 8);

        if (width == 0 || height == 0)
            return {};

        juce::MemoryInputStream compressed (bytes + 4, (size_t) size - 4, false);
        juce::GZIPDecompressorInputStream in (&compressed, false, juce::GZIPDecompressorInputStream::zlibFormat);
        juce::Image picture (juce::Image::SingleChannel, width, height, false);

        {
            const juce::Image::BitmapData letters (picture, juce::Image::BitmapData::writeOnly);

            for (int y = 0; y < height; ++y)
                if (in.read (letters.getLinePointer (y), width) != width)
                    return {};
        }

        char beyond = 0;
        return in.read (&beyond, 1) == 0 ? picture : juce::Image();
    }

    juce::Image fromResource (const juce::String& resourceName)
    {
        // Decoded once, whichever thread asks first.
        static juce::CriticalSection decoding;
        const juce::ScopedLock sl (decoding);
        const auto hash = resourceName.hashCode64();

        if (auto cached = juce::ImageCache::getFromHashCode (hash); cached.isValid())
            return cached;

        int size = 0;
        const auto* data = VeskPanelPictures::getNamedResource (resourceName.toRawUTF8(), size);
        auto picture = data != nullptr ? decode (data, size) : juce::Image();

        if (picture.isValid())
        {
            picture.getProperties()->set (pictureResourceProperty, resourceName);
            juce::ImageCache::addImageToCache (picture, hash);
        }

        return picture;
    }

    juce::String resourceOf (const juce::Image& picture)
    {
        return picture.isValid() && picture.getFormat() == juce::Image::SingleChannel
                   ? picture.getProperties()->getWithDefault (pictureResourceProperty, {}).toString()
                   : juce::String();
    }

    /** Pixels per unit of one of the panel pictures, 0 for any other image. */
    int scaleOf (const juce::Image& picture)
    {
        const auto resource = resourceOf (picture);
        return resource.endsWith (sharpSuffix) ? PanelPictures::sharpScale : (resource.endsWith (plainSuffix) ? 1 : 0);
    }

    /** The colours of a picture, kept in the ImageCache while they are drawn
        (for the zoomed and scaled screens, which resample them). */
    juce::Image renderedForScaling (const juce::Image& picture)
    {
        const auto hash = ("colours of " + resourceOf (picture)).hashCode64();

        if (auto cached = juce::ImageCache::getFromHashCode (hash); cached.isValid())
            return cached;

        auto colours = PanelPictures::render (picture);
        juce::ImageCache::addImageToCache (colours, hash);
        return colours;
    }
}

juce::Image PanelPictures::get (const juce::String& name)
{
    return fromResource (name + plainSuffix);
}

juce::String PanelPictures::nameOf (const juce::Image& picture)
{
    return scaleOf (picture) == 1 ? resourceOf (picture).dropLastCharacters (plainSuffix.length()) : juce::String();
}

juce::Image PanelPictures::getSharp (const juce::Image& picture)
{
    const auto name = nameOf (picture);
    return name.isEmpty() ? juce::Image() : fromResource (name + sharpSuffix);
}

juce::Image PanelPictures::render (const juce::Image& picture)
{
    const int scale = scaleOf (picture);

    if (scale == 0)
        return {};

    juce::Image colours (juce::Image::ARGB, picture.getWidth(), picture.getHeight(), false);
    compose (picture, scale, 0, 0, picture.getHeight(), colours);
    return colours;
}

void PanelPictures::paint (juce::Graphics& g, const juce::Image& picture, int width, int height)
{
    const auto pixelsPerUnit = g.getInternalContext().getPhysicalPixelScaleFactor();

    if (pixelsPerUnit > 1.0f)
    {
        if (const auto sharp = getSharp (picture); sharp.isValid())
        {
            // At twice the size its pixels meet the screen's one to one;
            // between, it is resampled from more detail than it is shown with.
            g.drawImage (renderedForScaling (sharp), 0, 0, width, height, 0, 0, width * sharpScale, height * sharpScale);
            return;
        }
    }

    if (scaleOf (picture) == 0)
        return;

    if (pixelsPerUnit != 1.0f || width > picture.getWidth() || height > picture.getHeight())
    {
        g.drawImage (renderedForScaling (picture), 0, 0, width, height, 0, 0, width, height);
        return;
    }

    // One pixel a unit: only the rows being repainted get their colours, a
    // strip at a time, so that no picture is ever held in colour.
    const auto area = g.getClipBounds().getIntersection ({ width, height });

    if (area.isEmpty())
        return;

    constexpr int stripRows = 16;
    juce::Image strip (juce::Image::ARGB, area.getWidth(), juce::jmin (stripRows, area.getHeight()), false);

    for (int top = area.getY(); top < area.getBottom(); top += stripRows)
    {
        const int rows = juce::jmin (stripRows, area.getBottom() - top);
        compose (picture, 1, area.getX(), top, rows, strip);
        g.drawImageAt (rows == strip.getHeight() ? strip : strip.getClippedImage ({ area.getWidth(), rows }), area.getX(), top);
    }
}
