#pragma once

// The main window's content with a library open, and the alert windows it asks with.

#include "Deadline.h"
#include "EditorTestSupport.h"
#include "ScopedWorkingDirectory.h"
#include "app/ContentComp.h"
#include "editors/VariationsComponent.h"
#include "model/VeskImage.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskSyxFile.h"
#include "model/WholeFileWriter.h"

#include <gtest/gtest.h>

// Outside an anonymous namespace: the test files that share it are compiled apart.
using Image = std::vector<juce::uint8>;

/** The modal windows open now, the newest last. */
inline std::vector<juce::Component*> modalWindows()
{
    std::vector<juce::Component*> windows;
    auto& manager = *juce::ModalComponentManager::getInstance();

    for (int i = manager.getNumModalComponents(); --i >= 0;)
        windows.push_back (manager.getModalComponent (i));

    return windows;
}

inline juce::AlertWindow* openAlert (const juce::String& title)
{
    dispatchPendingMessages();

    for (auto* window : modalWindows())
        if (auto* alert = dynamic_cast<juce::AlertWindow*> (window); alert != nullptr && alert->getName() == title)
            return alert;

    return nullptr;
}

inline juce::AlertWindow* openQuestion() { return openAlert ("Closing document..."); }

struct UnsavedChangesTest : ::testing::Test
{
    UnsavedChangesTest()
    {
        commandManager.registerAllCommandsForTarget (&content);
        commandManager.setFirstCommandTarget (&content);
        content.setSize (446, 470);
        dispatchPendingMessages();
    }

    ~UnsavedChangesTest() override
    {
        // Whatever a test left open (a file chooser, a message) goes first.
        for (auto* window : modalWindows())
            window->exitModalState (0);

        dispatchPendingMessages();
    }

    /** Clicks the question's button with this text. */
    void answer (const juce::String& buttonText)
    {
        auto* question = openQuestion();
        ASSERT_NE (question, nullptr) << "no question to answer with " << buttonText;

        for (auto* child : question->getChildren())
        {
            if (auto* button = dynamic_cast<juce::TextButton*> (child); button != nullptr && button->getButtonText() == buttonText)
            {
                button->triggerClick();
                dispatchPendingMessages();
                return;
            }
        }

        FAIL() << "the question has no button " << buttonText;
    }

    bool perform (juce::CommandID id) { return content.perform (juce::ApplicationCommandTarget::InvocationInfo (id)); }

    Image image() { return { model.image, model.image + VeskImage::imageSize }; }

    /** A library on disk with this master tune byte, opened and then edited. */
    void openEditedLibrary (const juce::File& file)
    {
        ASSERT_TRUE (model.writeLibrary (file));
        ASSERT_TRUE (model.loadFrom (file, false).wasOk());
        model.setMasterTune (430.0);
        ASSERT_TRUE (model.hasChangedSinceSaved());
    }

    ScopedWorkingDirectory workingDirectory;
    juce::ApplicationCommandManager commandManager;
    ContentComp content { commandManager };
    VeskModel& model { content.getModel() };
};
