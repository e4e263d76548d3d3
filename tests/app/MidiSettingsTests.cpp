#include "ScopedWorkingDirectory.h"
#include "TestEnvironment.h"
#include "app/ContentComp.h"
#include "app/MidiDeviceSelectorComponent.h"
#include "app/UserSettings.h"
#include "midi/MidiSettingsFile.h"
#include "model/BoundedXml.h"
#include "model/WholeFileWriter.h"

#include <gtest/gtest.h>

namespace
{
    /** Settings saved with the unit's ports, which are not plugged in here. */
    const char* const unitUnpluggedSettings =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<DEVICESETUP audioDeviceName=\"\" defaultMidiOutput=\"Vesk Out\" defaultMidiOutputDevice=\"out-id\">\n"
        "  <MIDIINPUT name=\"Vesk In\" identifier=\"in-id\"/>\n"
        "</DEVICESETUP>\n";

    /** The same, with elements nested depth deep in all, padded with spaces to size bytes. */
    std::string nestedMidiSettings (int depth, size_t size = 0)
    {
        const std::string settings = unitUnpluggedSettings;
        const auto open = settings.substr (0, settings.find ("</DEVICESETUP>")) + juce::String::repeatedString ("<KEEP>", depth - 1).toStdString();
        const auto close = juce::String::repeatedString ("</KEEP>", depth - 1).toStdString() + "</DEVICESETUP>\n";
        return open + std::string (std::max (size, open.size() + close.size()) - open.size() - close.size(), ' ') + close;
    }

    juce::Array<juce::MidiDeviceInfo> fakePorts (const juce::String& prefix, int count)
    {
        juce::Array<juce::MidiDeviceInfo> ports;

        for (int i = 1; i <= count; ++i)
            ports.add ({ prefix + " " + juce::String (i), "fake-" + prefix + juce::String (i) });

        return ports;
    }

    MidiDeviceLists fakeLists (int inputs, int outputs)
    {
        return { [inputs]
                 { return fakePorts ("In", inputs); },
                 [outputs]
                 { return fakePorts ("Out", outputs); } };
    }

    template <typename Type>
    Type* findChild (juce::Component& parent, std::function<bool (Type&)> matches = nullptr)
    {
        for (auto* child : parent.getChildren())
            if (auto* c = dynamic_cast<Type*> (child))
                if (matches == nullptr || matches (*c))
                    return c;

        return nullptr;
    }

    struct Panel
    {
        Panel (juce::AudioDeviceManager& manager, const MidiDeviceLists& lists)
            : panel (manager, lists)
        {
            panel.setSize (500, 300);
        }

        MidiDeviceSelectorComponentListBox& list() { return *findChild<MidiDeviceSelectorComponentListBox> (panel); }
        juce::ComboBox& combo() { return *findChild<juce::ComboBox> (panel); }

        juce::Button& button (const juce::String& text)
        {
            return *findChild<juce::Button> (panel, [&] (juce::Button& b)
                                             { return b.getButtonText() == text; });
        }

        juce::Label* label (const juce::String& text)
        {
            return findChild<juce::Label> (panel, [&] (juce::Label& l)
                                           { return l.getText() == text; });
        }

        MidiDeviceSelectorComponent panel;
    };
}

//==============================================================================
TEST (MidiSettingsFile, IsTheFileInTheWorkingDirectoryOfTheMoment)
{
    ScopedWorkingDirectory first;
    EXPECT_EQ (MidiSettingsFile::getFile(), first.file ("MidiSettings.xml"));

    ScopedWorkingDirectory second;
    EXPECT_EQ (MidiSettingsFile::getFile(), second.file ("MidiSettings.xml"));
}

TEST (MidiSettingsFile, NothingChosenAndNothingReadMeansNothingWritten)
{
    for (const char* content : { "", "<NOTDEVICESETUP/>", "this is <not xml" })
    {
        SCOPED_TRACE (content);
        ScopedWorkingDirectory workingDirectory;

        if (*content != 0)
        {
            ASSERT_TRUE (MidiSettingsFile::getFile().replaceWithText (content));
        }

        juce::AudioDeviceManager manager;
        MidiSettingsFile::initialiseDeviceManager (manager);

        EXPECT_EQ (manager.getDefaultMidiOutput(), nullptr);
        EXPECT_FALSE (MidiSettingsFile::save (manager, false));

        if (*content == 0)
        {
            EXPECT_FALSE (MidiSettingsFile::getFile().exists());
        }
        else
        {
            EXPECT_EQ (MidiSettingsFile::getFile().loadFileAsString(), content) << "a file it could not use is left alone";
        }
    }
}

