#pragma once

#include "session/VeskSession.h"

#include <array>
#include <optional>

/**
    The step grid of a pattern: one column per step, one row per note.

    A press places the hovered step's note, a drag changes its velocity (up) and
    gate time (right), the wheel turns its step type. Every edit is stored into
    the model's currentPattern through the session and sent at once; the component keeps no copy of
    the pattern and reads it afresh each time.

    The grid is taller than any window and is seen through a viewport, so paint
    works in the visible part only and keeps the status line, the step numbers
    and the note names at its top and left edges.
*/
class SequencerComponent : public juce::Component
{
public:
    explicit SequencerComponent (VeskSession& session);
    ~SequencerComponent() override;

    /** Re-reads the pattern: step count, size and, when the part type changed,
        the labels. The view stays where it is. */
    void updateFromPattern();

    //==============================================================================
    void mouseMove (const juce::MouseEvent& e) override;
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    //==============================================================================
    int getNumSteps() const noexcept { return numSteps; }
    int getHoverNote() const noexcept { return hoverNote; }
    int getHoverStep() const noexcept { return hoverStep; }
    int getPendingLevel() const noexcept { return pendingLevel; }
    int getPendingGate() const noexcept { return pendingGate; }

    /** Label of a stored byte; empty for a byte the table has no entry for. */
    const juce::String& getNoteLabel (int note) const noexcept { return lookup (noteLabels, note); }
    const juce::String& getValueLabel (int value) const noexcept { return lookup (valueLabels, value); }
    const juce::String& getStepTypeLabel (int type) const noexcept { return lookup (stepTypeLabels, type); }

    /** What the status line says about the hovered step (pending values while dragging). */
    juce::String getStatusText() const;

    /** Scrolls the enclosing viewport so the shown pattern's notes are in view,
        unless the grid is hidden or, when asked, it did so for this pattern already. */
    void revealNotes (bool onlyForAnotherPattern);

    /** The part of the grid that the parents leave visible, in grid coordinates. */
    juce::Rectangle<int> getVisibleBox() const;

    //==============================================================================
    static constexpr int headerHeight = 32;
    static constexpr int nameWidth = 32;
    static constexpr int stepWidth = 32;
    static constexpr int rowHeight = 12;
    static constexpr int gridHeight = headerHeight + 128 * rowHeight + 1; // 1569

    static constexpr int widthForSteps (int steps) noexcept { return steps * stepWidth + nameWidth + 1; }

private:
    using LabelTable = std::array<juce::String, 128>;

    static const juce::String& lookup (const LabelTable& table, int index) noexcept;

    int readNumSteps() const noexcept;
    void buildLabels();
    int stepByte (int field, int step) const noexcept;
    int shownLevel (int step) const noexcept;
    int shownGate (int step) const noexcept;
    int barWidth (int step) const noexcept;

    void paintBars (juce::Graphics& g) const;
    void paintSlideArrow (juce::Graphics& g, int step, int arrowY) const;
    void paintHeaders (juce::Graphics& g, juce::Rectangle<int> box) const;

    void storeStepAndSend (int field, int step, int value);

    //==============================================================================
    VeskSession& session;
    VeskModel* model;
    int partType = -1;
    LabelTable noteLabels;
    LabelTable valueLabels;
    LabelTable stepTypeLabels;
    int numSteps = 16;
    int hoverNote = 0;
    int hoverStep = 0;
    int pendingLevel = -1;
    int pendingGate = -1;
    std::optional<VeskBlock> revealedFor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SequencerComponent)
};
