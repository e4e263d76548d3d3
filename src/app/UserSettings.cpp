#include "UserSettings.h"
#include "model/BoundedXml.h"
#include "model/WholeFileWriter.h"
#include "platform/UserFolders.h"

namespace
{
    const char* const resetUnitAtStartKey = "resetUnitAtStart";
    const char* const recentFilesKey = "recentFiles";
    const char* const knobDragKey = "knobDrag";
    const char* const zoomKey = "zoom";
    const char* const addToCollectionKey = "addToCollection";
    const char* const verticalKnobDrag = "vertical";
    const char* const circularKnobDrag = "circular";

    // The names juce::PropertiesFile uses in its XML files.
    const char* const fileTag = "PROPERTIES";
    const char* const valueTag = "VALUE";
    const char* const nameAttribute = "name";
    const char* const valueAttribute = "val";
}

UserSettings::UserSettings()
{
    load();
    recentFiles.setMaxNumberOfItems (maxRecentFiles);

    // Only full paths: a line edited by hand or damaged names no file.
    juce::StringArray paths;

    for (const auto& line : juce::StringArray::fromLines (values.getValue (recentFilesKey)))
        if (juce::File::isAbsolutePath (line))
            paths.addIfNotAlreadyThere (line);

    recentFiles.restoreFromString (paths.joinIntoString ("\n"));
}

UserSettings::~UserSettings() = default;

juce::File UserSettings::getFolder()
{
    return UserFolders::settings();
}

juce::File UserSettings::getFile()
{
    return getFolder().getChildFile ("VeskEdit.settings");
}

void UserSettings::load()
{
    std::unique_ptr<juce::XmlElement> xml;

    // A file that is refused or does not parse leaves the defaults.
    if (BoundedXml::read (getFile(), xml).failed() || ! xml->hasTagName (fileTag))
        return;

    for (auto* e : xml->getChildWithTagNameIterator (valueTag))
    {
        const auto name = e->getStringAttribute (nameAttribute);

        // A value that was itself XML is stored as a child element.
        if (name.isNotEmpty())
            values.setValue (name, e->getFirstChildElement() != nullptr
                                       ? e->getFirstChildElement()->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader())
                                       : e->getStringAttribute (valueAttribute));
    }
}

void UserSettings::setValue (const juce::String& key, const juce::String& value)
{
    if (values.containsKey (key) && values.getValue (key) == value)
        return;

    values.setValue (key, value);
    save();
}

void UserSettings::save()
{
    juce::XmlElement doc (fileTag);
    const auto& all = values.getAllProperties();

    for (int i = 0; i < all.size(); ++i)
    {
        auto* e = doc.createNewChildElement (valueTag);
        e->setAttribute (nameAttribute, all.getAllKeys()[i]);
        e->setAttribute (valueAttribute, all.getAllValues()[i]);
    }

    // Settings are a convenience: a folder or disk that cannot take them
    // leaves the old file as it was and never stops the program.
    const auto file = getFile();

    if (! file.getParentDirectory().createDirectory())
        return;

    juce::MemoryOutputStream text;
    doc.writeTo (text);
    WholeFileWriter::write (file, text.getData(), text.getDataSize());
}

bool UserSettings::getResetUnitAtStart() const
{
    return values.getBoolValue (resetUnitAtStartKey, true);
}

void UserSettings::setResetUnitAtStart (bool shouldReset)
{
    setValue (resetUnitAtStartKey, shouldReset ? "1" : "0");
}

bool UserSettings::getAddToCollection() const
{
    return values.getBoolValue (addToCollectionKey, true);
}

void UserSettings::setAddToCollection (bool shouldAdd)
{
    setValue (addToCollectionKey, shouldAdd ? "1" : "0");
}

bool UserSettings::getVerticalKnobDrag() const
{
    return values.getValue (knobDragKey) == verticalKnobDrag;
}

void UserSettings::setVerticalKnobDrag (bool shouldDragVertically)
{
    setValue (knobDragKey, shouldDragVertically ? verticalKnobDrag : circularKnobDrag);
}

int UserSettings::getZoomPercent() const
{
    // Only a step written as this program writes it: "150abc" is damage, not 150.
    const auto text = values.getValue (zoomKey);

    for (auto step : zoomSteps)
        if (text == juce::String (step))
            return step;

    return zoomSteps.front();
}

void UserSettings::setZoomPercent (int percent)
{
    jassert (std::find (zoomSteps.begin(), zoomSteps.end(), percent) != zoomSteps.end());
    setValue (zoomKey, juce::String (percent));
}

void UserSettings::addRecentFile (const juce::File& file)
{
    recentFiles.addFile (file);
    storeRecentFiles();
}

void UserSettings::removeMissingRecentFiles()
{
    const auto before = recentFiles.getNumFiles();
    recentFiles.removeNonExistentFiles();

    if (recentFiles.getNumFiles() != before)
        storeRecentFiles();
}

void UserSettings::clearRecentFiles()
{
    recentFiles.clear();
    storeRecentFiles();
}

void UserSettings::storeRecentFiles()
{
    setValue (recentFilesKey, recentFiles.toString());
}
