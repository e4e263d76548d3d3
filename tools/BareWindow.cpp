/*
    The yardstick for VeskEdit's start: a window of the same size and kind,
    built from the same JUCE, with nothing in it. tests/e2e/measure-startup.sh
    starts the two in turn and prints how much longer and bigger VeskEdit is.

        scripts/build.sh bare_window
        tests/e2e/measure-startup.sh build/VeskEdit build/tools/bare_window
*/

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    class BareWindow : public juce::DocumentWindow
    {
    public:
        BareWindow()
            : juce::DocumentWindow ("Bare Window", juce::Colour (0xff999999), juce::DocumentWindow::allButtons)
        {
            setResizable (true, false);
            centreWithSize (446, 492);
            setVisible (true);
        }

        void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }
    };

    class BareWindowApplication : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override { return "Bare Window"; }
        const juce::String getApplicationVersion() override { return "1"; }
        bool moreThanOneInstanceAllowed() override { return true; }

        void initialise (const juce::String&) override { window = std::make_unique<BareWindow>(); }
        void shutdown() override { window = nullptr; }

    private:
        std::unique_ptr<BareWindow> window;
    };
}

START_JUCE_APPLICATION (BareWindowApplication)
