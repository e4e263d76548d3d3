#pragma once

#include "CollectionResults.h"
#include "LibraryRows.h"
#include "session/PatternDrag.h"

/**
    The Collection page's list: one row per pattern that matches, painted by
    the Library page's painter (LibraryRows) with the pattern's name, a star
    for a favourite and its rating. Only the
    rows on screen have components, each named "Row 1", "Row 2" ... from the
    top of the answer; their patterns are read a page at a time
    (CollectionResults).

    Rows can be selected (several at once) and dragged onto the Library page.
*/
class CollectionList : public juce::Component,
                       public juce::ListBoxModel
{
public:
    explicit CollectionList (CollectionResults& resultsToShow);
    ~CollectionList() override;

    /** The answer changed: rows painted again, the count of rows set. */
    void refresh();

    juce::ListBox& getListBox() noexcept { return listBox; }

    /** What a drag of these patterns carries, and its name ("3 patterns"). */
    static PatternDrag::Contents dragContents (const std::vector<CollectionPattern>& patterns);

    /** What a drag from the list carries: the chosen patterns. */
    std::function<std::vector<CollectionPattern>()> getDragged;

    /** A double-click or Return on a row. */
    std::function<void()> onOpen;

    /** A right-click, after the row clicked on has been selected. */
    std::function<void()> onMenu;

    /** The user changed the highlight (not refresh, nor a change made in code). */
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

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** What the row of a pattern shows: its name (with its rating), a star
        for a favourite, and its record's columns; blank while its page of
        the answer is on its way (no pattern). */
    static LibraryRows::Row rowOf (const CollectionPattern* pattern, bool selected);

private:
    CollectionResults& results;
    juce::ListBox listBox;
    bool refreshing = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionList)
};
