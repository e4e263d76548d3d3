#include "CollectionComponent.h"
#include "collection/CollectionSearchIndex.h"

namespace
{
    enum CollectionMenuItems
    {
        auditionItem = 1,
        similarItem,
        newLibraryItem,
        favouriteItem,
        firstSlotItem = 100
    };

    SessionResult selectFirst (const juce::String& what)
    {
        return SessionResult::fail ("Select " + what + " in the collection first.");
    }
}

CollectionComponent::CollectionComponent (VeskSession& sessionToUse, Collection& collectionToUse)
    : session (sessionToUse),
      collection (collectionToUse)
{
    pageLookAndFeel.usePageColours();
    setLookAndFeel (&pageLookAndFeel);

    filters.onChange = [this]
    { search(); };
    addAndMakeVisible (filters);

    results.onChange = [this]
    { answerArrived(); };
    list.onSelectionChanged = [this]
    { selectionChanged(); };
    list.onOpen = [this]
    { run ("Audition", [this]
           { return audition(); }); };
    list.onMenu = [this]
    { showMenu(); };
    addAndMakeVisible (list);

    details.onEdit = [this] (CollectionDetails::Change change)
    { edit (std::move (change)); };
    addAndMakeVisible (details);

    status.setFont (juce::Font (12.0f));
    status.setColour (juce::Label::textColourId, LibraryRows::textColour);
    addAndMakeVisible (status);

    auditionButton.onClick = [this]
    { run ("Audition", [this]
           { return audition(); }); };
    copyToSlotButton.onClick = [this]
    { chooseSlot(); };
    similarButton.onClick = [this]
    {
        if (results.isShowingSimilar())
            backToSearch();
        else
            run ("Find Similar", [this]
                 { return findSimilar(); });
    };

    for (auto* button : { &auditionButton, &copyToSlotButton, &similarButton })
        addAndMakeVisible (button);

    collection.addListener (this);
    selectionChanged();
    search();
    readTags();
}

CollectionComponent::~CollectionComponent()
{
    collection.removeListener (this);
    setLookAndFeel (nullptr);
}

void CollectionComponent::search()
{
    similarName.clear();
    similarButton.setButtonText ("Find Similar");
    results.setQuery (filters.getQuery());
}

void CollectionComponent::collectionChanged (juce::uint64)
{
    // Patterns added (a library opened) or edited: the rows on screen anew.
    results.reload();
    readTags();
}

void CollectionComponent::readTags()
{
    juce::WeakReference<CollectionComponent> weakThis (this);
    collection.read<juce::StringArray> ([] (CollectionStore& store)
                                        { return store.allTags(); },
                                        [weakThis] (juce::StringArray tags)
                                        {
                                            if (weakThis != nullptr)
                                                weakThis->filters.setTags (tags); });
}

void CollectionComponent::answerArrived()
{
    list.refresh();

    juce::String text;

    if (results.getProblem().failed())
        text = "The collection could not be searched: " + results.getProblem().detail;
    else if (results.isShowingSimilar())
        text = juce::String (results.getTotal()) + " patterns that play like " + similarName;
    else
        text = juce::String (results.getTotal()) + (results.getTotal() == 1 ? " pattern" : " patterns");

    if (! results.getProblem().failed() && ! results.isShowingSimilar() && CollectionSearchIndex::words (results.getQuery().text).cut)
        text << " (" << CollectionSearchIndex::cutMessage() << ")";

    status.setText (text, juce::dontSendNotification);
    status.setTooltip (text); // in full where the label is too narrow

    // The details follow the selected row once its new version is read.
    if (const auto pattern = list.getSelectedPattern(); pattern.has_value() && pattern->id == details.getShownId())
        if (! details.nameEditor.hasKeyboardFocus (false) && ! details.tagsEditor.hasKeyboardFocus (false)
            && ! details.commentEditor.hasKeyboardFocus (false))
            details.show (pattern);
}

void CollectionComponent::selectionChanged()
{
    details.show (list.getSelectedPattern());
    const bool any = hasSelection();
    auditionButton.setEnabled (hasOneSelected());
    copyToSlotButton.setEnabled (any);
    similarButton.setEnabled (results.isShowingSimilar() || hasOneSelected());

    if (onCommandsChanged != nullptr)
        onCommandsChanged();
}

void CollectionComponent::run (const juce::String& title, const std::function<SessionResult()>& operation)
{
    const auto result = operation();

    if (result.failed() && onMessage != nullptr)
        onMessage (title, result);
}

void CollectionComponent::edit (CollectionDetails::Change change)
{
    juce::WeakReference<CollectionComponent> weakThis (this);
    collection.edit (std::move (change), [weakThis] (const CollectionEdit& outcome)
                     {
                         using Outcome = CollectionEdit::Outcome;

                         if (weakThis == nullptr || outcome.outcome == Outcome::changed || outcome.outcome == Outcome::unchanged)
                             return;

                         // What was typed is not what the collection holds: show what it does.
                         weakThis->details.show (weakThis->list.getSelectedPattern());

                         if (weakThis->onMessage == nullptr)
                             return;

                         const auto why = outcome.outcome == Outcome::badValue        ? juce::String ("it is too long, or empty where a text is needed")
                                          : outcome.outcome == Outcome::unknownPattern ? juce::String ("the pattern is no longer in the collection")
                                                                                       : outcome.problem.detail;
                         weakThis->onMessage ("Collection", SessionResult::fail ("The change was not kept: " + why + ".")); });
}

