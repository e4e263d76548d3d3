#include "VeskEditApplication.h"

VeskEditApplication::VeskEditApplication() = default;
VeskEditApplication::~VeskEditApplication() = default;

void VeskEditApplication::initialise (const juce::String&)
{
    mainWindow = std::make_unique<MainWindow>();
    mainWindow->centreWithSize (446, 492);
    mainWindow->setVisible (true);
}

void VeskEditApplication::shutdown()
{
    // Also called, without initialise, in a second copy that ends at once.
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
    return false;
}

void VeskEditApplication::anotherInstanceStarted (const juce::String&)
{
}
