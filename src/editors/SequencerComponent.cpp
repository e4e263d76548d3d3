#include "SequencerComponent.h"

#include "VeskFonts.h"
#include "model/VeskFieldTable.h"
#include "model/VeskNames.h"

namespace
{
    namespace Pattern = VeskImage::Pattern;
    namespace StepType = VeskImage::StepType;

    const juce::Colour backgroundColour (0xff333333);
    const juce::Colour lineColour (0xff666666);
    const juce::Colour headerColour (0xffcc0000);
    const juce::Colour textColour (0xffcccccc);
    const juce::Colour slideColour (0xffff0000);

    constexpr int barHeight = 11;

    /** Top edge of a note's row. */
    constexpr int rowTop (int note) noexcept { return 1557 - 12 * note; }

    /** Left edge of a step's bar. */
    constexpr int stepLeft (int step) noexcept { return 33 + 32 * step; }
}

SequencerComponent::SequencerComponent (VeskSession& sessionToUse)
    : session (sessionToUse),
      model (&sessionToUse.getModel())
{
    numSteps = readNumSteps();
    partType = model->currentPattern[Pattern::type];
    buildLabels();
    setBounds (0, 0, widthForSteps (numSteps), gridHeight);

    // Found by this name where the window reports its layout: it scrolls with the page.
    setName ("grid");
}

SequencerComponent::~SequencerComponent() = default;

void SequencerComponent::updateFromPattern()
{
    numSteps = readNumSteps();

    // A step beyond the new length is not shown, so it must not stay the target of a press.
    hoverStep = juce::jmin (hoverStep, numSteps - 1);

    const int type = model->currentPattern[Pattern::type];

    if (type != partType)
    {
        partType = type;
        buildLabels();
    }

    setBounds (0, 0, widthForSteps (numSteps), gridHeight);
    repaint();
}

void SequencerComponent::revealNotes (bool onlyForAnotherPattern)
{
    const auto shown = session.getShownPattern();

    if (! isVisible() || (onlyForAnotherPattern && revealedFor == shown))
        return;

    auto* viewport = findParentComponentOfClass<juce::Viewport>();

    if (viewport == nullptr || viewport->getViewedComponent() == nullptr)
        return;

    revealedFor = shown;
    int lowest = 128, highest = -1;

    for (int s = 0; s < numSteps; ++s)
    {
        const int type = stepByte (Pattern::stepType, s);

        // Rests and ties sound no note of their own; a pattern of rests keeps the view.
        if (type == StepType::normal || type == StepType::slide || type == StepType::accent)
        {
            const int note = juce::jlimit (0, 127, stepByte (Pattern::stepNote, s));
            lowest = juce::jmin (lowest, note);
            highest = juce::jmax (highest, note);
        }
    }

    if (highest < 0)
        return;

    // Centred in the rows below the step numbers, which stay at the top of the view.
    const int middle = (rowTop (highest) + rowTop (lowest) + rowHeight) / 2;
    const int inViewed = viewport->getViewedComponent()->getLocalPoint (this, juce::Point<int> (0, middle)).y;
    const int rowsHeight = viewport->getViewHeight() - headerHeight;
    viewport->setViewPosition (viewport->getViewPositionX(), inViewed - headerHeight - rowsHeight / 2);
}

//==============================================================================
int SequencerComponent::readNumSteps() const noexcept
{
    // A record holds 32 steps; a damaged length byte must not make us read past them.
    return Pattern::playedSteps (model->currentPattern);
}