TEST (MidiSettingsFile, KeepsChoicesOfPortsThatAreNotPresent)
{
    ScopedWorkingDirectory workingDirectory;
    ASSERT_TRUE (MidiSettingsFile::getFile().replaceWithText (unitUnpluggedSettings));

    juce::AudioDeviceManager manager;
    MidiSettingsFile::initialiseDeviceManager (manager);
    EXPECT_EQ (manager.getDefaultMidiOutput(), nullptr) << "the unit is not connected here";

    ASSERT_TRUE (MidiSettingsFile::save (manager, false));

    const auto saved = juce::XmlDocument::parse (MidiSettingsFile::getFile());
    ASSERT_NE (saved, nullptr);
    EXPECT_TRUE (saved->hasTagName ("DEVICESETUP"));
    EXPECT_TRUE (MidiSettingsFile::getFile().loadFileAsString().startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    auto* input = saved->getChildByName ("MIDIINPUT");
    ASSERT_NE (input, nullptr);
    EXPECT_EQ (input->getStringAttribute ("name"), "Vesk In");
    EXPECT_EQ (saved->getStringAttribute ("defaultMidiOutput"), "Vesk Out");

    // Saved twice, still once.
    ASSERT_TRUE (MidiSettingsFile::save (manager, false));
    const auto again = juce::XmlDocument::parse (MidiSettingsFile::getFile());
    ASSERT_NE (again, nullptr);
    EXPECT_EQ (again->getNumChildElements(), 1);
}

TEST (MidiSettingsFile, AnOversizedOrDeeplyNestedFileIsIgnoredAndTheStartGoesOn)
{
    const std::tuple<const char*, std::string, bool> files[] = {
        { "200,000 nested elements, which crashed every start", nestedMidiSettings (200'000), false },
        { "nested a level too deep", nestedMidiSettings (BoundedXml::maxDepth + 1), false },
        { "a byte over 64 KiB", nestedMidiSettings (1, BoundedXml::maxFileSize + 1), false },
        { "just inside both bounds, with a byte-order mark as some editors write", "\xEF\xBB\xBF" + nestedMidiSettings (BoundedXml::maxDepth, BoundedXml::maxFileSize - 3), true },
        { "a link to a file that never ends (last: not every system has one)", "", false },
    };

    for (const auto& [name, content, read] : files)
    {
        SCOPED_TRACE (name);
        ScopedWorkingDirectory workingDirectory;
        const auto file = MidiSettingsFile::getFile();
        if (content.empty() && ! TestEnvironment::makesSymbolicLinks())
            GTEST_SKIP() << "no symbolic link can be made here";

        ASSERT_TRUE (content.empty() ? juce::File ("/dev/zero").createSymbolicLink (file, false) : file.replaceWithData (content.data(), content.size()));

        {
            // The whole window starts over it.
            juce::ApplicationCommandManager commandManager;
            ContentComp window (commandManager);
        }

        juce::AudioDeviceManager manager;
        MidiSettingsFile::initialiseDeviceManager (manager);
        ASSERT_EQ (MidiSettingsFile::save (manager, false), read) << "read as no file: nothing to write";

        if (! read)
        {
            EXPECT_EQ (file.getSize(), (juce::int64) content.size()) << "and left alone";
            continue;
        }

        // Read, and the unplugged unit's ports kept.
        const auto saved = juce::XmlDocument::parse (file);
        ASSERT_NE (saved, nullptr);
        EXPECT_EQ (saved->getStringAttribute ("defaultMidiOutput"), "Vesk Out");
        ASSERT_NE (saved->getChildByName ("MIDIINPUT"), nullptr);
        EXPECT_EQ (saved->getChildByName ("MIDIINPUT")->getStringAttribute ("name"), "Vesk In");
    }
}

TEST (MidiSettingsFile, SaveIsWholeOrLeavesTheFileAsItWas)
{
    ScopedWorkingDirectory workingDirectory;
    ASSERT_TRUE (MidiSettingsFile::getFile().replaceWithText (unitUnpluggedSettings));
    juce::AudioDeviceManager manager;
    MidiSettingsFile::initialiseDeviceManager (manager);
    const auto before = MidiSettingsFile::getFile().loadFileAsString();

    WholeFileWriter::setFaultsForTesting ({ 20, false, false });
    EXPECT_FALSE (MidiSettingsFile::save (manager, false));
    WholeFileWriter::setFaultsForTesting ({});
    EXPECT_EQ (MidiSettingsFile::getFile().loadFileAsString(), before);
    EXPECT_EQ (workingDirectory.directory.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1) << "no temporary file left";

    ASSERT_TRUE (MidiSettingsFile::save (manager, false));
    EXPECT_NE (MidiSettingsFile::getFile().loadFileAsString(), before);
}

//==============================================================================
TEST (MidiDeviceSelectorComponent, LaysOutTheListByItsNumberOfInputs)
{
    juce::AudioDeviceManager manager;

    const std::pair<int, int> heights[] = { { 0, 46 }, { 2, 46 }, { 3, 68 }, { 8, 178 }, { 9, 186 }, { 30, 186 } };

    for (auto [inputs, height] : heights)
    {
        SCOPED_TRACE (inputs);
        Panel p (manager, fakeLists (inputs, 1));

        EXPECT_EQ (p.list().getBounds(), juce::Rectangle<int> (175, 15, 275, height));
        EXPECT_EQ (p.combo().getBounds(), juce::Rectangle<int> (175, 15 + height + 6, 275, 24));
        EXPECT_EQ (p.button ("Midi Thru").getBounds(), juce::Rectangle<int> (175, 15 + height + 36, 275, 24));
        EXPECT_EQ (p.button ("Rescan MIDI devices").getBounds(), juce::Rectangle<int> (175, 15 + height + 66, 137, 24));
    }

    Panel empty (manager, fakeLists (0, 0));
    EXPECT_EQ (empty.combo().getY(), 67);
    EXPECT_EQ (empty.list().getRowHeight(), 22);
    EXPECT_EQ (empty.list().getOutlineThickness(), 1);
}

TEST (MidiDeviceSelectorComponent, LabelsSitLeftOfTheirControls)
{
    juce::AudioDeviceManager manager;
    Panel p (manager, fakeLists (0, 0));

    auto* inputs = p.label ("Active midi inputs:");
    auto* output = p.label ("Midi Output:");
    ASSERT_NE (inputs, nullptr);
    ASSERT_NE (output, nullptr);

    EXPECT_EQ (inputs->getName(), "lm");
    EXPECT_EQ (inputs->getJustificationType(), juce::Justification::topRight);
    EXPECT_TRUE (inputs->isVisible());
    EXPECT_LE (inputs->getRight(), p.list().getX());
    EXPECT_EQ (inputs->getY(), p.list().getY());
    EXPECT_LE (output->getRight(), p.combo().getX());
    EXPECT_EQ (output->getY(), p.combo().getY());
}

TEST (MidiDeviceSelectorComponent, OutputComboOffersNoDeviceThenEveryOutput)
{
    juce::AudioDeviceManager manager;
    Panel p (manager, fakeLists (0, 3));
    auto& combo = p.combo();

    EXPECT_EQ (combo.getNumItems(), 4);
    EXPECT_EQ (combo.getItemText (0), "<< No Midi Device >>");
    EXPECT_EQ (combo.getItemId (0), -1);

    for (int i = 1; i <= 3; ++i)
    {
        EXPECT_EQ (combo.getItemText (i), "Out " + juce::String (i));
        EXPECT_EQ (combo.getItemId (i), i);
    }

    EXPECT_EQ (combo.getSelectedId(), -1) << "no output is open";
    EXPECT_EQ (combo.getText(), "<< No Midi Device >>");
}

TEST (MidiDeviceSelectorComponent, ShowsTheEmptyTextInGreyInTheUpperHalf)
{
    juce::AudioDeviceManager manager;
    Panel p (manager, fakeLists (0, 0));
    auto& list = p.list();
    EXPECT_EQ (list.getEmptyText(), "(no midi inputs available)");

    const auto shot = list.createComponentSnapshot (list.getLocalBounds());
    auto greyPixels = [&shot] (int top, int bottom)
    {
        int count = 0;

        for (int y = top; y < bottom; ++y)
            for (int x = 2; x < shot.getWidth() - 2; ++x)
            {
                const auto c = shot.getPixelAt (x, y);

                if (c.getRed() < 200 && std::abs (c.getRed() - c.getBlue()) < 10)
                    ++count;
            }

        return count;
    };

    EXPECT_GT (greyPixels (2, shot.getHeight() / 2), 20);
    EXPECT_EQ (greyPixels (shot.getHeight() / 2 + 2, shot.getHeight() - 2), 0);
}

TEST (MidiDeviceSelectorComponent, OnlyTheTickColumnDoubleClickOrReturnFlipsAnInput)
{
    auto mouseAt = [] (juce::Component& c, int x)
    {
        auto source = juce::Desktop::getInstance().getMainMouseSource();
        const auto now = juce::Time::getCurrentTime();
        return juce::MouseEvent (source, { (float) x, 5.0f }, {}, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c,
                                 now, { (float) x, 5.0f }, now, 1, false);
    };

    // A flip goes to the device manager, which records the choice in its
    // state document even for a port that cannot be opened here.
    struct Case
    {
        const char* what;
        std::function<void (MidiDeviceSelectorComponentListBox&, juce::Component&)> act;
        bool flips;
    };

    const Case cases[] = {
        { "click right of the ticks", [&] (auto& list, auto& row)
          { list.listBoxItemClicked (1, mouseAt (row, list.getTickColumnRight() + 1)); },
          false },
        { "click in the tick column", [&] (auto& list, auto& row)
          { list.listBoxItemClicked (1, mouseAt (row, list.getTickColumnRight() - 1)); },
          true },
        { "double-click", [&] (auto& list, auto& row)
          { list.listBoxItemDoubleClicked (1, mouseAt (row, 200)); },
          true },
        { "return", [] (auto& list, auto&)
          { list.returnKeyPressed (1); },
          true },
        { "return on a row that is not there", [] (auto& list, auto&)
          { list.returnKeyPressed (7); },
          false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        juce::AudioDeviceManager manager;
        MidiDeviceSelectorComponentListBox list (manager, "none", fakeLists (2, 0));
        list.setBounds (0, 0, 275, 46);
        juce::Component row;

        c.act (list, row);
        EXPECT_EQ (manager.createStateXml() != nullptr, c.flips);
    }

    juce::AudioDeviceManager manager;
    MidiDeviceSelectorComponentListBox list (manager, "none", fakeLists (2, 0));
    juce::Component row;
    list.listBoxItemClicked (1, mouseAt (row, 200));
    EXPECT_EQ (list.getSelectedRow(), 1);
}

TEST (MidiDeviceSelectorComponent, RescanReadsTheInputsAgain)
{
    juce::AudioDeviceManager manager;
    int present = 1;
    Panel p (manager, { [&present]
                        { return fakePorts ("In", present); },
                        [&present]
                        { return fakePorts ("Out", present); } });
    EXPECT_EQ (p.list().getHeight(), 46);

    present = 3;
    EXPECT_EQ (p.list().getHeight(), 46) << "the list reads its inputs once";

    p.panel.buttonClicked (&p.button ("Rescan MIDI devices"));

    EXPECT_EQ (p.list().getHeight(), 68);
    EXPECT_EQ (p.combo().getNumItems(), 4);
    EXPECT_EQ (p.label ("Active midi inputs:")->getY(), p.list().getY()) << "the label follows the new list";
}

TEST (MidiSettingsFile, NoDeviceChosenAfterAnotherOutputIsSavedAsNoOutput)
{
    // The unit's output was saved and is unplugged now; the user picks another
    // output, then "<< No Midi Device >>", and closes the dialog.
    ScopedWorkingDirectory workingDirectory;
    ASSERT_TRUE (MidiSettingsFile::getFile().replaceWithText (unitUnpluggedSettings));

    juce::AudioDeviceManager manager;
    MidiSettingsFile::initialiseDeviceManager (manager);

    bool chosen = false;
    Panel p (manager, fakeLists (0, 2));
    p.panel.onOutputChosen = [&chosen]
    { chosen = true; };

    p.combo().setSelectedId (2, juce::sendNotificationSync);
    p.combo().setSelectedId (MidiDeviceSelectorComponent::noDeviceItemId, juce::sendNotificationSync);
    EXPECT_TRUE (chosen);

    ASSERT_TRUE (MidiSettingsFile::save (manager, chosen));
    const auto saved = juce::XmlDocument::parse (MidiSettingsFile::getFile());
    ASSERT_NE (saved, nullptr);
    EXPECT_FALSE (saved->hasAttribute ("defaultMidiOutput")) << MidiSettingsFile::getFile().loadFileAsString();
    EXPECT_NE (saved->getChildByName ("MIDIINPUT"), nullptr) << "the unplugged input is still kept";
}
