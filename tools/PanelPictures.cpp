/*
    Draws the letters of the panel pictures of the pattern page and the part
    editors, and the program's icon, into resources/. Run it after changing a
    title, a caption, a size or the icon here:

        cmake --build build --target panel_pictures
        build/tools/panel_pictures resources

    Each picture is drawn twice, at one and at two pixels per unit of the
    layout (name_2x.mask), for screens and zoom levels that show more pixels.
    Every picture has the same style: a striped red title bar (rows 0-14) with
    the title in the same line rhythm, a half-transparent separator (row 15)
    and a striped dark body with small light-grey captions over the controls.
    The program lays those colours itself (src/editors/PanelPictures.cpp); a
    .mask file holds only how much the letters cover each pixel.

    The icon is the same shapes twice: an SVG for desktops that scale it and a
    256 x 256 PNG, drawn from one list so that the two cannot drift apart.
*/

#include <juce_graphics/juce_graphics.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <iostream>
#include <vector>

namespace
{
    struct Caption
    {
        juce::String text;
        int left, right; // text is centred between these columns (left-aligned when right < 0)
        int top; // first row of the letters without descenders
    };

    struct Panel
    {
        juce::String name;
        int width, height;
        juce::String title;
        std::vector<Caption> captions;
    };

    // Knob captions end 3-4 rows above the knob: over a knob at row 32 they take rows 22-28.
    Caption knob (const juce::String& text, int knobX) { return { text, knobX, knobX + 45, 22 }; }

    // Combo boxes at row 46 have their captions at rows 36-42; "Tone" stands over
    // the left end of the long tone list.
    const std::vector<Panel>& panels()
    {
        static const std::vector<Panel> list {
            { "commonGroup", 342, 89, "Pattern settings", { { "Pattern", 8, -1, 21 }, { "Type", 26, 46, 55 }, { "Tempo", 89, 117, 55 }, { "Loop control", 145, 197, 55 }, { "Length", 221, 249, 55 }, { "Scale", 293, 316, 55 } } },
            { "lineinOutputGroup", 45, 84, "Output", { knob ("Level", 0) } },
            { "outputGroup", 90, 84, "Output", { knob ("Level", 0), knob ("Pan", 45) } },
            { "lfoGroup", 59, 311, "LFO", { { "Oscillator", 7, 52, 22 }, { "Filter", 7, 52, 83 }, { "Amplifier", 7, 52, 144 }, { "Waveform", 7, 52, 216 }, { "Rate", 7, 52, 249 } } },
            { "leadOscGroup", 329, 56, "Oscillator", { { "Waveform", 7, 52, 22 }, { "Tone", 62, -1, 22 } } },
            { "leadFilterGroup", 329, 84, "Filter", { knob ("A", 0), knob ("D", 45), knob ("S", 90), knob ("R", 135), knob ("Cutoff", 180), knob ("Q", 225), { "Type", 277, 322, 36 } } },
            { "leadAmplifierGroup", 238, 84, "Amplifier", { knob ("A", 0), knob ("D", 45), knob ("S", 90), knob ("R", 135), knob ("Depth", 193) } },
            { "driveEffectGroup", 194, 84, "Effect", { knob ("OscTune", 0), knob ("Drive", 45), knob ("Tone", 90), { "Type", 142, 187, 36 } } },
            { "phaserEffectGroup", 194, 84, "Effect", { knob ("Rate", 0), knob ("Depth", 45), knob ("Reso", 90), { "Type", 142, 187, 36 } } },
            { "slicerEffectGroup", 194, 84, "Effect", { knob ("Rate", 0), knob ("GateTime", 45), knob ("RingFreq", 90), { "Type", 142, 187, 36 } } },
            { "bassOscGroup", 374, 84, "Oscillator", { knob ("Tune", 330), { "Waveform", 7, 52, 36 }, { "Tone", 62, -1, 36 } } },
            { "bassFilterGroup", 374, 84, "Filter", { knob ("A", 0), knob ("D", 45), knob ("S", 90), knob ("R", 135), knob ("Cutoff", 180), knob ("Q", 225), knob ("EnvMod", 270), { "Type", 322, 367, 36 } } },
            { "bassAmplifierGroup", 283, 84, "Amplifier", { knob ("A", 0), knob ("D", 45), knob ("S", 90), knob ("R", 135), knob ("EnvMod", 193), knob ("Accent", 238) } },
            { "vintageGroup", 96, 56, "Vintage mode", {} },
            { "kitGroup", 104, 47, "Drum Kit", {} },
            { "levelsGroup", 135, 84, "Levels", { knob ("BD", 0), knob ("SD", 45), knob ("HH", 90) } },
        };

        return list;
    }