void SequencerComponent::buildLabels()
{
    if (partType != VeskImage::PartType::lead && partType != VeskImage::PartType::bass
        && partType != VeskImage::PartType::rythm)
        return;

    for (int i = 0; i < 128; ++i)
        valueLabels[(size_t) i] = juce::String (i).paddedLeft ('0', 3);

    for (int i = StepType::numTypes; i < 128; ++i)
        stepTypeLabels[(size_t) i] = juce::String (i);

    // Empty for the rhythm part, whose rows are not notes.
    for (int i = 0; i < 128; ++i)
        noteLabels[(size_t) i] = VeskNames::noteLabel (partType, i);

    if (partType == VeskImage::PartType::rythm)
    {
        // The rhythm part's own step words: closed and open, each also accented.
        for (int i = 0; i < StepType::numTypes; ++i)
            stepTypeLabels[(size_t) i] = VeskNames::item (VeskNames::rythmStepTypes(), i);

        return;
    }

    // Padded to one width so the status line does not jump as the type changes.
    for (int i = 0; i < StepType::numTypes; ++i)
        stepTypeLabels[(size_t) i] = " " + VeskNames::item (VeskNames::stepTypes(), i).paddedRight (' ', 6);
}

const juce::String& SequencerComponent::lookup (const LabelTable& table, int index) noexcept
{
    static const juce::String none;
    return juce::isPositiveAndBelow (index, (int) table.size()) ? table[(size_t) index] : none;
}

int SequencerComponent::stepByte (int field, int step) const noexcept
{
    jassert (juce::isPositiveAndBelow (step, Pattern::numSteps));
    return model->currentPattern[field + step];
}

int SequencerComponent::shownLevel (int step) const noexcept
{
    return (step == hoverStep && pendingLevel >= 0) ? pendingLevel : stepByte (Pattern::stepLevel, step);
}

int SequencerComponent::shownGate (int step) const noexcept
{
    return (step == hoverStep && pendingGate >= 0) ? pendingGate : stepByte (Pattern::stepGate, step);
}

int SequencerComponent::barWidth (int step) const noexcept
{
    int tied = 0;

    while (step + tied + 1 < numSteps && stepByte (Pattern::stepType, step + tied + 1) == StepType::tie)
        ++tied;

    // A tied bar runs through the tied columns and ends by the last one's gate.
    if (tied > 0)
        return stepWidth * tied + shownGate (step + tied) * stepWidth / 100 - 1;

    if (stepByte (Pattern::stepType, step) == StepType::slide)
        return stepWidth - 1;

    return shownGate (step) * stepWidth / 100 - 1;
}

juce::String SequencerComponent::getStatusText() const
{
    const bool dragging = pendingLevel >= 0;
    const int level = dragging ? pendingLevel : stepByte (Pattern::stepLevel, hoverStep);
    const int gate = dragging ? pendingGate : stepByte (Pattern::stepGate, hoverStep);

    return getNoteLabel (stepByte (Pattern::stepNote, hoverStep))
           + getStepTypeLabel (stepByte (Pattern::stepType, hoverStep))
           + " | Velocity " + getValueLabel (level)
           + " | Gate time " + getValueLabel (gate);
}

juce::Rectangle<int> SequencerComponent::getVisibleBox() const
{
    auto box = getLocalBounds();

    for (auto* parent = getParentComponent(); parent != nullptr; parent = parent->getParentComponent())
        box = box.getIntersection (getLocalArea (parent, parent->getLocalBounds()));

    return box.isEmpty() ? juce::Rectangle<int>() : box;
}

//==============================================================================
void SequencerComponent::storeStepAndSend (int field, int step, int value)
{
    session.edit (VeskField::step (field, step), VeskFieldTable::pattern (field, model->currentPattern).stored (value));
}

void SequencerComponent::mouseMove (const juce::MouseEvent& e)
{
    // Integer division truncates toward zero, so the header band still picks the top row
    // and the name column the first step.
    const int note = juce::jlimit (0, 127, 127 - (e.y - headerHeight) / rowHeight);

    // Limited to the steps shown: the right border must not edit a step past the pattern's end.
    const int step = juce::jlimit (0, numSteps - 1, (e.x - nameWidth) / stepWidth);

    if (note != hoverNote || step != hoverStep)
    {
        hoverNote = note;
        hoverStep = step;
        repaint();
    }
}

void SequencerComponent::mouseDown (const juce::MouseEvent&)
{
    // The note placed and the velocity and gate dragged are one undo step.
    session.beginGesture();
    storeStepAndSend (Pattern::stepNote, hoverStep, hoverNote);
    repaint();
}

