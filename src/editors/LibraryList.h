#pragma once

#include "LibraryRows.h"
#include "session/PatternDrag.h"

/**
    One library's 21 pattern slots as a list: a header of column titles, then
    one row per slot in record order ("Temporary", "User 01" ...), read from the
    image at every paint. Rows can be selected (several at once), dragged
    out, and, in a list that is not read-only, dropped on: the row a drag
    would land on is lit while it hovers.

    Each row is a component named after its slot, so tests of the whole
    program find it by name; the list handles its mouse.
*/
class LibraryList : public juce::Component,
                    public juce::ListBoxModel,
                    public juce::DragAndDropTarget
{
public:
    LibraryList (const juce::String& listName, bool isReadOnly);
    ~LibraryList() override;

    /** The records shown (a whole image), read whenever a row is painted. */
    void setImage (const juce::uint8* imageToShow);
    const juce::uint8* getImage() const noexcept { return image; }

    bool isReadOnly() const noexcept { return readOnly; }

    /** Shown above the column titles (the other library's file). */
    void setCaption (const juce::String& newCaption);

    /** Paints the rows again from the image. */
    void refresh();

    juce::ListBox& getListBox() noexcept { return listBox; }

    /** Selected slots, ascending. */
    std::vector<VeskBlock> getSelectedSlots() const;
    void selectSlots (const std::vector<VeskBlock>& slots);

    /** The slot a drag now hovering would land on, if any. */
    std::optional<VeskBlock> getDropTarget() const noexcept { return dropTarget; }

    //==============================================================================
    /** Where a row's state comes from; unset means held, not marked, not shown. */
    std::function<bool (VeskBlock slot)> isHeld, differsFromUnit, isShown;

    /** A double-click or Return on a row. */
    std::function<void (VeskBlock slot)> onOpen;

    /** A right-click on a row, after it has been selected. */
    std::function<void (VeskBlock slot)> onMenu;

    /** A drag (see PatternDrag) let go over slot to, from the list from or
        from outside (nullptr), with Shift held or not. */
    std::function<void (const juce::var& description, LibraryList* from, VeskBlock to, bool shift)> onDrop;

    std::function<void()> onSelectionChanged;

    //==============================================================================
    int getNumRows() override;
    void paintListBoxItem (int row, juce::Graphics& g, int width, int height, bool rowIsSelected) override;
    juce::Component* refreshComponentForRow (int row, bool isRowSelected, juce::Component* existing) override;
    void listBoxItemClicked (int row, const juce::MouseEvent& e) override;
    void listBoxItemDoubleClicked (int row, const juce::MouseEvent& e) override;
    void returnKeyPressed (int lastRowSelected) override;
    void selectedRowsChanged (int lastRowSelected) override;
    juce::var getDragSourceDescription (const juce::SparseSet<int>& rowsToDescribe) override;
    juce::String getTooltipForRow (int row) override;

    bool isInterestedInDragSource (const SourceDetails& details) override;
    void itemDragEnter (const SourceDetails& details) override;
    void itemDragMove (const SourceDetails& details) override;
    void itemDragExit (const SourceDetails& details) override;
    void itemDropped (const SourceDetails& details) override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** The state a row is painted in. */
    LibraryRows::State rowState (VeskBlock slot, bool selected) const;

    /** The list a drag came from, when it came from one. */
    static LibraryList* sourceOf (const SourceDetails& details);

private:
    std::optional<VeskBlock> slotAt (juce::Point<int> positionInList) const;
    void setDropTarget (std::optional<VeskBlock> slot, bool swap);

    const bool readOnly;
    const juce::uint8* image = nullptr;
    juce::String caption;
    juce::ListBox listBox;
    std::optional<VeskBlock> dropTarget;
    bool dropSwaps = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LibraryList)
};
