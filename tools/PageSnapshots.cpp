/*
    Paints the tabbed editor's pages into PNG files, as the README shows them:

        cmake --build build --target page_snapshots
        build/tools/page_snapshots docs

    No display and no MIDI port are needed: the model sends into nothing.
*/

#include "app/MainWindow.h"
#include "editors/VeskComponent.h"
#include "unit/MessageThreadClock.h"

#include <iostream>

namespace
{
    struct NoMidiOut : MidiOut
    {
        void send (const juce::MidiMessage&) override {}
    };

    bool writePng (const juce::Image& image, const juce::File& file)
    {
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat png;
        return out.openedOk() && png.writeImageToStream (image, out);
    }
}

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;

    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (argc > 1 ? argv[1] : "docs");

    if (! folder.createDirectory())
    {
        std::cerr << "Cannot create " << folder.getFullPathName() << std::endl;
        return 1;
    }

    // The program's own scheme, so the pictures look as the pages do in its window.
    juce::LookAndFeel_V2 lookAndFeel;
    MainWindow::applyColours (lookAndFeel);
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);

    NoMidiOut out;
    MessageThreadClock clock;
    VeskSession session (VeskSession::Options::headless (clock, out));
    VeskModel& model = session.getModel();

    // The main window is 446 x 492; the editor gets what its menu bar leaves.
    const juce::String lineIn = argc > 2 ? juce::String (argv[2]) : juce::String();

    if (lineIn == "lineIn")
        model.currentPattern[VeskImage::Pattern::type] = VeskImage::PartType::lineIn;

    VeskComponent editor (session);
    editor.setSize (446, 468);
    editor.refreshPatternsPage (0);

    const auto suffix = lineIn.isEmpty() ? juce::String() : "-" + lineIn;
    bool ok = writePng (editor.createComponentSnapshot (editor.getLocalBounds()), folder.getChildFile ("pattern-page" + suffix + ".png"));

    editor.setCurrentTabIndex (1);
    ok = ok && writePng (editor.createComponentSnapshot (editor.getLocalBounds()), folder.getChildFile ("system-page.png"));

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    if (! ok)
    {
        std::cerr << "Cannot write the pictures into " << folder.getFullPathName() << std::endl;
        return 1;
    }

    return 0;
}
