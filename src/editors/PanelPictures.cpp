#include "PanelPictures.h"

#include "VeskPanelPictures.h"

namespace
{
    // Set on the shared pixel data, so every handle of a picture knows its name.
    const juce::Identifier pictureNameProperty ("panelPicture");

    juce::Image fromResource (const juce::String& resourceName)
    {
        // A picture being decoded on another thread is waited for, not decoded twice.
        static juce::CriticalSection decoding;
        const juce::ScopedLock sl (decoding);
        int size = 0;

        if (auto* data = VeskPanelPictures::getNamedResource (resourceName.toRawUTF8(), size))
            return juce::ImageCache::getFromMemory (data, size);

        return {};
    }
}

juce::Image PanelPictures::get (const juce::String& name)
{
    auto picture = fromResource (name + "_png");

    if (picture.isValid())
        picture.getProperties()->set (pictureNameProperty, name);

    return picture;
}

void PanelPictures::prepare (const juce::String& name)
{
    fromResource (name + "_png");
}

juce::String PanelPictures::nameOf (const juce::Image& picture)
{
    return picture.isValid() ? picture.getProperties()->getWithDefault (pictureNameProperty, {}).toString() : juce::String();
}

juce::Image PanelPictures::getSharp (const juce::Image& picture)
{
    const auto name = nameOf (picture);
    return name.isEmpty() ? juce::Image() : fromResource (name + "_2x_png");
}

void PanelPictures::paint (juce::Graphics& g, const juce::Image& picture, int width, int height)
{
    if (g.getInternalContext().getPhysicalPixelScaleFactor() > 1.0f)
    {
        if (const auto sharp = getSharp (picture); sharp.isValid())
        {
            // At twice the size its pixels meet the screen's one to one;
            // between, it is resampled from more detail than it is shown with.
            g.drawImage (sharp, 0, 0, width, height, 0, 0, width * sharpScale, height * sharpScale);
            return;
        }
    }

    g.drawImage (picture, 0, 0, width, height, 0, 0, width, height);
}
