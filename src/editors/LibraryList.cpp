#include "LibraryList.h"
#include "model/VeskFields.h"

/** A row's face: named after its slot, painted from the record; the list's
    row underneath takes the mouse. */
class LibraryList::Row : public juce::Component
{
public:
    explicit Row (LibraryList& listToShow) : list (listToShow)
    {
        setInterceptsMouseClicks (false, false);
        setOpaque (true);
    }

    void show (int slotToShow, bool isSelected)
    {
        if (slot != slotToShow)
            setName (VeskFields::recordName (slotToShow));

        slot = slotToShow;
        selected = isSelected;
        repaint();
    }

    void paint (juce::Graphics& g) override
    {
        if (list.image != nullptr && VeskImage::numPatternRecords > slot)
            LibraryRows::paintRow (g, list.image + VeskImage::patternRecordOffset (slot), slot, getWidth(), getHeight(),
                                   list.rowState (slot, selected));
    }

private:
    LibraryList& list;
    int slot = -1;
    bool selected = false;
};

//==============================================================================
LibraryList::LibraryList (const juce::String& listName, bool isReadOnly)
    : juce::Component (listName),
      readOnly (isReadOnly)
{
    listBox.setModel (this);
    listBox.setRowHeight (LibraryRows::rowHeight);
    listBox.setMultipleSelectionEnabled (true);
    listBox.setColour (juce::ListBox::backgroundColourId, LibraryRows::background);
    listBox.setOutlineThickness (0);
    addAndMakeVisible (listBox);
}

LibraryList::~LibraryList()
{
    listBox.setModel (nullptr);
}

void LibraryList::setImage (const juce::uint8* imageToShow)
{
    image = imageToShow;
    refresh();
}

void LibraryList::setCaption (const juce::String& newCaption)
{
    caption = newCaption;
    resized();
    repaint();
}

void LibraryList::refresh()
{
    listBox.updateContent();
    listBox.repaint();
}

std::vector<int> LibraryList::getSelectedSlots() const
{
    std::vector<int> slots;
    const auto rows = listBox.getSelectedRows();

    for (int i = 0; i < rows.size(); ++i)
        slots.push_back (rows[i]);

    return slots;
}

void LibraryList::selectSlots (const std::vector<int>& slots)
{
    juce::SparseSet<int> rows;

    for (int slot : slots)
        rows.addRange ({ slot, slot + 1 });

    listBox.setSelectedRows (rows);
}

LibraryRows::State LibraryList::rowState (int slot, bool selected) const
{
    LibraryRows::State state;
    state.selected = selected;
    state.dropTarget = slot == dropTarget;
    state.swapping = dropSwaps;
    state.held = isHeld == nullptr || isHeld (slot);
    state.differsFromUnit = differsFromUnit != nullptr && differsFromUnit (slot);
    state.shown = isShown != nullptr && isShown (slot);
    return state;
}

//==============================================================================
int LibraryList::getNumRows()
{
    return VeskImage::numPatternRecords;
}

void LibraryList::paintListBoxItem (int, juce::Graphics&, int, int, bool)
{
    // Each row's own component paints it.
}

juce::Component* LibraryList::refreshComponentForRow (int row, bool isRowSelected, juce::Component* existing)
{
    if (! juce::isPositiveAndBelow (row, getNumRows()))
    {
        delete existing;
        return nullptr;
    }

    auto* face = dynamic_cast<Row*> (existing);

    if (face == nullptr)
    {
        delete existing;
        face = new Row (*this);
    }

    face->show (row, isRowSelected);
    return face;
}

void LibraryList::listBoxItemClicked (int row, const juce::MouseEvent& e)
{
    if (e.mods.isPopupMenu() && onMenu != nullptr)
    {
        if (! listBox.isRowSelected (row))
            listBox.selectRow (row);

        onMenu (row);
    }
}

void LibraryList::listBoxItemDoubleClicked (int row, const juce::MouseEvent&)
{
    if (onOpen != nullptr)
        onOpen (row);
}

