#include "LibraryRows.h"
#include "VeskText.h"
#include "model/VeskStepTypes.h"

namespace
{
    namespace Pattern = VeskImage::Pattern;

    juce::Font rowFont (bool bold = false) { return juce::Font (12.0f, bold ? juce::Font::bold : juce::Font::plain); }

    /** The grid's colours for a velocity: loud steps pure yellow, quiet ones pale. */
    juce::Colour stepFill (int level) { return juce::Colour (0xFFFFFF00 + (juce::uint32) (127 - juce::jlimit (0, 127, level))); }
}

const juce::Colour LibraryRows::background (0xFF333333);
const juce::Colour LibraryRows::selectedBackground (0xFF666666);
const juce::Colour LibraryRows::dropBackground (0xFFCC0000);
const juce::Colour LibraryRows::textColour (0xFFCCCCCC);
const juce::Colour LibraryRows::headerColour (0xFF990000);
const juce::Colour LibraryRows::markColour (0xFFFFFF00);

juce::String LibraryRows::describe (const juce::uint8* record, VeskBlock slot)
{
    return slot.name() + ": " + VeskPattern (record).summary();
}

//==============================================================================
LibraryRows::Columns::Columns (int width, Layout layout)
{
    juce::Rectangle<int> row (0, 0, width, rowHeight);
    mark = row.removeFromLeft (12);

    if (layout == Layout::patterns)
    {
        steps = row.removeFromRight (32 * 3 + 6).reduced (3, 0);
        length = row.removeFromRight (44);
        tempo = row.removeFromRight (32);
        type = row.removeFromRight (46);
        name = row.reduced (2, 0);
        return;
    }

    name = row.removeFromLeft (68);
    type = row.removeFromLeft (46);

    // The steps take what is left in a narrow list (the other library's,
    // beside ours); a full-width one has room for every column.
    if (width < 380)
    {
        steps = row.reduced (2, 0);
        return;
    }

    tempo = row.removeFromLeft (32);
    length = row.removeFromLeft (44);
    steps = row.removeFromRight (32 * 3 + 6).reduced (3, 0);
    sound = row.reduced (2, 0);
}

void LibraryRows::paintHeader (juce::Graphics& g, int width, int height, Layout layout)
{
    const Columns columns (width, layout);
    g.setColour (headerColour);
    g.fillRect (0, 0, width, height);
    g.setColour (textColour);
    g.setFont (rowFont (true));

    auto title = [&] (juce::Rectangle<int> column, const char* text)
    {
        if (! column.isEmpty())
            VeskText::draw (g, text, column.withHeight (height), juce::Justification::centredLeft, true);
    };

    title (columns.name, layout == Layout::slots ? "Slot" : "Name");
    title (columns.type, "Type");
    title (columns.tempo, "BPM");
    title (columns.length, "Length");
    title (columns.sound, "Tone / Kit");
    title (columns.steps, "Steps");
}

LibraryRows::Row LibraryRows::slotRow (const juce::uint8* record, VeskBlock slot, State state)
{
    Row row;
    // A slot a .syx file does not hold has only defaults to show.
    row.record = state.held ? record : nullptr;
    row.name = slot.name();
    row.mark = state.differsFromUnit ? Mark::differsFromUnit : Mark::none;
    row.boldName = state.shown;
    row.greyed = ! state.held;
    row.selected = state.selected;
    row.dropTarget = state.dropTarget;
    row.swapping = state.swapping;
    return row;
}

void LibraryRows::paintRow (juce::Graphics& g, const Row& row, int width, int height)
{
    g.fillAll (row.dropTarget ? dropBackground : (row.selected ? selectedBackground : background));

    if (row.dropTarget && row.swapping)
    {
        // A swap takes both ways: the row is outlined as well as filled.
        g.setColour (markColour);
        g.drawRect (0, 0, width, height, 2);
    }

    const Columns columns (width, row.layout);
    const auto centre = columns.mark.toFloat().getCentre();

    if (row.mark != Mark::none)
    {
        juce::Path mark;

        if (row.mark == Mark::favourite)
        {
            mark.addStar (centre, 5, 2.0f, 5.0f);
        }
        else
        {
            mark.addTriangle (centre.x - 4.0f, centre.y, centre.x, centre.y - 4.0f, centre.x + 4.0f, centre.y);
            mark.addTriangle (centre.x - 4.0f, centre.y, centre.x, centre.y + 4.0f, centre.x + 4.0f, centre.y);
        }

        g.setColour (markColour);
        g.fillPath (mark);
    }

    g.setColour (row.greyed ? textColour.withAlpha (0.35f) : textColour);

    auto text = [&] (juce::Rectangle<int> column, const juce::String& value)
    {
        if (! column.isEmpty())
            VeskText::draw (g, value, column.withHeight (height), juce::Justification::centredLeft, true);
    };

    g.setFont (rowFont (row.boldName));
    text (columns.name, row.name);
    g.setFont (rowFont());

    if (row.record == nullptr)
        return;

    const VeskPattern pattern (row.record);
    text (columns.type, pattern.typeName());
    text (columns.tempo, pattern.tempoText());
    text (columns.length, pattern.lengthText());
    text (columns.sound, pattern.soundText());
    paintSteps (g, row.record, columns.steps.withHeight (height).reduced (0, 2));
}

void LibraryRows::paintSteps (juce::Graphics& g, const juce::uint8* record, juce::Rectangle<int> area)
{
    const int numSteps = VeskPattern (record).playedSteps();
    const int cell = juce::jmax (2, area.getWidth() / Pattern::numSteps);
    const int bar = cell > 2 ? cell - 1 : cell;
    const int partType = record[Pattern::type];
    const auto type = [record] (int s)
    { return (int) record[Pattern::stepType + s]; };
    const auto sounds = [partType] (int t)
    { return VeskStepTypes::starts (partType, t); };
    const auto note = [record] (int s)
    { return (int) record[Pattern::stepNote + s]; };

    // The pattern's own range of notes, so a bass line in one octave still reads as a line.
    int lowest = 127, highest = 0;

    for (int s = 0; s < numSteps; ++s)
    {
        if (sounds (type (s)))
        {
            lowest = juce::jmin (lowest, note (s));
            highest = juce::jmax (highest, note (s));
        }
    }

    g.setColour (selectedBackground.brighter (0.2f));
    g.fillRect (area.getX(), area.getBottom() - 1, juce::jmin (area.getWidth(), cell * numSteps), 1);

    const int tallest = area.getHeight() - 1;
    int holding = -1; // the sounding step a tie holds on

    for (int s = 0; s < numSteps && (s + 1) * cell <= area.getWidth(); ++s)
    {
        const int t = type (s);
        const bool holds = VeskStepTypes::holds (partType, t);

        if (! holds)
            holding = sounds (t) ? s : -1;

        if (holding < 0)
            continue;

        const int span = highest - lowest;
        const int height = span > 0 ? tallest / 3 + (tallest - tallest / 3) * (note (holding) - lowest) / span : (tallest * 2) / 3;
        g.setColour (stepFill (record[Pattern::stepLevel + holding]));
        g.fillRect (area.getX() + s * cell, area.getBottom() - 1 - height, holds ? cell : bar, height);
    }
}
