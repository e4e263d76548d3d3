#pragma once

#include "InstanceHandover.h"
#include "LayoutReport.h"
#include "MainWindow.h"

/** Creates the one main window at start and deletes it at shutdown. */
class VeskEditApplication : public juce::JUCEApplication
{
public:
    VeskEditApplication();
    ~VeskEditApplication() override;

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;

    static constexpr const char* versionString = "1.0";

private:
    void openFromOutside (const juce::StringArray& paths);
    void finishStart();

    std::unique_ptr<InstanceHandover> handover;
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<LayoutReport> layoutReport;
    bool startFinished = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskEditApplication)
};
