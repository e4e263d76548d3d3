#include "VeskFonts.h"

#include "SansSerifTypeface.h"

namespace
{
    /** The two styles, each opened once on first need and let go at shutdown
        with JUCE's own font lists. */
    class SansSerifTypefaces final : private juce::DeletedAtShutdown
    {
    public:
        ~SansSerifTypefaces() override { clearSingletonInstance(); }

        juce::Typeface::Ptr get (bool bold)
        {
            const juce::ScopedLock sl (lock);

            if (! scanned)
            {
                scanned = true;
                const auto faces = SansSerifTypeface::findInstalledFaces();

                for (const bool b : { false, true })
                    if (const auto face = SansSerifTypeface::pickDefault (faces, b))
                        (b ? boldTypeface : regularTypeface) = SansSerifTypeface::open (*face);
            }

            return bold ? boldTypeface : regularTypeface;
        }

        JUCE_DECLARE_SINGLETON (SansSerifTypefaces, false)

    private:
        juce::CriticalSection lock;
        bool scanned = false;
        juce::Typeface::Ptr regularTypeface, boldTypeface;
    };

    JUCE_IMPLEMENT_SINGLETON (SansSerifTypefaces)
}

juce::Typeface::Ptr VeskFonts::sansSerifTypefaceFor (const juce::Font& font)
{
    if (font.getTypefaceName() != juce::Font::getDefaultSansSerifFontName())
        return nullptr;

    // Font() says "<Regular>" where Font (height) says "Regular": one typeface.
    const auto style = font.getTypefaceStyle();

    if (style == "Bold")
        return SansSerifTypefaces::getInstance()->get (true);

    if (style == "Regular" || style == juce::Font::getDefaultStyle())
        return SansSerifTypefaces::getInstance()->get (false);

    return nullptr;
}
