#include "VeskFonts.h"

juce::String VeskFonts::monospacedTypefaceName()
{
    static const juce::String name = []
    {
        const juce::String preferred ("Lucida Console");
        return juce::Font::findAllTypefaceNames().contains (preferred) ? preferred
                                                                       : juce::Font::getDefaultMonospacedFontName();
    }();

    return name;
}

juce::Font VeskFonts::monospaced (float height, bool bold)
{
    return juce::Font (monospacedTypefaceName(), height, bold ? juce::Font::bold : juce::Font::plain);
}
