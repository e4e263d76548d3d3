#include "CollectionComponent.h"
#include "collection/CollectionSearchIndex.h"
#include "model/VeskPatternText.h"
#include "session/VeskSlotSteps.h"

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

    SessionResult tooMany (int count)
    {
        return SessionResult::fail (juce::String (count) + " patterns are selected, and a library holds 20 (User 01 to User 20). Nothing was changed.");
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
    { choice.takeFromList(); };
    list.getDragged = [this]
    { return choice.getPatterns(); };
    choice.onChange = [this] (bool otherPatterns)
    { chosenChanged (otherPatterns); };
    list.onOpen = [this]
    { run ("Audition", [this]
           { return audition(); }); };
    list.onMenu = [this]
    { showMenu(); };
    addAndMakeVisible (list);

    details.onEdit = [this] (CollectionDetails::Change change)
    { edit (std::move (change)); };
    details.onNote = [this] (const juce::String& text)
    { note (text); };
    addAndMakeVisible (details);

    status.setFont (juce::Font (12.0f));
    status.setColour (juce::Label::textColourId, LibraryRows::textColour);
    addAndMakeVisible (status);

    noteLine.setFont (juce::Font (12.0f));
    noteLine.setColour (juce::Label::textColourId, LibraryRows::markColour);
    noteLine.setMinimumHorizontalScale (1.0f);
    addChildComponent (noteLine);

    auditionButton.onClick = [this]
    { run ("Audition", [this]
           { return audition(); }); };
    copyToSlotButton.onClick = [this]
    { chooseSlot(); };
    similarButton.onClick = [this]
    { run ("Find Similar", [this]
           { return findSimilarOrGoBack(); }); };

    for (auto* button : { &auditionButton, &copyToSlotButton, &similarButton })
        addAndMakeVisible (button);

    collection.addListener (this);
    updateCommands();
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
    note ({});

    // A new answer starts at its top; with no words typed (the box cleared,
    // Back to Search) it shows the chosen pattern where it holds it.
    list.getListBox().getViewport()->setViewPosition (0, 0);
    const auto query = filters.getQuery();

    if (query.text.trim().isEmpty())
        choice.bringIntoView();

    results.setQuery (query);
    choice.follow();
    updateCommands();
}

void CollectionComponent::collectionChanged (juce::uint64)
{
    // Patterns added (a library opened) or edited: the rows on screen anew.
    // A chosen pattern the user could see stays in sight if the order moves it.
    if (choice.isInView())
        choice.bringIntoView();

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
    showStatus();
    choice.follow();
}

void CollectionComponent::showStatus()
{
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
    status.setTooltip (text); // in full where even a line of its own is too narrow
    resized();
}

void CollectionComponent::note (const juce::String& text)
{
    if (text == noteLine.getText() && text.isNotEmpty() == noteLine.isVisible())
        return;

    // A line of its own above the buttons, the list a row shorter while it shows.
    noteLine.setText (text, juce::dontSendNotification);
    noteLine.setTooltip (text);
    noteLine.setVisible (text.isNotEmpty());
    resized();
}

void CollectionComponent::chosenChanged (bool otherPatterns)
{
    const bool typing = details.nameEditor.hasKeyboardFocus (false) || details.tagsEditor.hasKeyboardFocus (false)
                        || details.commentEditor.hasKeyboardFocus (false);

    // Another pattern is shown at once; a newer version of the same one not
    // while its text is being typed.
    if (otherPatterns)
        note ({});

    if (otherPatterns || ! typing)
        details.show (choice.getOne());

    updateCommands();
}

void CollectionComponent::updateCommands()
{
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
                         weakThis->details.show (weakThis->choice.getOne());

                         const auto why = outcome.outcome == Outcome::badValue        ? juce::String ("it is too long, or empty where a text is needed")
                                          : outcome.outcome == Outcome::unknownPattern ? juce::String ("the pattern is no longer in the collection")
                                                                                       : outcome.problem.detail;
                         weakThis->note ("The change was not kept: " + why + "."); });
}

//==============================================================================
SessionResult CollectionComponent::chooseToCopy (PatternDrag::Contents& chosen)
{
    const auto patterns = choice.getPatterns();

    if (choice.count() > CollectionChoice::mostChosen)
        return tooMany (choice.count());

    if (patterns.empty())
        return selectFirst ("the patterns to copy");

    chosen = CollectionList::dragContents (patterns);
    return SessionResult::ok();
}

