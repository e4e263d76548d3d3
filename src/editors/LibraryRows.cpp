#include "LibraryRows.h"
#include "VeskText.h"
#include "model/VeskFieldTable.h"
#include "model/VeskNames.h"
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

juce::String LibraryRows::typeText (const juce::uint8* record)
{
    const auto text = VeskNames::item (VeskNames::partTypes(), record[Pattern::type]);
    return text.isNotEmpty() ? text : juce::String (record[Pattern::type]);
}

juce::String LibraryRows::tempoText (const juce::uint8* record)
{
    // A damaged tempo is marked as vesk show marks it, not shown as a speed the unit cannot play.
    const auto& tempo = VeskFieldTable::pattern (Pattern::tempoHigh, record);
    const int tenths = Pattern::tempo (record);
    return tempo.holds (tenths) ? juce::String (tenths / 10) : tempo.text (tenths);
}

juce::String LibraryRows::lengthText (const juce::uint8* record)
{
    return juce::String (record[Pattern::patternLength] + 1) + " x " + juce::String (record[Pattern::stepsPerBar] != 0 ? 16 : 12);
}

juce::String LibraryRows::soundText (const juce::uint8* record)
{
    return VeskNames::sound (record[Pattern::type], record[Pattern::toneOrKit]);
}

juce::String LibraryRows::summary (const juce::uint8* record)
{
    const bool tempoHeld = VeskFieldTable::pattern (Pattern::tempoHigh, record).holds (Pattern::tempo (record));
    auto text = typeText (record) + ", " + tempoText (record) + (tempoHeld ? " BPM, " : ", ") + lengthText (record);
    const auto sound = soundText (record);
    return sound.isEmpty() ? text : text + ", " + sound;
}

juce::String LibraryRows::describe (const juce::uint8* record, VeskBlock slot)
{
    return slot.name() + ": " + summary (record);
}

//==============================================================================
LibraryRows::Columns::Columns (int width)
{
    juce::Rectangle<int> row (0, 0, width, rowHeight);
    mark = row.removeFromLeft (12);
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

void LibraryRows::paintHeader (juce::Graphics& g, int width, int height)
{
    const Columns columns (width);
    g.setColour (headerColour);
    g.fillRect (0, 0, width, height);
    g.setColour (textColour);
    g.setFont (rowFont (true));

    auto title = [&] (juce::Rectangle<int> column, const char* text)
    {
        if (! column.isEmpty())
            VeskText::draw (g, text, column.withHeight (height), juce::Justification::centredLeft, true);
    };

    title (columns.name, "Slot");
    title (columns.type, "Type");
    title (columns.tempo, "BPM");
    title (columns.length, "Length");
    title (columns.sound, "Tone / Kit");
    title (columns.steps, "Steps");
}

void LibraryRows::paintRow (juce::Graphics& g, const juce::uint8* record, VeskBlock slot, int width, int height, State state)
{
    g.fillAll (state.dropTarget ? dropBackground : (state.selected ? selectedBackground : background));

    if (state.dropTarget && state.swapping)
    {
        // A swap takes both ways: the row is outlined as well as filled.
        g.setColour (markColour);
        g.drawRect (0, 0, width, height, 2);
    }

    const Columns columns (width);

    if (state.differsFromUnit)
    {
        const auto centre = columns.mark.toFloat().getCentre();
        juce::Path diamond;
        diamond.addTriangle (centre.x - 4.0f, centre.y, centre.x, centre.y - 4.0f, centre.x + 4.0f, centre.y);
        diamond.addTriangle (centre.x - 4.0f, centre.y, centre.x, centre.y + 4.0f, centre.x + 4.0f, centre.y);
        g.setColour (markColour);
        g.fillPath (diamond);
    }

    g.setColour (state.held ? textColour : textColour.withAlpha (0.35f));

    auto text = [&] (juce::Rectangle<int> column, const juce::String& value)
    {
        if (! column.isEmpty())
            VeskText::draw (g, value, column.withHeight (height), juce::Justification::centredLeft, true);
    };

    g.setFont (rowFont (state.shown));
    text (columns.name, slot.name());
    g.setFont (rowFont());

    // A slot a .syx file does not hold has only defaults to show.
    if (! state.held)
        return;

    text (columns.type, typeText (record));
    text (columns.tempo, tempoText (record));
    text (columns.length, lengthText (record));
    text (columns.sound, soundText (record));
    paintSteps (g, record, columns.steps.withHeight (height).reduced (0, 2));
}

void LibraryRows::paintSteps (juce::Graphics& g, const juce::uint8* record, juce::Rectangle<int> area)
{
    const int numSteps = Pattern::playedSteps (record);
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
