#include "ScopedEnvironmentVariable.h"
#include "editors/SansSerifTypeface.h"
#include "editors/VeskFonts.h"
#include "editors/VeskText.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
    juce::String printableAscii()
    {
        juce::String text;

        for (juce::juce_wchar c = 0x20; c < 0x7f; ++c)
            text += juce::String::charToString (c);

        return text;
    }

    /** JUCE's own typeface for the default sans-serif font in a style. */
    juce::Typeface::Ptr juceTypeface (bool bold)
    {
        return juce::Font::getDefaultTypefaceForFont (juce::Font (juce::Font::getDefaultSansSerifFontName(), bold ? "Bold" : "Regular", 15.0f));
    }

    juce::Typeface::Ptr ourTypeface (bool bold)
    {
        const auto face = SansSerifTypeface::pickDefault (SansSerifTypeface::findInstalledFaces(), bold);
        return face.has_value() ? SansSerifTypeface::open (*face) : nullptr;
    }

    juce::Image drawn (std::function<void (juce::Graphics&)> draw)
    {
        juce::Image image (juce::Image::ARGB, 160, 60, true);
        juce::Graphics g (image);
        g.setColour (juce::Colours::black);
        draw (g);
        return image;
    }

    bool samePixels (const juce::Image& a, const juce::Image& b)
    {
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return false;

        return true;
    }

    bool anyInk (const juce::Image& image)
    {
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt (x, y).getAlpha() != 0)
                    return true;

        return false;
    }
}

// Kerning is read lazily, for the pairs of glyphs loaded so far: whatever order
// the characters first come in, every pair must measure as in JUCE's typeface.
TEST (SansSerifTypeface, PicksMeasuresKernsAndDrawsAsJucesOwnTypefaceInAnyOrder)
{
    const juce::StringArray texts { "A", "V", "AV", "VA", "To", "Ty", "LT", "Wa", "Patterns", "Vesk Edit", "Tempo 130",
                                    juce::CharPointer_UTF8 ("\xc3\x84pfel \xc3\xa9t\xc3\xa9"), printableAscii() };

    for (const bool bold : { false, true })
    {
        SCOPED_TRACE (bold ? "bold" : "regular");
        const auto theirs = juceTypeface (bold);
        const auto ours = ourTypeface (bold);
        ASSERT_NE (ours, nullptr);
        EXPECT_EQ (ours->getName(), theirs->getName());
        EXPECT_EQ (ours->getStyle(), theirs->getStyle());
        EXPECT_FLOAT_EQ (ours->getAscent(), theirs->getAscent());

        for (const auto& text : texts)
        {
            SCOPED_TRACE (text);
            EXPECT_FLOAT_EQ (ours->getStringWidth (text), theirs->getStringWidth (text));

            juce::Array<int> ourGlyphs, theirGlyphs;
            juce::Array<float> ourOffsets, theirOffsets;
            ours->getGlyphPositions (text, ourGlyphs, ourOffsets);
            theirs->getGlyphPositions (text, theirGlyphs, theirOffsets);
            EXPECT_EQ (ourGlyphs, theirGlyphs);
            EXPECT_EQ (ourOffsets, theirOffsets);
        }

        for (const juce::juce_wchar c : std::initializer_list<juce::juce_wchar> { 'a', 'g', 'Q', '@', '&', 0xe9 })
        {
            juce::Path ourPath, theirPath;
            EXPECT_TRUE (ours->getOutlineForGlyph ((int) c, ourPath));
            EXPECT_TRUE (theirs->getOutlineForGlyph ((int) c, theirPath));
            EXPECT_TRUE (ourPath == theirPath) << (int) c;
        }

        // The shrunk glyph tables cover the same pixels.
        const auto draw = [] (juce::Typeface::Ptr typeface)
        {
            return drawn ([typeface] (juce::Graphics& g)
                          {
                              g.setFont (juce::Font (typeface).withHeight (13.0f));
                              g.drawSingleLineText ("AVATAR To Ty, gQ@&", 2, 20);
                              g.setFont (juce::Font (typeface).withHeight (29.0f));
                              g.drawSingleLineText ("Wave 127", 2, 52); });
        };

        const auto ourPixels = draw (ours);
        EXPECT_TRUE (anyInk (ourPixels));
        EXPECT_TRUE (samePixels (ourPixels, draw (theirs)));
    }
}

TEST (SansSerifTypeface, TwoThreadsMeasuringAtOnceGetWhatOneThreadGets)
{
    const auto ours = ourTypeface (false);
    const auto theirs = juceTypeface (false);
    ASSERT_NE (ours, nullptr);
    const auto text = printableAscii();
    float widths[2] {};

    std::thread other ([&]
                       { widths[1] = ours->getStringWidth (text + "AV"); });
    widths[0] = ours->getStringWidth ("VA" + text);
    other.join();

    EXPECT_FLOAT_EQ (widths[0], theirs->getStringWidth ("VA" + text));
    EXPECT_FLOAT_EQ (widths[1], theirs->getStringWidth (text + "AV"));
}