void LibraryList::returnKeyPressed (int lastRowSelected)
{
    if (onOpen != nullptr && juce::isPositiveAndBelow (lastRowSelected, getNumRows()))
        onOpen (lastRowSelected);
}

void LibraryList::selectedRowsChanged (int)
{
    if (onSelectionChanged != nullptr)
        onSelectionChanged();
}

juce::var LibraryList::getDragSourceDescription (const juce::SparseSet<int>& rowsToDescribe)
{
    juce::Array<juce::var> slots;

    for (int i = 0; i < rowsToDescribe.size(); ++i)
    {
        // A slot the file does not hold has nothing to give.
        if (isHeld != nullptr && ! isHeld (rowsToDescribe[i]))
            return {};

        slots.add (rowsToDescribe[i]);
    }

    return slots;
}

juce::String LibraryList::getTooltipForRow (int row)
{
    if (image == nullptr || ! juce::isPositiveAndBelow (row, getNumRows()) || (isHeld != nullptr && ! isHeld (row)))
        return {};

    auto text = LibraryRows::describe (image + VeskImage::patternRecordOffset (row), row);
    return differsFromUnit != nullptr && differsFromUnit (row) ? text + " (differs from the unit)" : text;
}

//==============================================================================
LibraryList* LibraryList::sourceOf (const SourceDetails& details)
{
    auto* source = details.sourceComponent.get();
    return source != nullptr ? dynamic_cast<LibraryList*> (source->getParentComponent()) : nullptr;
}

bool LibraryList::isInterestedInDragSource (const SourceDetails& details)
{
    return ! readOnly && sourceOf (details) != nullptr && details.description.isArray();
}

int LibraryList::slotAt (juce::Point<int> positionInList) const
{
    const auto inBox = positionInList - listBox.getPosition();
    return listBox.getLocalBounds().contains (inBox) ? listBox.getRowContainingPosition (inBox.x, inBox.y) : -1;
}

void LibraryList::setDropTarget (int slot, bool swap)
{
    if (slot == dropTarget && swap == dropSwaps)
        return;

    dropTarget = slot;
    dropSwaps = swap;
    refresh();
}

void LibraryList::itemDragEnter (const SourceDetails& details)
{
    itemDragMove (details);
}

void LibraryList::itemDragMove (const SourceDetails& details)
{
    const bool swap = juce::ModifierKeys::currentModifiers.isShiftDown() && sourceOf (details) == this;
    setDropTarget (slotAt (details.localPosition.toInt()), swap);
}

void LibraryList::itemDragExit (const SourceDetails&)
{
    setDropTarget (-1, false);
}

void LibraryList::itemDropped (const SourceDetails& details)
{
    const int to = slotAt (details.localPosition.toInt());
    setDropTarget (-1, false);
    auto* from = sourceOf (details);

    if (to < 0 || from == nullptr || onDrop == nullptr)
        return;

    std::vector<int> slots;

    if (auto* array = details.description.getArray())
        for (const auto& slot : *array)
            slots.push_back ((int) slot);

    onDrop (*from, slots, to, juce::ModifierKeys::currentModifiers.isShiftDown());
}

//==============================================================================
void LibraryList::paint (juce::Graphics& g)
{
    g.fillAll (LibraryRows::background);
    auto area = getLocalBounds();

    if (caption.isNotEmpty())
    {
        g.setColour (LibraryRows::textColour);
        g.setFont (juce::Font (12.0f, juce::Font::bold));
        g.drawText (caption, area.removeFromTop (LibraryRows::headerHeight).reduced (4, 0), juce::Justification::centredLeft, true);
    }

    juce::Graphics::ScopedSaveState state (g);
    g.setOrigin (area.getPosition());
    LibraryRows::paintHeader (g, area.getWidth(), LibraryRows::headerHeight);
}

void LibraryList::resized()
{
    auto area = getLocalBounds();

    if (caption.isNotEmpty())
        area.removeFromTop (LibraryRows::headerHeight);

    listBox.setBounds (area.withTrimmedTop (LibraryRows::headerHeight));
}
