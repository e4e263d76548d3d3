#include "LibraryComponent.h"
#include "model/VeskPatternText.h"

namespace
{
    enum MenuItems
    {
        copyItem = 1,
        pasteItem,
        initialiseItem,
        openOtherItem,
        closeOtherItem,
        firstSwapItem = 100
    };
}

LibraryComponent::LibraryComponent (VeskSession& sessionToUse)
    : session (sessionToUse),
      model (sessionToUse.getModel())
{
    pageLookAndFeel.usePageColours();
    setLookAndFeel (&pageLookAndFeel);

    ourList.setImage (model.image);
    ourList.differsFromUnit = [this] (VeskBlock slot)
    { return unitRecords.differsFromUnit (slot); };
    ourList.isShown = [this] (VeskBlock slot)
    { return slot == session.getShownPattern(); };
    ourList.onOpen = [this] (VeskBlock slot)
    {
        if (onShowPattern != nullptr)
            onShowPattern (slot);
    };
    ourList.onMenu = [this] (VeskBlock)
    { showMenu (ourList); };
    ourList.onDrop = [this] (const juce::var& description, LibraryList* from, VeskBlock to, bool shift)
    { run (LibraryOperations::dropCommand (from != nullptr ? from->getImage() : nullptr, shift), [&]
           { return drop (description, from, to, shift); }); };
    ourList.onSelectionChanged = [this]
    {
        copySource = &ourList;
        commandsChanged();
    };
    addAndMakeVisible (ourList);

    unitRecords.onChange = [this]
    { refresh(); };

    openOtherButton.onClick = [this]
    {
        if (onOpenOtherRequested != nullptr)
            onOpenOtherRequested();
    };
    closeOtherButton.onClick = [this]
    { closeOtherLibrary(); };
    addAndMakeVisible (openOtherButton);
    addChildComponent (closeOtherButton);
}

LibraryComponent::~LibraryComponent()
{
    setLookAndFeel (nullptr);
}

void LibraryComponent::refresh()
{
    ourList.refresh();

    if (otherList != nullptr)
        otherList->refresh();
}

void LibraryComponent::commandsChanged()
{
    if (onCommandsChanged != nullptr)
        onCommandsChanged();
}

void LibraryComponent::run (const juce::String& title, const std::function<SessionResult()>& operation)
{
    const auto result = operation();

    if (result.failed() && onMessage != nullptr)
        onMessage (title, result);
}

//==============================================================================
LibraryList& LibraryComponent::getCopySource() noexcept
{
    return copySource != nullptr ? *copySource : ourList;
}

bool LibraryComponent::canCopy() const
{
    const auto& list = copySource != nullptr ? *copySource : ourList;
    const auto slots = list.getSelectedSlots();
    return ! slots.empty() && std::all_of (slots.begin(), slots.end(), [&list] (VeskBlock slot)
                                           { return list.isHeld == nullptr || list.isHeld (slot); });
}

juce::String LibraryComponent::copyText()
{
    return canCopy() ? VeskPatternText::fromSlots (getCopySource().getImage(), getCopySource().getSelectedSlots()) : juce::String();
}

SessionResult LibraryComponent::copySelected()
{
    if (! canCopy())
        return SessionResult::fail ("Select the patterns to copy first.");

    juce::SystemClipboard::copyTextToClipboard (copyText());
    return SessionResult::ok();
}

SessionResult LibraryComponent::selectWritten (const LibraryOperations::Outcome& outcome)
{
    if (! outcome.written.empty())
        ourList.selectSlots (outcome.written);

    return outcome.result;
}

SessionResult LibraryComponent::pasteFromClipboard()
{
    auto read = readClipboard;

    if (read == nullptr)
        read = [] (juce::String& text)
        {
            text = juce::SystemClipboard::getTextFromClipboard();
            return juce::Result::ok();
        };

    return selectWritten (session.getLibraryOperations().pasteFrom (read, ourList.getSelectedSlots()));
}

SessionResult LibraryComponent::paste (const juce::String& text)
{
    return selectWritten (session.getLibraryOperations().paste (text, ourList.getSelectedSlots()));
}

SessionResult LibraryComponent::swapSelectedWith (VeskBlock slot)
{
    return selectWritten (session.getLibraryOperations().swap (ourList.getSelectedSlots(), slot));
}

juce::PopupMenu LibraryComponent::swapMenu()
{
    juce::PopupMenu menu;
    const auto selected = ourList.getSelectedSlots();

    for (const auto slot : VeskBlock::patterns())
        if (selected.size() == 1 && slot != selected.front())
            menu.addItem (firstSwapItem + slot.record(), slot.name());

    return menu;
}

