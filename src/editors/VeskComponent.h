#pragma once

#include "CollectionComponent.h"
#include "LibraryComponent.h"
#include "PatternsComponent.h"
#include "SystemComponent.h"
#include "midi/MyMidiInputCallback.h"

/** The tabbed editor of the main window (the pages' home, and the editor the
    receivers refresh): "Patterns", "System", "Library" and "Collection". A
    pattern dragged from the Collection page over the Library tab brings that
    page to the front, so it can be dropped on a slot. The receivers refresh
    its pages as the unit's data arrives; it listens to the session for the
    rest, and shows what an undo or redo brought back. */
class VeskComponent : public juce::TabbedComponent,
                      public juce::DragAndDropContainer,
                      public MyMidiInputCallback::Editor,
                      public VeskSession::Listener
{
public:
    explicit VeskComponent (VeskSession& sessionToUse);
    ~VeskComponent() override;

    /** The tabs in their order. The pages are known by their tab's name: a
        refresh tests it, as the name is what a person sees. */
    enum class Tab
    {
        patterns,
        system,
        library,
        collection
    };

    /** "Patterns", "System", "Library" or "Collection". */
    static juce::String nameOf (Tab tab);

    bool isCurrent (Tab tab) const { return getCurrentTabName() == nameOf (tab); }

    /** Brings the tab to the front, which reads its page again. */
    void showTab (Tab tab) { setCurrentTabIndex ((int) tab); }

    /** Re-reads the pattern page if its tab is current: everything for 0, else
        only the control bound to that controller. Sends nothing but the
        loop-control echo. */
    void refreshPatternsPage (int controllerNumber) override;

    /** Re-reads the system page if its tab is current. Sends nothing. */
    void refreshSystemPage() override;

    /** The page's own handler makes the pattern current and tells the unit. */
    void selectPattern (VeskBlock pattern) override;

    /** The Collection page, built the first time it is shown or asked for
        (it opens the collection). */
    CollectionComponent* getCollectionPage();

    /** A command of the Patterns or System page refused: its title and why,
        for the window to say. */
    std::function<void (const juce::String& title, const SessionResult& result)> onMessage;

    /** Called with the Collection page once it is built, for the window to wire. */
    std::function<void (CollectionComponent& page)> onCollectionPageBuilt;

    /** Paints the library page's rows again if its tab is current. */
    void refreshLibraryPage();

    bool isLibraryPageCurrent() const { return isCurrent (Tab::library); }

    /** A page may have missed changes while hidden, so it is read again when
        its tab comes to the front. */
    void currentTabChanged (int newCurrentTabIndex, const juce::String& newCurrentTabName) override;

    /** The library page shows what the unit sent into the library. */
    void dumpReceived (const VeskDecoder::Dump& dump, bool intoLibrary) override;
    void controllerReceived (int controllerNumber) override;

    /** The page the bytes belong to comes to the front and reads them again. */
    void libraryRestored (std::optional<VeskBlock> block) override;

    /** The pattern selector shows the pattern the session switched to. */
    void patternShown (VeskBlock pattern) override;

    /** An undo or redo may have changed records the library page shows. */
    void historyChanged() override;

    /** The system page, built the first time it is shown or asked for: until
        then its tab holds an empty place, and the start does not wait for it. */
    SystemComponent* getSystemPage();

    VeskSession& session;
    VeskModel& model;
    juce::Viewport* patternsViewport = nullptr;
    PatternsComponent* patternsPage = nullptr;
    LibraryComponent* libraryPage = nullptr;

    juce::TabBarButton* createTabButton (const juce::String& tabName, int tabIndex) override;

private:
    void tell (const juce::String& title, const SessionResult& result);

    struct LazyPage;
    class TabButton;
    LazyPage* systemTab = nullptr;
    SystemComponent* systemPage = nullptr;
    LazyPage* collectionTab = nullptr;
    CollectionComponent* collectionPage = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskComponent)
};
