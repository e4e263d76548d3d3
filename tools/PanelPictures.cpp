/*
    Draws the panel pictures of the pattern page and the part editors into
    resources/. Run it after changing a title, a caption or a size here:

        cmake --build build --target panel_pictures
        build/tools/panel_pictures resources

    Every picture has the same style: a striped red title bar (rows 0-14) with
    the title in the same line rhythm, a half-transparent separator (row 15)
    and a striped dark body with small light-grey captions over the controls.
*/

#include <juce_graphics/juce_graphics.h>
#include <juce_gui_basics/juce_gui_basics.h>

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

    constexpr juce::uint32 titleDark = 0xFF990000, titleBright = 0xFFCC0000;
    constexpr juce::uint32 titleTextDark = 0xFF999999, titleTextBright = 0xFFCCCCCC;
    constexpr juce::uint32 separator = 0x40FFFFFF;
    constexpr juce::uint32 bodyDark = 0xFF262626, bodyBright = 0xFF333333;
    constexpr juce::uint32 captionColour = 0xFFCCCCCC;
    constexpr int titleRows = 15;

    /** Coverage of text drawn in white on a clear image: the alpha of each pixel. */
    juce::Image textMask (const Panel& panel)
    {
        juce::Image mask (juce::Image::ARGB, panel.width, panel.height, true);
        juce::Graphics g (mask);
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

    juce::Colour mix (juce::uint32 background, juce::uint32 text, float amount)
    {
        return juce::Colour (background).interpolatedWith (juce::Colour (text), amount);
    }

    juce::Image draw (const Panel& panel)
    {
        const auto mask = textMask (panel);
        juce::Image image (juce::Image::ARGB, panel.width, panel.height, true);

        for (int y = 0; y < panel.height; ++y)
        {
            const bool bright = (y % 2) != 0;

            for (int x = 0; x < panel.width; ++x)
            {
                const float amount = mask.getPixelAt (x, y).getFloatAlpha();
                juce::Colour colour;

                if (y < titleRows)
                    colour = mix (bright ? titleBright : titleDark, bright ? titleTextBright : titleTextDark, amount);
                else if (y == titleRows)
                    colour = juce::Colour (separator);
                else
                    colour = mix (bright ? bodyBright : bodyDark, captionColour, amount);

                image.setPixelAt (x, y, colour);
            }
        }

        return image;
    }
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

    for (auto& panel : panels())
    {
        const auto file = folder.getChildFile (panel.name + ".png");
        juce::TemporaryFile temp (file);
        juce::PNGImageFormat png;

        {
            juce::FileOutputStream out (temp.getFile());

            if (! out.openedOk() || ! png.writeImageToStream (draw (panel), out))
            {
                std::cerr << "Cannot write " << file.getFullPathName() << std::endl;
                return 1;
            }
        }

        if (! temp.overwriteTargetFileWithTemporary())
        {
            std::cerr << "Cannot replace " << file.getFullPathName() << std::endl;
            return 1;
        }

        std::cout << file.getFullPathName() << std::endl;
    }

    return 0;
}
