#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    class MainWindow : public juce::DocumentWindow
    {
    public:
        MainWindow()
            : juce::DocumentWindow ("Vesk Edit",
                                    juce::Desktop::getInstance().getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                                    juce::DocumentWindow::allButtons)
        {
            setUsingNativeTitleBar (false);
            setResizable (true, true);
            centreWithSize (446, 492);
            setVisible (true);
        }

        void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
    };
}

class VeskEditApplication : public juce::JUCEApplication
{
public:
    VeskEditApplication() = default;

    const juce::String getApplicationName() override { return "VeskEdit"; }
    const juce::String getApplicationVersion() override { return JUCE_APPLICATION_VERSION_STRING; }
    bool moreThanOneInstanceAllowed() override { return false; }

    void initialise (const juce::String&) override { mainWindow = std::make_unique<MainWindow>(); }
    void shutdown() override { mainWindow = nullptr; }

private:
    std::unique_ptr<MainWindow> mainWindow;
};

START_JUCE_APPLICATION (VeskEditApplication)
