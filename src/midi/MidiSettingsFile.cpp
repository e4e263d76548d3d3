#include "MidiSettingsFile.h"

juce::File MidiSettingsFile::getFile()
{
    return juce::File::getCurrentWorkingDirectory().getChildFile ("MidiSettings.xml");
}

juce::String MidiSettingsFile::initialiseDeviceManager (juce::AudioDeviceManager& deviceManager)
{
    const auto file = getFile();
    std::unique_ptr<juce::XmlElement> saved;

    if (file.existsAsFile())
        saved = juce::XmlDocument::parse (file);

    // A document with another root is ignored by the device manager itself.
    return deviceManager.initialise (0, 0, saved.get(), true, {}, nullptr);
}

bool MidiSettingsFile::save (juce::AudioDeviceManager& deviceManager)
{
    const auto state = deviceManager.createStateXml();

    if (state == nullptr)
        return false;

    juce::XmlElement::TextFormat format;
    format.dtd = {};
    format.customEncoding = "UTF-8";
    return state->writeTo (getFile(), format);
}

juce::String MidiSettingsFile::describeOpenError (const juce::String& error)
{
    return "Couldn't open an output device!\n\n" + error;
}
