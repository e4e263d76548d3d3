#include "MidiSettingsFile.h"
#include "model/BoundedXml.h"
#include "model/WholeFileWriter.h"

juce::File MidiSettingsFile::getFile()
{
    return juce::File::getCurrentWorkingDirectory().getChildFile ("MidiSettings.xml");
}

juce::String MidiSettingsFile::initialiseDeviceManager (juce::AudioDeviceManager& deviceManager)
{
    // A file that is missing, damaged or refused leaves the defaults; a
    // document with another root is ignored by the device manager itself.
    std::unique_ptr<juce::XmlElement> saved;
    BoundedXml::read (getFile(), saved);

    return deviceManager.initialise (0, 0, saved.get(), true, {}, nullptr);
}

namespace
{
    bool isPresent (const juce::Array<juce::MidiDeviceInfo>& devices, const juce::XmlElement& e, const char* nameAttribute, const char* idAttribute)
    {
        for (const auto& d : devices)
            if (d.identifier == e.getStringAttribute (idAttribute) || d.name == e.getStringAttribute (nameAttribute))
                return true;

        return false;
    }

    /** The device manager forgets the choice of a port that is unplugged when
        it starts. An absent input cannot have been changed since, so it is
        kept; the output is kept only while the user has chosen none since,
        or "no output" would come back as the unplugged port. */
    void keepChoicesOfAbsentPorts (juce::XmlElement& state, const juce::XmlElement& saved, bool keepOutput)
    {
        const auto inputs = juce::MidiInput::getAvailableDevices();

        for (auto* input : saved.getChildWithTagNameIterator ("MIDIINPUT"))
        {
            if (isPresent (inputs, *input, "name", "identifier"))
                continue;

            bool listed = false;

            for (auto* s : state.getChildWithTagNameIterator ("MIDIINPUT"))
                listed = listed || s->getStringAttribute ("name") == input->getStringAttribute ("name");

            if (! listed)
                state.addChildElement (new juce::XmlElement (*input));
        }

        if (keepOutput && ! state.hasAttribute ("defaultMidiOutput") && saved.hasAttribute ("defaultMidiOutput")
            && ! isPresent (juce::MidiOutput::getAvailableDevices(), saved, "defaultMidiOutput", "defaultMidiOutputDevice"))
        {
            state.setAttribute ("defaultMidiOutput", saved.getStringAttribute ("defaultMidiOutput"));
            state.setAttribute ("defaultMidiOutputDevice", saved.getStringAttribute ("defaultMidiOutputDevice"));
        }
    }
}

bool MidiSettingsFile::save (juce::AudioDeviceManager& deviceManager, bool outputChosenSinceStart)
{
    const auto state = deviceManager.createStateXml();

    if (state == nullptr)
        return false;

    std::unique_ptr<juce::XmlElement> saved;

    if (BoundedXml::read (getFile(), saved).wasOk() && saved->hasTagName ("DEVICESETUP"))
        keepChoicesOfAbsentPorts (*state, *saved, ! outputChosenSinceStart);

    juce::XmlElement::TextFormat format;
    format.dtd = {};
    format.customEncoding = "UTF-8";

    juce::MemoryOutputStream text;
    state->writeTo (text, format);
    return WholeFileWriter::write (getFile(), text.getData(), text.getDataSize()).wasOk();
}

juce::String MidiSettingsFile::describeOpenError (const juce::String& error)
{
    return "Couldn't open an output device!\n\n" + error;
}
