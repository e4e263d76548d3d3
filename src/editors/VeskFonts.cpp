#include "VeskFonts.h"

juce::String VeskFonts::monospacedTypefaceName()
{
    static const juce::String name = []
    {
        const juce::String preferred ("Lucida Console");
        const auto installed = juce::Font::findAllTypefaceNames();

        if (installed.contains (preferred))
            return preferred;

        auto keepsColumns = [] (const juce::String& typeface)
        {
            const juce::Font font (typeface, 12.0f, juce::Font::plain);
            return font.getStringWidthFloat ("iiii") == font.getStringWidthFloat ("WWWW");
        };

        // The system's own choice, unless it names a typeface that is not
        // there (Wine has no "Lucida Console", and its stand-in is not
        // fixed-width): then any installed one that is.
        const auto fallback = juce::Font::getDefaultMonospacedFontName();

        if (keepsColumns (fallback))
            return fallback;

        for (const auto& typeface : installed)
            if (keepsColumns (typeface))
                return typeface;

        return fallback;
    }();

    return name;
}

juce::Font VeskFonts::monospaced (float height, bool bold)
{
    return juce::Font (monospacedTypefaceName(), height, bold ? juce::Font::bold : juce::Font::plain);
}