void SequencerComponent::mouseDrag (const juce::MouseEvent& e)
{
    // Always from the stored values, so only the total distance from the press counts.
    // What each would store, so the bar shown is the one that stays.
    const auto* record = model->currentPattern;
    pendingLevel = VeskFieldTable::pattern (Pattern::stepLevel, record).stored (stepByte (Pattern::stepLevel, hoverStep) - e.getDistanceFromDragStartY());
    pendingGate = VeskFieldTable::pattern (Pattern::stepGate, record).stored (stepByte (Pattern::stepGate, hoverStep) + e.getDistanceFromDragStartX());
    repaint();
}

void SequencerComponent::mouseUp (const juce::MouseEvent&)
{
    if (pendingLevel >= 0)
        storeStepAndSend (Pattern::stepLevel, hoverStep, pendingLevel);

    if (pendingGate >= 0)
        storeStepAndSend (Pattern::stepGate, hoverStep, pendingGate);

    pendingLevel = -1;
    pendingGate = -1;
    session.endGesture();
    repaint();
}

void SequencerComponent::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    // Not passed on: over the grid the wheel edits and does not scroll the page.
    if (wheel.deltaY == 0.0f)
        return;

    const int stored = stepByte (Pattern::stepType, hoverStep);
    storeStepAndSend (Pattern::stepType, hoverStep, wheel.deltaY > 0.0f ? stored + 1 : stored - 1);
    repaint();
}

void SequencerComponent::resized()
{
    // The owning editor takes its size from ours while the grid is shown.
    if (auto* parent = getParentComponent())
        parent->resized();
}

//==============================================================================
void SequencerComponent::paint (juce::Graphics& g)
{
    const auto box = getVisibleBox();
    const int x = box.getX(), y = box.getY(), w = box.getWidth(), h = box.getHeight();

    g.setColour (backgroundColour);
    g.fillRect (x, y, w, h);

    // Grid lines only where they can be seen: the grid is far larger than the view.
    g.setColour (lineColour);

    for (int yl = 44; yl < gridHeight - 1; yl += rowHeight)
        if (y + headerHeight <= yl && yl <= y + h)
            g.drawHorizontalLine (yl, (float) (x + nameWidth), (float) (x + w));

    for (int i = 1; i < numSteps; ++i)
    {
        const int xl = nameWidth + stepWidth * i;

        if (x + nameWidth <= xl && xl <= x + w)
            g.drawVerticalLine (xl, (float) (y + headerHeight), (float) (y + h));
    }

    paintBars (g);

    g.setColour (textColour);
    g.setFont (VeskFonts::monospaced (12.0f, true));
    g.drawSingleLineText (getStatusText(), x + 34, y + 14);

    paintHeaders (g, box);
}

void SequencerComponent::paintBars (juce::Graphics& g) const
{
    int lastNotTied = 0;

    for (int s = 0; s < numSteps; ++s)
    {
        const int type = stepByte (Pattern::stepType, s);
        const int barX = stepLeft (s);
        const int barY = rowTop (stepByte (Pattern::stepNote, s));
        const auto c = (juce::uint32) (127 - juce::jlimit (0, 127, shownLevel (s)));
        const juce::Rectangle<int> bar (barX, barY, barWidth (s), barHeight);

        const juce::Colour fill (0xffffff00 + c);
        const juce::Colour outline (0xff7f7f00 + c);

        switch (type)
        {
            case StepType::normal:
            case StepType::slide:
                g.setColour (fill);
                g.fillRect (bar);
                g.setColour (outline);
                g.drawRect (bar);

                if (type == StepType::slide)
                    paintSlideArrow (g, s, barY);

                break;

            case StepType::rest:
                g.setColour (outline);
                g.drawRect (bar);
                break;

            case StepType::accent:
                g.setColour (fill);
                g.fillRect (bar);
                g.setColour (juce::Colour (0xffff0000 + c));
                g.drawRect (bar);
                break;

            case StepType::tie:
                // A slide held over ties draws its arrow on through each tied column.
                if (stepByte (Pattern::stepType, lastNotTied) == StepType::slide)
                    paintSlideArrow (g, s, rowTop (stepByte (Pattern::stepNote, lastNotTied)));

                break;

            default:
                break;
        }

        if (type != StepType::tie)
            lastNotTied = s;
    }
}

