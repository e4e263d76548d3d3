/*
    A window that asks to be repainted 30 times a second for a few seconds,
    then prints how often it was painted and quits: 0 when it was repainted,
    1 when it painted once and then never again (JUCE's Windows peer under
    Wine without cmake/juce-7.0.5-vblank-fallback.patch).

        scripts/build.sh repaint_counter && build/tools/repaint_counter 3
        scripts/windows-build.sh    (runs the Windows build of it under Wine)
*/

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdio>

namespace
{
    class RepaintingComponent : public juce::Component, private juce::Timer
    {
    public:
        RepaintingComponent()
        {
            setSize (400, 240);
            startTimerHz (30);
        }

        int getPaints() const { return paints; }

        void paint (juce::Graphics& g) override
        {
            ++paints;
            // Each paint a different shade, so a screenshot shows repaints too.
            g.fillAll (juce::Colour::fromHSV ((float) (paints % 60) / 60.0f, 0.5f, 0.9f, 1.0f));
            g.setColour (juce::Colours::black);
            g.setFont (28.0f);
            g.drawText ("painted " + juce::String (paints) + " times", getLocalBounds(), juce::Justification::centred);
        }

    private:
        void timerCallback() override { repaint(); }

        int paints = 0;
    };

    class RepaintCounterWindow : public juce::DocumentWindow
    {
    public:
        RepaintCounterWindow()
            : juce::DocumentWindow ("Repaint Counter", juce::Colours::grey, juce::DocumentWindow::closeButton)
        {
            setUsingNativeTitleBar (true);
            setContentNonOwned (&content, true);
            centreWithSize (getWidth(), getHeight());
            setVisible (true);
        }

        int getPaints() const { return content.getPaints(); }

        void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }

    private:
        RepaintingComponent content;
    };

    class RepaintCounterApplication : public juce::JUCEApplication, private juce::Timer
    {
    public:
        const juce::String getApplicationName() override { return "Repaint Counter"; }
        const juce::String getApplicationVersion() override { return "1"; }
        bool moreThanOneInstanceAllowed() override { return true; }

        void initialise (const juce::String& commandLine) override
        {
            const auto seconds = juce::jlimit (1, 600, commandLine.trim().isEmpty() ? 3 : commandLine.getIntValue());
            window = std::make_unique<RepaintCounterWindow>();
            startTimer (seconds * 1000);
        }

        void shutdown() override { window = nullptr; }

    private:
        void timerCallback() override
        {
            stopTimer();
            const auto paints = window->getPaints();
            std::printf ("painted %d times\n", paints);
            std::fflush (stdout);
            // The first paint comes with the window; the peer's repaints come after it.
            setApplicationReturnValue (paints > 2 ? 0 : 1);
            quit();
        }

        std::unique_ptr<RepaintCounterWindow> window;
    };
}

START_JUCE_APPLICATION (RepaintCounterApplication)
