#include "CollectionList.h"
#include "ListRowFace.h"
#include "VeskText.h"

namespace
{
    juce::Font collectionRowFont (bool bold = false) { return juce::Font (12.0f, bold ? juce::Font::bold : juce::Font::plain); }

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
                { paintRow (g, results.getRow (row), width, height, selected); });
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

    auto text = pattern->name + ": " + LibraryRows::summary (pattern->bytes.data());

    if (! pattern->tags.isEmpty())
        text << "\nTags: " << pattern->tags.joinIntoString (", ");

    text << "\nSeen " << pattern->seen << (pattern->seen == 1 ? " time" : " times");
    return text;
}

//==============================================================================
CollectionList::Columns::Columns (int width)
{
    juce::Rectangle<int> row (0, 0, width, LibraryRows::rowHeight);
    star = row.removeFromLeft (12);
    steps = row.removeFromRight (32 * 3 + 6).reduced (3, 0);
    length = row.removeFromRight (44);
    tempo = row.removeFromRight (32);
    type = row.removeFromRight (46);
    name = row.reduced (2, 0);
}

void CollectionList::paintHeader (juce::Graphics& g, int width, int height)
{
    const Columns columns (width);
    g.setColour (LibraryRows::headerColour);
    g.fillRect (0, 0, width, height);
    g.setColour (LibraryRows::textColour);
    g.setFont (collectionRowFont (true));

    auto title = [&] (juce::Rectangle<int> column, const char* text)
    { VeskText::draw (g, text, column.withHeight (height), juce::Justification::centredLeft, true); };

    title (columns.name, "Name");
    title (columns.type, "Type");
    title (columns.tempo, "BPM");
    title (columns.length, "Length");
    title (columns.steps, "Steps");
}

void CollectionList::paintRow (juce::Graphics& g, const CollectionPattern* pattern, int width, int height, bool selected)
{
    g.fillAll (selected ? LibraryRows::selectedBackground : LibraryRows::background);

    // A row whose page is on its way stays blank for the moment it takes.
    if (pattern == nullptr)
        return;

    const Columns columns (width);
    const auto* record = pattern->bytes.data();

    auto text = [&] (juce::Rectangle<int> column, const juce::String& value)
    { VeskText::draw (g, value, column.withHeight (height), juce::Justification::centredLeft, true); };

    if (pattern->favourite)
    {
        juce::Path star;
        const auto centre = columns.star.toFloat().getCentre();
        star.addStar (centre, 5, 2.0f, 5.0f);
        g.setColour (LibraryRows::markColour);
        g.fillPath (star);
    }

    g.setColour (LibraryRows::textColour);
    g.setFont (collectionRowFont (pattern->hasOwnName));
    const auto rating = ratingText (pattern->rating);
    text (columns.name, rating.isEmpty() ? pattern->name : pattern->name + "  " + rating);
    g.setFont (collectionRowFont());
    text (columns.type, LibraryRows::typeText (record));
    text (columns.tempo, LibraryRows::tempoText (record));
    text (columns.length, LibraryRows::lengthText (record));
    LibraryRows::paintSteps (g, record, columns.steps.withHeight (height).reduced (0, 2));
}

//==============================================================================
void CollectionList::paint (juce::Graphics& g)
{
    g.fillAll (LibraryRows::background);
    paintHeader (g, getWidth(), LibraryRows::headerHeight);
}

void CollectionList::resized()
{
    listBox.setBounds (getLocalBounds().withTrimmedTop (LibraryRows::headerHeight));
}