void SequencerComponent::paintSlideArrow (juce::Graphics& g, int step, int arrowY) const
{
    const int next = (step + 1) % numSteps;
    const int nextType = stepByte (Pattern::stepType, next);
    const int startX = stepLeft (step) + 16;
    const int startY = arrowY + 6;

    // Into a rest or a tie there is no new note to slide to, so the arrow stays level.
    const int endY = (nextType == StepType::rest || nextType == StepType::tie) ? startY
                                                                               : rowTop (stepByte (Pattern::stepNote, next));

    g.setColour (slideColour);
    g.drawArrow ({ (float) startX, (float) startY, (float) (startX + 16), (float) endY }, 2.0f, 8.0f, 8.0f);
}

void SequencerComponent::paintHeaders (juce::Graphics& g, juce::Rectangle<int> box) const
{
    const int x = box.getX(), y = box.getY(), w = box.getWidth(), h = box.getHeight();
    const auto right = (float) (x + w);

    g.setColour (headerColour);
    g.fillRect (x, y + headerHeight, nameWidth, h - headerHeight);
    g.fillRect (x + nameWidth, y + 20, w - nameWidth, 12);

    g.setFont (VeskFonts::monospaced (10.0f, true));
    g.setColour (textColour);

    for (int n = 127; n >= 0; --n)
    {
        const int baseline = 42 + rowHeight * (127 - n);

        if (baseline < y + headerHeight || baseline > y + h)
            continue;

        if (n == hoverNote)
        {
            g.setColour (juce::Colours::white);
            g.fillRect (x, baseline - 10, nameWidth, 12);
            g.setColour (juce::Colours::black);
            g.drawSingleLineText (getNoteLabel (n), x + 4, baseline);
            g.setColour (textColour);
        }
        else
        {
            g.drawSingleLineText (getNoteLabel (n), x + 4, baseline);
        }
    }

    for (int i = 0; i < numSteps; ++i)
    {
        const int tx = 44 + stepWidth * i;

        if (tx < x + nameWidth || tx > x + w)
            continue;

        if (i == hoverStep)
        {
            g.setColour (juce::Colours::white);
            g.fillRect (tx - 12, y + 20, stepWidth, 12);
            g.setColour (juce::Colours::black);
            g.drawSingleLineText (juce::String (i + 1), tx, y + 30);
            g.setColour (textColour);
        }
        else
        {
            g.drawSingleLineText (juce::String (i + 1), tx, y + 30);
        }
    }

    g.setColour (lineColour);

    for (int yl = 44; yl <= gridHeight - 1; yl += rowHeight)
        if (y + headerHeight <= yl && yl <= y + h)
            g.drawHorizontalLine (yl, (float) x, (float) (x + nameWidth));

    for (int i = 1; i <= numSteps; ++i)
    {
        const int xl = nameWidth + stepWidth * i;

        if (x + nameWidth <= xl && xl <= x + w)
            g.drawVerticalLine (xl, (float) (y + 20), (float) (y + headerHeight));
    }

    g.drawHorizontalLine (y + 20, (float) (x + nameWidth), right);

    g.drawVerticalLine (x + nameWidth, (float) (y + 20), (float) (y + h));
    g.drawVerticalLine (getWidth() - 1, (float) (y + 20), (float) (y + h));
    g.drawHorizontalLine (y + headerHeight, (float) x, right);
    g.drawHorizontalLine (getHeight() - 1, (float) x, right);

    g.setColour (headerColour);
    g.fillRect (x, y + 20, nameWidth, 12);
}
