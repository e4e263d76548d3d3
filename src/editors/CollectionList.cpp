#include "CollectionList.h"
#include "ListRowFace.h"

namespace
{
    juce::String ratingText (int rating)
    {
        return rating > 0 ? juce::String::repeatedString ("*", juce::jlimit (0, 5, rating)) : juce::String();
    }
}

//==============================================================================
CollectionList::CollectionList (CollectionResults& resultsToShow)
    : juce::Component ("collectionList"),
      results (resultsToShow)
{
    ListRowFace::setUpList (listBox, this, LibraryRows::rowHeight, LibraryRows::background);
    addAndMakeVisible (listBox);
}

CollectionList::~CollectionList()
{
    listBox.setModel (nullptr);
}

void CollectionList::refresh()
{
    // Rows past the new end leave the highlight here; the page marks it anew.
    const juce::ScopedValueSetter<bool> quiet (refreshing, true);
    listBox.updateContent();
    listBox.repaint();
}

PatternDrag::Contents CollectionList::dragContents (const std::vector<CollectionPattern>& patterns)
{
    PatternDrag::Contents contents;

    for (const auto& pattern : patterns)
        contents.records.push_back (pattern.bytes);

    contents.name = patterns.size() == 1 ? patterns.front().name : juce::String ((int) patterns.size()) + " patterns";
    return contents;
}

//==============================================================================
int CollectionList::getNumRows()
{
    return results.getTotal();
}

void CollectionList::paintListBoxItem (int, juce::Graphics&, int, int, bool)
{
    // Each row's own component paints it.
}

juce::Component* CollectionList::refreshComponentForRow (int row, bool isRowSelected, juce::Component* existing)
{
    if (row < 0 || row >= results.getTotal())
    {
        delete existing;
        return nullptr;
    }

    auto* face = ListRowFace::reuse (existing);
    face->show ("Row " + juce::String (row + 1), isRowSelected, [this, row] (juce::Graphics& g, int width, int height, bool selected)
                { LibraryRows::paintRow (g, rowOf (results.getRow (row), selected), width, height); });
    return face;
}

void CollectionList::listBoxItemClicked (int row, const juce::MouseEvent& e)
{
    if (e.mods.isPopupMenu() && onMenu != nullptr)
    {
        if (! listBox.isRowSelected (row))
            listBox.selectRow (row);

        onMenu();
    }
}

void CollectionList::listBoxItemDoubleClicked (int, const juce::MouseEvent&)
{
    if (onOpen != nullptr)
        onOpen();
}

void CollectionList::returnKeyPressed (int)
{
    if (onOpen != nullptr)
        onOpen();
}

void CollectionList::selectedRowsChanged (int)
{
    if (! refreshing && onSelectionChanged != nullptr)
        onSelectionChanged();
}

juce::var CollectionList::getDragSourceDescription (const juce::SparseSet<int>&)
{
    const auto patterns = getDragged != nullptr ? getDragged() : std::vector<CollectionPattern>();
    return patterns.empty() ? juce::var() : PatternDrag::describe (dragContents (patterns));
}

juce::String CollectionList::getTooltipForRow (int row)
{
    const auto* pattern = results.getRow (row);

    if (pattern == nullptr)
        return {};

    auto text = pattern->name + ": " + VeskPattern (pattern->bytes).summary();

    if (! pattern->tags.isEmpty())
        text << "\nTags: " << pattern->tags.joinIntoString (", ");

    text << "\nSeen " << pattern->seen << (pattern->seen == 1 ? " time" : " times");
    return text;
}

LibraryRows::Row CollectionList::rowOf (const CollectionPattern* pattern, bool selected)
{
    LibraryRows::Row row;
    row.layout = LibraryRows::Layout::patterns;
    row.selected = selected;

    // A row whose page is on its way stays blank for the moment it takes.
    if (pattern == nullptr)
        return row;

    const auto rating = ratingText (pattern->rating);
    row.record = pattern->bytes.data();
    row.name = rating.isEmpty() ? pattern->name : pattern->name + "  " + rating;
    row.mark = pattern->favourite ? LibraryRows::Mark::favourite : LibraryRows::Mark::none;
    row.boldName = pattern->hasOwnName;
    return row;
}

//==============================================================================
void CollectionList::paint (juce::Graphics& g)
{
    g.fillAll (LibraryRows::background);
    LibraryRows::paintHeader (g, getWidth(), LibraryRows::headerHeight, LibraryRows::Layout::patterns);
}

void CollectionList::resized()
{
    listBox.setBounds (getLocalBounds().withTrimmedTop (LibraryRows::headerHeight));
}