TEST (SansSerifTypeface, ReadsNoFontFromAFolderWithoutOnesAndSaysNoneWhenThereIsNone)
{
    const auto folder = juce::File::createTempFile ("vesk-fonts");
    ASSERT_TRUE (folder.createDirectory());
    ASSERT_TRUE (folder.getChildFile ("broken.ttf").replaceWithText ("not a font"));

    const auto faces = [&folder]
    {
        const ScopedEnvironmentVariable fontPath ("JUCE_FONT_PATH", folder.getFullPathName());
        return SansSerifTypeface::findInstalledFaces();
    }();
    folder.deleteRecursively();

    EXPECT_TRUE (faces.empty());
    EXPECT_FALSE (SansSerifTypeface::pickDefault (faces, false).has_value());

    // A family without a bold style gives its first style for bold, as JUCE does.
    const std::vector<SansSerifTypeface::Face> onlyBook { { {}, 0, "Some Sans", "Book", true, false },
                                                          { {}, 0, "Some Sans", "Oblique", true, false },
                                                          { {}, 0, "Serif Face", "Regular", false, false } };
    EXPECT_EQ (SansSerifTypeface::pickDefault (onlyBook, true)->style, "Book");
    EXPECT_EQ (SansSerifTypeface::pickDefault (onlyBook, false)->family, "Some Sans");
}

TEST (VeskFonts, ServesOneTypefacePerStyleOfTheDefaultSansSerifAndLeavesOtherFontsToJuce)
{
    const auto plain = VeskFonts::sansSerifTypefaceFor (juce::Font());
    ASSERT_NE (plain, nullptr);

    // Font() says "<Regular>", Font (height) "Regular": one typeface, opened once.
    EXPECT_EQ (VeskFonts::sansSerifTypefaceFor (juce::Font (12.0f)), plain);
    const auto bold = VeskFonts::sansSerifTypefaceFor (juce::Font (12.0f, juce::Font::bold));
    ASSERT_NE (bold, nullptr);
    EXPECT_NE (bold, plain);
    EXPECT_EQ (VeskFonts::sansSerifTypefaceFor (juce::Font (20.0f, juce::Font::bold)), bold);

    EXPECT_EQ (VeskFonts::sansSerifTypefaceFor (juce::Font (12.0f, juce::Font::italic)), nullptr);
    EXPECT_EQ (VeskFonts::sansSerifTypefaceFor (VeskFonts::monospaced (12.0f)), nullptr);

    // Another thread's glyphs load into the same typefaces.
    std::thread measuring ([]
                           { VeskFonts::sansSerifTypefaceFor (juce::Font (13.0f))->getStringWidth ("Pattern settings"); });
    measuring.join();
    EXPECT_EQ (VeskFonts::sansSerifTypefaceFor (juce::Font (15.0f)), plain);
    EXPECT_FLOAT_EQ (plain->getStringWidth ("Patterns"), juceTypeface (false)->getStringWidth ("Patterns"));
}

// Without JUCE's layout cache, but pixel for pixel what Graphics draws.
TEST (VeskText, DrawsTextFittedTextAndLabelsAsJuceDoes)
{
    const juce::Font font (13.0f);
    const juce::String longText ("A caption far too long for its box, on two lines");
    const juce::Rectangle<int> box (4, 4, 90, 30);

    struct Case
    {
        const char* what;
        std::function<void (juce::Graphics&)> juce, ours;
    };

    const std::vector<Case> cases {
        { "fitted on two lines",
          [&] (juce::Graphics& g)
          { g.setFont (font); g.drawFittedText (longText, box, juce::Justification::centred, 2, 0.7f); },
          [&] (juce::Graphics& g)
          { g.setFont (font); VeskText::drawFitted (g, longText, box, juce::Justification::centred, 2, 0.7f); } },
        { "fitted on one, squeezed",
          [&] (juce::Graphics& g)
          { g.setFont (font); g.drawFittedText (longText, box, juce::Justification::centredLeft, 1, 0.5f); },
          [&] (juce::Graphics& g)
          { g.setFont (font); VeskText::drawFitted (g, longText, box, juce::Justification::centredLeft, 1, 0.5f); } },
        { "a line with an ellipsis",
          [&] (juce::Graphics& g)
          { g.setFont (font); g.drawText (longText, box, juce::Justification::centredRight, true); },
          [&] (juce::Graphics& g)
          { g.setFont (font); VeskText::draw (g, longText, box, juce::Justification::centredRight, true); } },
        { "a line cut off",
          [&] (juce::Graphics& g)
          { g.setFont (font); g.drawText (longText, box, juce::Justification::topLeft, false); },
          [&] (juce::Graphics& g)
          { g.setFont (font); VeskText::draw (g, longText, box, juce::Justification::topLeft, false); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto expected = drawn (c.juce);
        EXPECT_TRUE (anyInk (expected));
        EXPECT_TRUE (samePixels (drawn (c.ours), expected));
    }

    // Outside the clip nothing is drawn, as with Graphics.
    EXPECT_FALSE (anyInk (drawn ([&] (juce::Graphics& g)
                                 { g.reduceClipRegion (100, 40, 10, 10); VeskText::drawFitted (g, longText, box, juce::Justification::centred, 2); })));

    juce::LookAndFeel_V2 lookAndFeel;

    for (const bool enabled : { true, false })
    {
        juce::Label label ({}, "127");
        label.setLookAndFeel (&lookAndFeel);
        label.setBounds (0, 0, 40, 18);
        label.setJustificationType (juce::Justification::centred);
        label.setColour (juce::Label::textColourId, juce::Colours::red);
        label.setColour (juce::Label::outlineColourId, juce::Colours::blue);
        label.setEnabled (enabled);

        const auto expected = drawn ([&] (juce::Graphics& g)
                                     { lookAndFeel.drawLabel (g, label); });
        EXPECT_TRUE (samePixels (drawn ([&] (juce::Graphics& g)
                                        { VeskText::drawLabel (lookAndFeel, g, label); }),
                                 expected))
            << (enabled ? "enabled" : "disabled");
        label.setLookAndFeel (nullptr);
    }
}