    /** Coverage of text drawn in white on a clear image of scale pixels per
        unit: the alpha of each pixel. */
    juce::Image textMask (const Panel& panel, int scale)
    {
        juce::Image mask (juce::Image::ARGB, panel.width * scale, panel.height * scale, true);
        juce::Graphics g (mask);
        g.addTransform (juce::AffineTransform::scale ((float) scale));
        g.setColour (juce::Colours::white);

        // Cap height about 10 pixels for the title, 7 for captions.
        const juce::Font titleFont (11.5f, juce::Font::bold);
        g.setFont (titleFont);
        g.drawSingleLineText (panel.title, 3, 12);

        const juce::Font captionFont (9.5f);
        g.setFont (captionFont);

        for (auto& c : panel.captions)
        {
            const int baseline = c.top + 7;

            if (c.right < 0)
                g.drawSingleLineText (c.text, c.left, baseline);
            else
                g.drawSingleLineText (c.text, (c.left + c.right) / 2, baseline, juce::Justification::horizontallyCentred);
        }

        return mask;
    }

    /** The picture as the program embeds it: two bytes of width and two of
        height, low byte first, then the coverage of its letters row by row,
        zlib-compressed. */
    bool writeMask (const juce::Image& mask, juce::OutputStream& out)
    {
        const int width = mask.getWidth(), height = mask.getHeight();

        if (! (out.writeByte ((char) (width & 0xFF)) && out.writeByte ((char) (width >> 8))
               && out.writeByte ((char) (height & 0xFF)) && out.writeByte ((char) (height >> 8))))
            return false;

        juce::GZIPCompressorOutputStream zipped (out, 9);

        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (! zipped.writeByte ((char) mask.getPixelAt (x, y).getAlpha()))
                    return false;

        zipped.flush();
        return true;
    }
}

namespace Icon
{
    constexpr int size = 256;

    /** A shape in the icon's 256-unit square. A round rectangle may keep its top
        corners square; a line is a knob's pointer. */
    struct Shape
    {
        enum class Kind
        {
            roundRect,
            roundBottomRect,
            circle,
            line
        };

        Kind kind;
        float x, y, w, h; // a circle: centre x, y and radius w; a line: from (x, y) to (w, h)
        float corner;
        juce::uint32 colour;
    };

    std::vector<Shape> shapes()
    {
        using K = Shape::Kind;
        constexpr juce::uint32 red = 0xFF990000, lit = 0xFFCC0000, body = 0xFF262626, pad = 0xFF4D4D4D, knob = 0xFFCCCCCC;

        // The unit's panel: a red title band with three knobs over a dark body
        // with two rows of step pads, a few of them lit.
        std::vector<Shape> list {
            { K::roundRect, 16, 16, 224, 224, 36, red },
            { K::roundBottomRect, 16, 84, 224, 156, 36, body },
        };

        for (int i = 0; i < 3; ++i)
        {
            const float cx = 60.0f + (float) i * 50.0f;
            list.push_back ({ K::circle, cx, 50, 17, 0, 0, knob });
            list.push_back ({ K::line, cx, 50, cx + 9.0f * (float) (i - 1), 37, 0, body });
        }

        const bool on[2][4] = { { true, false, true, false }, { false, true, false, true } };

        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 4; ++column)
                list.push_back ({ K::roundRect, 38.0f + (float) column * 48.0f, 110.0f + (float) row * 56.0f, 36, 36, 7, on[row][column] ? lit : pad });