void LibraryComponent::chooseSwapPartner()
{
    if (! canSwap())
        return;

    auto* row = ourList.getListBox().getComponentForRowNumber (ourList.getSelectedSlots().front().record());
    juce::Component::SafePointer<LibraryComponent> safeThis (this);

    swapMenu().showMenuAsync (juce::PopupMenu::Options().withTargetComponent (row != nullptr ? row : &ourList), [safeThis] (int item)
                              {
                                  const auto slot = VeskBlock::fromRecord (item - firstSwapItem);

                                  if (safeThis != nullptr && slot.has_value())
                                      safeThis->run ("Swap With...", [&]
                                                     { return safeThis->swapSelectedWith (*slot); }); });
}

SessionResult LibraryComponent::initialiseSelected()
{
    return selectWritten (session.getLibraryOperations().initialise (ourList.getSelectedSlots()));
}

SessionResult LibraryComponent::drop (const juce::var& description, const LibraryList* from, VeskBlock to, bool shift)
{
    return selectWritten (session.getLibraryOperations().drop (description, from != nullptr ? from->getImage() : nullptr, to, shift));
}

//==============================================================================
SessionResult LibraryComponent::openOtherLibrary (const juce::File& file)
{
    auto source = std::make_unique<VeskPatternSource>();
    const auto result = VeskPatternSource::read (file, *source);

    if (result.failed())
        return SessionResult::fail (result.getErrorMessage() + "\n\nNothing was opened, and nothing was changed.");

    closeOtherLibrary();
    other = std::move (source);
    otherList = std::make_unique<LibraryList> ("otherList", true);
    otherList->setImage (other->image.data());
    otherList->setCaption (file.getFileName() + " (read-only)");
    otherList->isHeld = [this] (VeskBlock slot)
    { return other != nullptr && other->holds (slot); };
    otherList->onSelectionChanged = [this]
    {
        copySource = otherList.get();
        commandsChanged();
    };
    otherList->onMenu = [this] (VeskBlock)
    { showMenu (*otherList); };
    addAndMakeVisible (*otherList);

    const auto ourFile = model.getFile();
    ourList.setCaption (ourFile != juce::File() ? ourFile.getFileName() : juce::String ("This library"));
    closeOtherButton.setVisible (true);
    resized();
    commandsChanged();
    return SessionResult::ok();
}

void LibraryComponent::closeOtherLibrary()
{
    if (otherList == nullptr)
        return;

    copySource = &ourList;
    otherList = nullptr;
    other = nullptr;
    ourList.setCaption ({});
    closeOtherButton.setVisible (false);
    resized();
    commandsChanged();
}

//==============================================================================
void LibraryComponent::showMenu (LibraryList& list)
{
    copySource = &list;
    const bool ours = &list == &ourList;
    juce::PopupMenu menu;

    auto item = [&menu] (int id, const char* text, const char* keys, bool enabled)
    {
        juce::PopupMenu::Item entry (text);
        entry.setID (id).setEnabled (enabled);
        entry.shortcutKeyDescription = keys;
        menu.addItem (entry);
    };

    item (copyItem, "Copy", "Ctrl+C", canCopy());

    if (ours)
    {
        item (pasteItem, "Paste", "Ctrl+V", canPaste());
        menu.addSubMenu ("Swap With", swapMenu(), canSwap());
        item (initialiseItem, "Initialise", "", canInitialise());
        menu.addSeparator();
        item (openOtherItem, "Open Other Library...", "", true);
    }

    item (closeOtherItem, "Close Other Library", "", isOtherLibraryOpen());

    juce::Component::SafePointer<LibraryComponent> safeThis (this);
    menu.showMenuAsync (juce::PopupMenu::Options(), [safeThis] (int chosen)
                        {
                            if (safeThis == nullptr || chosen == 0)
                                return;

                            auto& page = *safeThis;

                            switch (chosen)
                            {
                                case copyItem: page.run ("Copy", [&] { return page.copySelected(); }); break;
                                case pasteItem: page.run ("Paste", [&] { return page.pasteFromClipboard(); }); break;
                                case initialiseItem: page.run ("Initialise", [&] { return page.initialiseSelected(); }); break;
                                case openOtherItem: page.openOtherButton.triggerClick(); break;
                                case closeOtherItem: page.closeOtherLibrary(); break;
                                default:
                                    if (const auto slot = VeskBlock::fromRecord (chosen - firstSwapItem))
                                        page.run ("Swap With...", [&] { return page.swapSelectedWith (*slot); });

                                    break;
                            } });
}

//==============================================================================
void LibraryComponent::paint (juce::Graphics& g)
{
    g.fillAll (LibraryRows::background);
}

void LibraryComponent::resized()
{
    auto area = getLocalBounds().reduced (2);
    auto buttons = area.removeFromBottom (26).reduced (2, 3);
    openOtherButton.setBounds (buttons.removeFromLeft (150));
    buttons.removeFromLeft (6);
    closeOtherButton.setBounds (buttons.removeFromLeft (140));

    if (otherList != nullptr)
    {
        otherList->setBounds (area.removeFromRight ((area.getWidth() - 4) / 2));
        area.removeFromRight (4);
    }

    ourList.setBounds (area);
}
