#include "LibraryComponent.h"
#include "model/VeskPatternSlots.h"
#include "model/VeskPatternText.h"
#include "session/VeskSlotSteps.h"

namespace
{
    using Record = VeskPattern::Record;

    Record recordOf (const juce::uint8* image, VeskBlock slot)
    {
        Record record;
        const auto* start = image + slot.imageOffset();
        std::copy (start, start + VeskImage::patternSize, record.begin());
        return record;
    }

    juce::String slotsName (const std::vector<VeskBlock>& slots)
    {
        return slots.size() == 1 ? slots.front().name() : juce::String ((int) slots.size()) + " slots";
    }

    SessionResult refusedPaste (const juce::String& why)
    {
        return SessionResult::fail ("The clipboard holds no patterns that can be pasted: " + why
                                    + ".\n\nCopy patterns on the Library page (here or in another VeskEdit) first. Nothing was changed.");
    }

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
    ourList.onDrop = [this] (LibraryList& from, const std::vector<VeskBlock>& slots, VeskBlock to, bool swap)
    { run (swap ? "Swap" : "Copy", [&]
           { return drop (from, slots, to, swap); }); };
    ourList.onDropRecords = [this] (const PatternDrag::Contents& dropped, VeskBlock to)
    { run ("Copy", [&]
           { return dropRecords (dropped, to); }); };
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

SessionResult LibraryComponent::checkCanPaste() const
{
    if (session.isBusy())
        return session.refusalWhileBusy ("Paste");

    if (ourList.getSelectedSlots().empty())
        return SessionResult::fail ("Select the slot to paste onto first.");

    return SessionResult::ok();
}

SessionResult LibraryComponent::pasteFromClipboard()
{
    // Nothing is asked of the clipboard's owner for a paste that cannot happen.
    if (const auto can = checkCanPaste(); can.failed())
        return can;

    juce::String text;

    if (readClipboard == nullptr)
        text = juce::SystemClipboard::getTextFromClipboard();
    else if (const auto read = readClipboard (text); read.failed())
        return refusedPaste (read.getErrorMessage());

    return paste (text);
}

SessionResult LibraryComponent::paste (const juce::String& text)
{
    if (const auto can = checkCanPaste(); can.failed())
        return can;

    const auto selected = ourList.getSelectedSlots();
    std::vector<VeskPatternText::Record> pasted;
    const auto parsed = VeskPatternText::parse (text, pasted);

    if (parsed.failed())
        return refusedPaste (parsed.getErrorMessage());

    // One pattern goes onto every selected slot; several onto the slots from the first selected on.
    const auto targets = pasted.size() == 1 ? selected : VeskSlotSteps::slotsFrom (selected.front(), pasted.size());

    if (targets.empty())
        return VeskSlotSteps::pastTheEnd (pasted.size(), selected.front());

    std::vector<Record> records;

    for (size_t i = 0; i < targets.size(); ++i)
        records.push_back (pasted[pasted.size() == 1 ? 0 : i].bytes);

    return putRecords ("Paste onto " + slotsName (targets), records, targets);
}

SessionResult LibraryComponent::putRecords (const juce::String& name, const std::vector<Record>& records, const std::vector<VeskBlock>& targets)
{
    const auto result = VeskSlotSteps::put (session, name, records, targets);

    if (result.wasOk())
        ourList.selectSlots (targets);

    return result;
}

SessionResult LibraryComponent::swapSelectedWith (VeskBlock slot)
{
    if (session.isBusy())
        return session.refusalWhileBusy ("Swap With...");

    if (! canSwap())
        return SessionResult::fail ("Select the one slot to swap first.");

    const auto selected = ourList.getSelectedSlots().front();

    if (selected == slot)
        return SessionResult::ok();

    const auto result = VeskSlotSteps::swap (session, selected, slot);

    if (result.wasOk())
        ourList.selectSlots ({ slot });

    return result;
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
    if (session.isBusy())
        return session.refusalWhileBusy ("Initialise");

    const auto slots = ourList.getSelectedSlots();

    if (slots.empty())
        return SessionResult::fail ("Select the slots to initialise first.");

    if (slots.size() == 1)
        return VeskSlotSteps::initialise (session, slots.front());

    auto* image = model.image;
    return session.changeRecords ("Initialise " + slotsName (slots), slots, [image, slots]
                                  {
                                      for (const auto slot : slots)
                                          VeskPatternSlots::initialise (image, slot); });
}

SessionResult LibraryComponent::drop (const LibraryList& from, const std::vector<VeskBlock>& slots, VeskBlock to, bool swap)
{
    if (slots.empty() || ! to.isPattern())
        return SessionResult::ok();

    if (session.isBusy())
        return session.refusalWhileBusy (swap ? "Swap" : "Copy");

    const bool fromOurs = &from == &ourList;

    if (swap && fromOurs)
    {
        if (slots.size() != 1)
            return SessionResult::fail ("Shift swaps one pattern at a time: drag a single row.");

        if (slots.front() == to)
            return SessionResult::ok();

        const auto result = VeskSlotSteps::swap (session, slots.front(), to);

        if (result.wasOk())
            ourList.selectSlots ({ to });

        return result;
    }

    SessionResult result = SessionResult::ok();

    if (slots.size() == 1)
    {
        if (fromOurs && slots.front() == to)
            return result;

        result = fromOurs ? VeskSlotSteps::copy (session, slots.front(), to)
                          : VeskSlotSteps::copyFrom (session, from.getImage(), slots.front(), to);

        if (result.wasOk())
            ourList.selectSlots ({ to });

        return result;
    }

    const auto targets = VeskSlotSteps::slotsFrom (to, slots.size());

    if (targets.empty())
        return VeskSlotSteps::pastTheEnd (slots.size(), to);

    std::vector<Record> records;

    for (const auto slot : slots)
        records.push_back (recordOf (from.getImage(), slot));

    return putRecords ("Copy " + slotsName (slots) + " to " + to.name(), records, targets);
}

SessionResult LibraryComponent::dropRecords (const PatternDrag::Contents& dropped, VeskBlock to)
{
    if (dropped.records.empty() || ! to.isPattern())
        return SessionResult::ok();

    if (session.isBusy())
        return session.refusalWhileBusy ("Copy");

    const auto targets = VeskSlotSteps::slotsFrom (to, dropped.records.size());

    if (targets.empty())
        return VeskSlotSteps::pastTheEnd (dropped.records.size(), to);

    return putRecords ("Copy " + dropped.name + " to " + to.name(), dropped.records, targets);
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
