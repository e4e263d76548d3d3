#include "LibraryList.h"
#include "ListRowFace.h"
#include "VeskText.h"

//==============================================================================
LibraryList::LibraryList (const juce::String& listName, bool isReadOnly)
    : juce::Component (listName),
      readOnly (isReadOnly)
{
    ListRowFace::setUpList (listBox, this, LibraryRows::rowHeight, LibraryRows::background);
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

std::vector<VeskBlock> LibraryList::getSelectedSlots() const
{
    std::vector<VeskBlock> slots;
    const auto rows = listBox.getSelectedRows();

    for (int i = 0; i < rows.size(); ++i)
        if (const auto slot = VeskBlock::fromRecord (rows[i]))
            slots.push_back (*slot);

    return slots;
}

void LibraryList::selectSlots (const std::vector<VeskBlock>& slots)
{
    juce::SparseSet<int> rows;

    for (const auto slot : slots)
        rows.addRange ({ slot.record(), slot.record() + 1 });

    listBox.setSelectedRows (rows);
}

LibraryRows::State LibraryList::rowState (VeskBlock slot, bool selected) const
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
    const auto slot = VeskBlock::fromRecord (row);

    if (! slot.has_value())
    {
        delete existing;
        return nullptr;
    }

    auto* face = ListRowFace::reuse (existing);
    face->show (slot->name(), isRowSelected, [this, slot = *slot] (juce::Graphics& g, int width, int height, bool selected)
                {
                    if (image != nullptr)
                        LibraryRows::paintRow (g, LibraryRows::slotRow (image + slot.imageOffset(), slot, rowState (slot, selected)), width, height); });
    return face;
}

void LibraryList::listBoxItemClicked (int row, const juce::MouseEvent& e)
{
    const auto slot = VeskBlock::fromRecord (row);

    if (e.mods.isPopupMenu() && onMenu != nullptr && slot.has_value())
    {
        if (! listBox.isRowSelected (row))
            listBox.selectRow (row);

        onMenu (*slot);
    }
}

void LibraryList::listBoxItemDoubleClicked (int row, const juce::MouseEvent&)
{
    if (const auto slot = VeskBlock::fromRecord (row); slot.has_value() && onOpen != nullptr)
        onOpen (*slot);
}

void LibraryList::returnKeyPressed (int lastRowSelected)
{
    if (const auto slot = VeskBlock::fromRecord (lastRowSelected); slot.has_value() && onOpen != nullptr)
        onOpen (*slot);
}

void LibraryList::selectedRowsChanged (int)
{
    if (onSelectionChanged != nullptr)
        onSelectionChanged();
}

juce::var LibraryList::getDragSourceDescription (const juce::SparseSet<int>& rowsToDescribe)
{
    std::vector<VeskBlock> slots;

    for (int i = 0; i < rowsToDescribe.size(); ++i)
    {
        const auto slot = VeskBlock::fromRecord (rowsToDescribe[i]);

        // A slot the file does not hold has nothing to give.
        if (! slot.has_value() || (isHeld != nullptr && ! isHeld (*slot)))
            return {};

        slots.push_back (*slot);
    }

    return PatternDrag::describeSlots (slots);
}

juce::String LibraryList::getTooltipForRow (int row)
{
    const auto slot = VeskBlock::fromRecord (row);

    if (image == nullptr || ! slot.has_value() || (isHeld != nullptr && ! isHeld (*slot)))
        return {};

    auto text = LibraryRows::describe (image + slot->imageOffset(), *slot);
    return differsFromUnit != nullptr && differsFromUnit (*slot) ? text + " (differs from the unit)" : text;
}

//==============================================================================
LibraryList* LibraryList::sourceOf (const SourceDetails& details)
{
    auto* source = details.sourceComponent.get();
    return source != nullptr ? dynamic_cast<LibraryList*> (source->getParentComponent()) : nullptr;
}

bool LibraryList::isInterestedInDragSource (const SourceDetails& details)
{
    return ! readOnly && PatternDrag::canDrop (details.description, sourceOf (details) != nullptr);
}

std::optional<VeskBlock> LibraryList::slotAt (juce::Point<int> positionInList) const
{
    const auto inBox = positionInList - listBox.getPosition();
    return listBox.getLocalBounds().contains (inBox) ? VeskBlock::fromRecord (listBox.getRowContainingPosition (inBox.x, inBox.y)) : std::nullopt;
}

void LibraryList::setDropTarget (std::optional<VeskBlock> slot, bool swap)
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
    setDropTarget (std::nullopt, false);
}

void LibraryList::itemDropped (const SourceDetails& details)
{
    const auto to = slotAt (details.localPosition.toInt());
    setDropTarget (std::nullopt, false);

    if (to.has_value() && onDrop != nullptr)
        onDrop (details.description, sourceOf (details), *to, juce::ModifierKeys::currentModifiers.isShiftDown());
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
        VeskText::draw (g, caption, area.removeFromTop (LibraryRows::headerHeight).reduced (4, 0), juce::Justification::centredLeft, true);
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