        return list;
    }

    juce::String svgColour (juce::uint32 argb)
    {
        return "#" + juce::String::toHexString ((int) (argb & 0xFFFFFF)).paddedLeft ('0', 6);
    }

    juce::String toSvg()
    {
        using K = Shape::Kind;
        juce::String svg;
        svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << size << "\" height=\"" << size
            << "\" viewBox=\"0 0 " << size << " " << size << "\">\n";

        for (auto& s : shapes())
        {
            const auto fill = svgColour (s.colour);

            if (s.kind == K::roundRect)
                svg << "  <rect x=\"" << s.x << "\" y=\"" << s.y << "\" width=\"" << s.w << "\" height=\"" << s.h
                    << "\" rx=\"" << s.corner << "\" fill=\"" << fill << "\"/>\n";
            else if (s.kind == K::roundBottomRect)
                svg << "  <path d=\"M" << s.x << " " << s.y << "H" << (s.x + s.w) << "V" << (s.y + s.h - s.corner)
                    << "A" << s.corner << " " << s.corner << " 0 0 1 " << (s.x + s.w - s.corner) << " " << (s.y + s.h)
                    << "H" << (s.x + s.corner) << "A" << s.corner << " " << s.corner << " 0 0 1 " << s.x << " "
                    << (s.y + s.h - s.corner) << "Z\" fill=\"" << fill << "\"/>\n";
            else if (s.kind == K::circle)
                svg << "  <circle cx=\"" << s.x << "\" cy=\"" << s.y << "\" r=\"" << s.w << "\" fill=\"" << fill << "\"/>\n";
            else
                svg << "  <line x1=\"" << s.x << "\" y1=\"" << s.y << "\" x2=\"" << s.w << "\" y2=\"" << s.h
                    << "\" stroke=\"" << fill << "\" stroke-width=\"5\" stroke-linecap=\"round\"/>\n";
        }

        return svg << "</svg>\n";
    }

    juce::Image toImage()
    {
        using K = Shape::Kind;
        juce::Image image (juce::Image::ARGB, size, size, true);
        juce::Graphics g (image);

        for (auto& s : shapes())
        {
            g.setColour (juce::Colour (s.colour));

            if (s.kind == K::roundRect)
            {
                g.fillRoundedRectangle (s.x, s.y, s.w, s.h, s.corner);
            }
            else if (s.kind == K::roundBottomRect)
            {
                juce::Path p;
                p.addRoundedRectangle (s.x, s.y, s.w, s.h, s.corner, s.corner, false, false, true, true);
                g.fillPath (p);
            }
            else if (s.kind == K::circle)
            {
                g.fillEllipse (s.x - s.w, s.y - s.w, 2 * s.w, 2 * s.w);
            }
            else
            {
                juce::Path p;
                p.startNewSubPath (s.x, s.y);
                p.lineTo (s.w, s.h);
                g.strokePath (p, juce::PathStrokeType (5.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded));
            }
        }

        return image;
    }
}

/** Writes through a temporary file, so that a failure leaves the old file. */
static bool writeWhole (const juce::File& file, const std::function<bool (juce::OutputStream&)>& write)
{
    juce::TemporaryFile temp (file);

    {
        juce::FileOutputStream out (temp.getFile());

        if (! out.openedOk() || ! write (out))
            return false;
    }

    return temp.overwriteTargetFileWithTemporary();
}

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;

    const juce::File folder (juce::File::getCurrentWorkingDirectory().getChildFile (argc > 1 ? argv[1] : "resources"));

    if (! folder.isDirectory())
    {
        std::cerr << "No such folder: " << folder.getFullPathName() << std::endl;
        return 1;
    }

    std::vector<std::pair<juce::File, std::function<bool (juce::OutputStream&)>>> outputs;

    auto png = [] (juce::Image image)
    {
        return [image] (juce::OutputStream& out)
        { return juce::PNGImageFormat().writeImageToStream (image, out); };
    };

    auto mask = [] (juce::Image image)
    {
        return [image] (juce::OutputStream& out)
        { return writeMask (image, out); };
    };

    for (auto& panel : panels())
    {
        outputs.emplace_back (folder.getChildFile (panel.name + ".mask"), mask (textMask (panel, 1)));
        outputs.emplace_back (folder.getChildFile (panel.name + "_2x.mask"), mask (textMask (panel, 2)));
    }

    outputs.emplace_back (folder.getChildFile ("icon.svg"), [] (juce::OutputStream& out)
                          { return out.writeText (Icon::toSvg(), false, false, "\n"); });
    outputs.emplace_back (folder.getChildFile ("icon-256.png"), png (Icon::toImage()));

    for (auto& [file, write] : outputs)
    {
        if (! writeWhole (file, write))
        {
            std::cerr << "Cannot write " << file.getFullPathName() << std::endl;
            return 1;
        }

        std::cout << file.getFullPathName() << std::endl;
    }

    return 0;
}