//==============================================================================
SessionResult CollectionComponent::copyToSlot (VeskBlock slot)
{
    if (session.isBusy())
        return session.refusalWhileBusy ("Copy to Slot...");

    const auto patterns = list.getSelectedPatterns();

    if (patterns.empty())
        return selectFirst ("the patterns to copy");

    const auto contents = CollectionList::dragContents (patterns);
    return VeskSlotSteps::putFrom (session, "Copy " + contents.name + " to " + slot.name(), contents.records, slot);
}

juce::PopupMenu CollectionComponent::slotMenu()
{
    juce::PopupMenu menu;
    const auto count = list.getSelectedPatterns().size();

    for (const auto slot : VeskBlock::patterns())
        menu.addItem (firstSlotItem + slot.record(), slot.name(), count > 0 && ! VeskSlotSteps::slotsFrom (slot, count).empty());

    return menu;
}

void CollectionComponent::chooseSlot()
{
    juce::WeakReference<CollectionComponent> weakThis (this);
    slotMenu().showMenuAsync (juce::PopupMenu::Options().withTargetComponent (&copyToSlotButton), [weakThis] (int item)
                              {
                                  if (const auto slot = VeskBlock::fromRecord (item - firstSlotItem); weakThis != nullptr && slot.has_value())
                                      weakThis->run ("Copy to Slot...", [&]
                                                     { return weakThis->copyToSlot (*slot); }); });
}

SessionResult CollectionComponent::audition()
{
    if (session.isBusy())
        return session.refusalWhileBusy ("Audition");

    const auto pattern = list.getSelectedPattern();

    if (! pattern.has_value())
        return selectFirst ("the one pattern to audition");

    // The temporary pattern is what the unit plays as it is edited.
    session.showPattern (VeskBlock::temporary());
    return session.editShownPattern ("Audition " + pattern->name, pattern->bytes.data());
}

SessionResult CollectionComponent::findSimilar()
{
    const auto pattern = list.getSelectedPattern();

    if (! pattern.has_value())
        return selectFirst ("the one pattern to find similar ones to");

    similarName = pattern->name;
    similarButton.setButtonText ("Back to Search");
    list.getListBox().deselectAllRows();
    results.showSimilar (pattern->id);
    return SessionResult::ok();
}

void CollectionComponent::backToSearch()
{
    search();
}

SessionResult CollectionComponent::checkNewLibrary()
{
    if (session.isBusy())
        return session.refusalWhileBusy ("New Library from Selection");

    const auto count = list.getSelectedPatterns().size();

    if (count == 0)
        return selectFirst ("the patterns for the new library");

    if (count > (size_t) (VeskBlock::numPatterns - 1))
        return SessionResult::fail (juce::String ((int) count) + " patterns are selected, and a library holds 20 (User 01 to User 20). Nothing was changed.");

    return SessionResult::ok();
}

SessionResult CollectionComponent::newLibraryFromSelection()
{
    if (const auto can = checkNewLibrary(); can.failed())
        return can;

    const auto contents = CollectionList::dragContents (list.getSelectedPatterns());
    session.newLibrary();
    return VeskSlotSteps::putFrom (session, "New Library from Selection", contents.records, *VeskBlock::user (1));
}

//==============================================================================
void CollectionComponent::showMenu()
{
    juce::PopupMenu menu;
    const auto one = list.getSelectedPattern();
    menu.addItem (auditionItem, "Audition", one.has_value());
    menu.addSubMenu ("Copy to Slot", slotMenu(), hasSelection());
    menu.addItem (similarItem, "Find Similar", one.has_value());
    menu.addSeparator();
    menu.addItem (favouriteItem, "Favourite", one.has_value(), one.has_value() && one->favourite);
    menu.addItem (newLibraryItem, "New Library from Selection", hasSelection());

    juce::WeakReference<CollectionComponent> weakThis (this);
    menu.showMenuAsync (juce::PopupMenu::Options(), [weakThis] (int chosen)
                        {
                            if (weakThis == nullptr || chosen == 0)
                                return;

                            auto& page = *weakThis;

                            switch (chosen)
                            {
                                case auditionItem: page.run ("Audition", [&] { return page.audition(); }); break;
                                case similarItem: page.run ("Find Similar", [&] { return page.findSimilar(); }); break;
                                case favouriteItem: page.details.favouriteButton.triggerClick(); break;
                                case newLibraryItem:
                                    if (page.onNewLibraryRequested != nullptr)
                                        page.onNewLibraryRequested();

                                    break;
                                default:
                                    if (const auto slot = VeskBlock::fromRecord (chosen - firstSlotItem))
                                        page.run ("Copy to Slot...", [&] { return page.copyToSlot (*slot); });

                                    break;
                            } });
}

//==============================================================================
void CollectionComponent::paint (juce::Graphics& g)
{
    g.fillAll (LibraryRows::background);
}

void CollectionComponent::resized()
{
    auto area = getLocalBounds().reduced (2);
    filters.setBounds (area.removeFromTop (CollectionFilters::numRows * CollectionFilters::rowHeight));

    auto buttons = area.removeFromBottom (26).reduced (2, 3);
    auditionButton.setBounds (buttons.removeFromLeft (80));
    buttons.removeFromLeft (6);
    copyToSlotButton.setBounds (buttons.removeFromLeft (110));
    buttons.removeFromLeft (6);
    similarButton.setBounds (buttons.removeFromLeft (110));
    buttons.removeFromLeft (6);
    status.setBounds (buttons);

    details.setBounds (area.removeFromBottom (CollectionDetails::numRows * CollectionDetails::rowHeight));
    list.setBounds (area);
}
