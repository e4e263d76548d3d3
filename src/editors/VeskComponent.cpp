#include "VeskComponent.h"

/** A tab's place for a page built when it is first needed; it owns the page. */
struct VeskComponent::LazyPage : public juce::Component
{
    void resized() override
    {
        if (page != nullptr)
            page->setBounds (getLocalBounds());
    }

    std::unique_ptr<juce::Component> page;
};

/** A tab that comes to the front while patterns are dragged over it. */
class VeskComponent::TabButton : public juce::TabBarButton,
                                 public juce::DragAndDropTarget
{
public:
    using juce::TabBarButton::TabBarButton;

    bool isInterestedInDragSource (const SourceDetails& details) override { return PatternDrag::isPatternDrag (details.description); }

    void itemDragEnter (const SourceDetails&) override
    {
        if (! isFrontTab())
            getTabbedButtonBar().setCurrentTabIndex (getIndex());
    }

    void itemDropped (const SourceDetails&) override {}

    /** The library's tab in the tab's own colour; with four tabs and a light one
        among them, the colour cannot say which is current, so the current tab's
        name is bold under a bar in its contrasting colour and the others' names
        are dimmed. */
    void paintButton (juce::Graphics& g, bool isMouseOver, bool isMouseDown) override
    {
        auto& lf = getLookAndFeel();
        const auto area = getActiveArea();

        juce::Path shape;
        lf.createTabButtonShape (*this, shape, isMouseOver, isMouseDown);
        shape.applyTransform (juce::AffineTransform::translation ((float) area.getX(), (float) area.getY()));
        juce::DropShadow (juce::Colours::black.withAlpha (0.5f), 2, { 0, 1 }).drawForPath (g, shape);
        lf.fillTabButtonShape (*this, g, shape, isMouseOver, isMouseDown);

        const auto front = isFrontTab();
        const auto ink = getTabBackgroundColour().contrasting();
        const auto textArea = getTextArea();
        const auto depth = (float) textArea.getHeight();

        if (front)
        {
            // Along the tab's flat edge, clear of its slanted sides.
            const auto inset = lf.getTabButtonOverlap ((int) depth) + 1;
            g.setColour (ink);
            g.fillRect (area.getX() + inset, area.getY() + 1, area.getWidth() - 2 * inset, 3);
        }

        auto font = lf.getTabButtonFont (*this, depth);
        font.setBold (front);
        font.setUnderline (hasKeyboardFocus (false));
        g.setFont (font);
        g.setColour (ink.withMultipliedAlpha (front ? 1.0f : (isMouseOver ? 0.75f : 0.5f)));
        g.drawFittedText (getButtonText().trim(), textArea, juce::Justification::centred, 1);
    }
};

VeskComponent::VeskComponent (VeskSession& sessionToUse)
    : juce::TabbedComponent (juce::TabbedButtonBar::TabsAtTop),
      session (sessionToUse),
      model (sessionToUse.getModel())
{
    patternsViewport = new juce::Viewport ("viewport");
    addTab (nameOf (Tab::patterns), juce::Colour (0xFF666666), patternsViewport, true);

    patternsPage = new PatternsComponent (session);
    patternsPage->onMessage = [this] (const juce::String& title, const SessionResult& result)
    { tell (title, result); };
    patternsViewport->setViewedComponent (patternsPage, true);

    systemTab = new LazyPage();
    addTab (nameOf (Tab::system), juce::Colour (0xFFF0FFFF), systemTab, true);

    libraryPage = new LibraryComponent (session);
    addTab (nameOf (Tab::library), juce::Colour (0xFF666666), libraryPage, true);

    collectionTab = new LazyPage();
    addTab (nameOf (Tab::collection), juce::Colour (0xFF666666), collectionTab, true);

    // A double-click on a slot shows it as the pattern selector would.
    libraryPage->onShowPattern = [this] (VeskBlock slot)
    {
        session.showPattern (slot);
        showTab (Tab::patterns);
    };

    session.addListener (this);
    session.setEditor (this);
}

juce::String VeskComponent::nameOf (Tab tab)
{
    switch (tab)
    {
        case Tab::patterns: return "Patterns";
        case Tab::system: return "System";
        case Tab::library: return "Library";
        case Tab::collection: return "Collection";
    }

    return {};
}

