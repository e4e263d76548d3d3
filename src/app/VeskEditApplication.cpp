#include "VeskEditApplication.h"
#include "ContentComp.h"
#include "LayoutReport.h"

#include "platform/ProcessSetup.h"

#include <iostream>

VeskEditApplication::VeskEditApplication() = default;
VeskEditApplication::~VeskEditApplication() = default;

void VeskEditApplication::initialise (const juce::String&)
{
    ProcessSetup::shareOneHeap();

    const auto files = InstanceHandover::filesFromArguments (getCommandLineParameterArray(),
                                                             juce::File::getCurrentWorkingDirectory());
    handover = std::make_unique<InstanceHandover>();
    const auto lock = handover->takeLock();

    if (lock == InstanceHandover::Lock::heldByAnotherCopy)
    {
        // Another copy of this user runs: it gets the files (or just comes to the front) and this one ends.
        const auto result = handover->handOver (files, 5000);

        if (result.failed())
        {
            std::cerr << "VeskEdit: " << result.getErrorMessage() << std::endl;
            setApplicationReturnValue (1);
        }

        handover = nullptr;
        quit();
        return;
    }

    if (lock == InstanceHandover::Lock::unavailable)
    {
        // Better a second window than none: the user's work does not depend on the hand-over.
        std::cerr << "VeskEdit: " << handover->getProblem() << "; this copy runs on its own and later starts cannot reach it." << std::endl;
        handover = nullptr;
    }

    // Without a screen JUCE has nowhere to put the window and would crash placing it.
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
    {
        std::cerr << "VeskEdit: no display could be opened (DISPLAY is \""
                  << juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}) << "\"), so there is nowhere to show the window." << std::endl;
        handover = nullptr;
        setApplicationReturnValue (1);
        quit();
        return;
    }

    // The window is sent to the screen before its pages are built, which are
    // then ready before its first paint.
    mainWindow = std::make_unique<MainWindow>();
    mainWindow->centreWithSize (446, 492);
    mainWindow->setVisible (true);
    mainWindow->addContent();

    layoutReport = LayoutReport::fromEnvironment (*mainWindow);

    // The ports and the listener wait until the window has been painted; a
    // later start meanwhile finds the lock taken and keeps trying for its 5 s.
    mainWindow->onFirstPaint = [this]
    { finishStart(); };

    // A window that is not painted soon (started minimised) does not keep the unit waiting.
    juce::Timer::callAfterDelay (1000, [this]
                                 { finishStart(); });

    mainWindow->getContentComp().openFilesFromOutside (files);
}

void VeskEditApplication::finishStart()
{
    if (mainWindow == nullptr || startFinished)
        return;

    startFinished = true;
    mainWindow->getContentComp().finishStart();

    if (handover != nullptr && ! handover->listen ([this] (const juce::StringArray& paths)
                                                   { openFromOutside (paths); }))
        std::cerr << "VeskEdit: later starts cannot hand files to this one: " << handover->getProblem() << std::endl;
}

void VeskEditApplication::shutdown()
{
    // Also called in a copy that handed its files over and ends at once.
    handover = nullptr;
    layoutReport = nullptr;
    mainWindow = nullptr;
}

const juce::String VeskEditApplication::getApplicationName()
{
    return "VeskEdit";
}

const juce::String VeskEditApplication::getApplicationVersion()
{
    return versionString;
}

bool VeskEditApplication::moreThanOneInstanceAllowed()
{
    // The lock and the hand-over to the running copy are InstanceHandover's.
    return true;
}

void VeskEditApplication::anotherInstanceStarted (const juce::String&)
{
}

void VeskEditApplication::systemRequestedQuit()
{
    // The window's close button and Ctrl+Q: a changed library is not lost without asking.
    if (mainWindow == nullptr)
        quit();
    else
        mainWindow->getContentComp().saveIfNeededThen ([]
                                                       { quit(); });
}

void VeskEditApplication::openFromOutside (const juce::StringArray& paths)
{
    if (mainWindow == nullptr)
        return;

    if (mainWindow->isMinimised())
        mainWindow->setMinimised (false);

    mainWindow->toFront (true);

    mainWindow->getContentComp().openFilesFromOutside (paths);
}