SessionResult CollectionComponent::copyToSlot (VeskBlock slot)
{
    return session.getLibraryOperations().copyToSlot (slot, [this] (PatternDrag::Contents& chosen)
                                                      { return chooseToCopy (chosen); })
        .result;
}

juce::String CollectionComponent::copyText()
{
    const auto patterns = choice.getPatterns();
    const auto slots = VeskSlotSteps::slotsFrom (*VeskBlock::user (1), patterns.size());

    if (patterns.empty() || choice.count() > CollectionChoice::mostChosen || slots.empty())
        return {};

    std::vector<juce::uint8> image ((size_t) VeskImage::imageSize);

    for (size_t i = 0; i < slots.size(); ++i)
        std::copy (patterns[i].bytes.begin(), patterns[i].bytes.end(), image.begin() + slots[i].imageOffset());

    return VeskPatternText::fromSlots (image.data(), slots);
}

SessionResult CollectionComponent::copySelected()
{
    const auto text = copyText();

    if (text.isEmpty())
        return choice.count() > 0 ? tooMany (choice.count()) : selectFirst ("the patterns to copy");

    juce::SystemClipboard::copyTextToClipboard (text);
    return SessionResult::ok();
}

juce::PopupMenu CollectionComponent::slotMenu()
{
    juce::PopupMenu menu;
    const auto count = (size_t) choice.count();

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

SessionResult CollectionComponent::chooseToAudition (PatternDrag::Contents& chosen)
{
    const auto pattern = choice.getOne();

    if (! pattern.has_value())
        return selectFirst ("the one pattern to audition");

    chosen = CollectionList::dragContents ({ *pattern });
    return SessionResult::ok();
}

SessionResult CollectionComponent::audition()
{
    return session.getLibraryOperations().audition ([this] (PatternDrag::Contents& chosen)
                                                    { return chooseToAudition (chosen); });
}

SessionResult CollectionComponent::findSimilar()
{
    const auto pattern = choice.getOne();

    if (! pattern.has_value())
        return selectFirst ("the one pattern to find similar ones to");

    similarName = pattern->name;
    similarButton.setButtonText ("Back to Search");
    note ({});
    list.getListBox().getViewport()->setViewPosition (0, 0); // the closest first
    results.showSimilar (pattern->id);
    choice.follow();
    updateCommands();
    return SessionResult::ok();
}

SessionResult CollectionComponent::findSimilarOrGoBack()
{
    if (! results.isShowingSimilar())
        return findSimilar();

    backToSearch();
    return SessionResult::ok();
}

void CollectionComponent::backToSearch()
{
    // Back where the search was, with the pattern chosen among the similar ones in sight.
    search();
    choice.bringIntoView();
}

SessionResult CollectionComponent::chooseForNewLibrary (PatternDrag::Contents& chosen)
{
    const int count = choice.count();

    if (count > VeskBlock::numPatterns - 1)
        return tooMany (count);

    const auto patterns = choice.getPatterns();

    if (patterns.empty())
        return selectFirst ("the patterns for the new library");

    chosen = CollectionList::dragContents (patterns);
    return SessionResult::ok();
}

SessionResult CollectionComponent::checkNewLibrary()
{
    return session.getLibraryOperations().checkNewLibrary ([this] (PatternDrag::Contents& chosen)
                                                           { return chooseForNewLibrary (chosen); });
}

SessionResult CollectionComponent::newLibraryFromSelection()
{
    return session.getLibraryOperations().newLibraryFrom ([this] (PatternDrag::Contents& chosen)
                                                          { return chooseForNewLibrary (chosen); });
}

//==============================================================================
void CollectionComponent::showMenu()
{
    juce::PopupMenu menu;
    const auto one = choice.getOne();
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

    // Beside the buttons where it fits ("150 patterns"); a line of its own
    // above them where it does not ("50 patterns that play like ...").
    const auto needed = status.getFont().getStringWidthFloat (status.getText()) + (float) status.getBorderSize().getLeftAndRight();
    status.setBounds (needed <= (float) buttons.getWidth() ? buttons : area.removeFromBottom (statusLineHeight).reduced (4, 0));

    if (noteLine.isVisible())
        noteLine.setBounds (area.removeFromBottom (statusLineHeight).reduced (4, 0));

    details.setBounds (area.removeFromBottom (CollectionDetails::numRows * CollectionDetails::rowHeight));
    list.setBounds (area);
}