VeskComponent::~VeskComponent()
{
    session.setEditor (nullptr);
    session.removeListener (this);

    // The tabs delete their pages; nothing may refresh a page from here on.
    patternsPage = nullptr;
    systemPage = nullptr;
    libraryPage = nullptr;
    collectionPage = nullptr;
    clearTabs();
}

void VeskComponent::tell (const juce::String& title, const SessionResult& result)
{
    if (onMessage != nullptr)
        onMessage (title, result);
}

SystemComponent* VeskComponent::getSystemPage()
{
    if (systemPage == nullptr)
    {
        auto page = std::make_unique<SystemComponent> (session);
        systemPage = page.get();
        systemPage->onMessage = [this] (const juce::String& title, const SessionResult& result)
        { tell (title, result); };
        systemTab->addAndMakeVisible (systemPage);

        // Its text boxes were made with the default look before the page had a
        // parent; a page in the window when it came on screen was told then.
        systemPage->sendLookAndFeelChange();
        systemTab->page = std::move (page);
        systemTab->resized();
    }

    return systemPage;
}

CollectionComponent* VeskComponent::getCollectionPage()
{
    if (collectionPage == nullptr)
    {
        auto page = std::make_unique<CollectionComponent> (session, session.getCollection());
        collectionPage = page.get();
        collectionTab->addAndMakeVisible (collectionPage);
        collectionPage->sendLookAndFeelChange();
        collectionTab->page = std::move (page);
        collectionTab->resized();

        if (onCollectionPageBuilt != nullptr)
            onCollectionPageBuilt (*collectionPage);
    }

    return collectionPage;
}

juce::TabBarButton* VeskComponent::createTabButton (const juce::String& tabName, int tabIndex)
{
    juce::ignoreUnused (tabIndex);
    return std::make_unique<TabButton> (tabName, getTabbedButtonBar()).release();
}

void VeskComponent::refreshPatternsPage (int controllerNumber)
{
    if (patternsPage != nullptr && isCurrent (Tab::patterns))
        patternsPage->updateFromPattern (controllerNumber);
}

void VeskComponent::refreshSystemPage()
{
    if (systemPage != nullptr && isCurrent (Tab::system))
        systemPage->updateFromSystemBlock();
}

void VeskComponent::refreshLibraryPage()
{
    if (libraryPage != nullptr && isLibraryPageCurrent())
        libraryPage->refresh();
}

void VeskComponent::currentTabChanged (int newCurrentTabIndex, const juce::String&)
{
    switch ((Tab) newCurrentTabIndex)
    {
        case Tab::patterns: refreshPatternsPage (0); break;
        case Tab::system:
            getSystemPage();
            refreshSystemPage();
            break;
        case Tab::collection: getCollectionPage(); break;
        case Tab::library:
        default: refreshLibraryPage(); break;
    }
}

void VeskComponent::dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary)
{
    if (intoLibrary && dump.applied())
        refreshLibraryPage();
}

void VeskComponent::controllerReceived (int)
{
    refreshLibraryPage();
}

void VeskComponent::selectPattern (VeskBlock pattern)
{
    if (patternsPage != nullptr)
        patternsPage->patternsCombo->setSelectedItemIndex (pattern.selectorIndex(), juce::sendNotificationAsync);
}

void VeskComponent::libraryRestored (std::optional<VeskBlock> block)
{
    if (! block.has_value())
    {
        refreshSystemPage();
        refreshPatternsPage (0);
        refreshLibraryPage();
        return;
    }

    const bool system = block->isSystem();
    const auto page = system ? Tab::system : Tab::patterns;

    // Choosing the tab reads the page; a page already in front reads it here.
    if (! isCurrent (page))
        showTab (page);
    else if (system)
        refreshSystemPage();
    else
        refreshPatternsPage (0);
}

void VeskComponent::historyChanged()
{
    refreshLibraryPage();
}

void VeskComponent::patternShown (VeskBlock pattern)
{
    refreshLibraryPage();

    if (patternsPage == nullptr || patternsPage->patternsCombo->getSelectedItemIndex() == pattern.selectorIndex())
        return;

    patternsPage->patternsCombo->setSelectedItemIndex (pattern.selectorIndex(), juce::dontSendNotification);
    refreshPatternsPage (0);
}
