#include "EditorTestSupport.h"
#include "RecordingMidiOut.h"
#include "editors/SequencerComponent.h"

#include <gtest/gtest.h>
#include <tuple>

namespace
{
    namespace Pattern = VeskImage::Pattern;
    namespace StepType = VeskImage::StepType;

    constexpr juce::uint32 background = 0xff333333, line = 0xff666666, header = 0xffcc0000;
    constexpr juce::uint32 white = 0xffffffff, red = 0xffff0000;

    /** A one-byte data set to the temporary pattern, as the unit expects it. */
    std::string dataSet (int a2, int a3, int value)
    {
        const int checksum = (128 - (1 + a2 + a3 + value) % 128) % 128;
        return RecordingMidiOut::hex ({ 0xf0, 0x41, 0x10, 0x00, 0x4f, 0x12, 0x01, 0x00, (juce::uint8) a2,
                                        (juce::uint8) a3, (juce::uint8) value, (juce::uint8) checksum, 0xf7 });
    }

    juce::MouseEvent mouseEvent (juce::Component& c, juce::Point<int> at, juce::Point<int> downAt)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), at.toFloat(), {}, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, now, downAt.toFloat(), now, 1, at != downAt };
    }

    juce::uint32 argb (const juce::Image& image, int x, int y) { return image.getPixelAt (x, y).getARGB(); }

    /** A red line over whatever lies below it: red well above green and blue. */
    bool reddish (const juce::Image& image, int x, int y)
    {
        const auto c = image.getPixelAt (x, y);
        return c.getRed() > 180 && c.getGreen() < 110 && c.getBlue() < 110;
    }

    struct Sequencer : ::testing::Test
    {
        Sequencer()
        {
            setLength (0, 1); // one bar of 16
            grid = std::make_unique<SequencerComponent> (session);
            out.clear();
        }

        juce::uint8& at (int field, int step) { return model.currentPattern[field + step]; }

        void setLength (int patternLength, int stepsPerBar)
        {
            model.currentPattern[Pattern::patternLength] = (juce::uint8) patternLength;
            model.currentPattern[Pattern::stepsPerBar] = (juce::uint8) stepsPerBar;
        }

        void setStep (int s, int type, int note, int level = 127, int gate = 100)
        {
            at (Pattern::stepType, s) = (juce::uint8) type;
            at (Pattern::stepNote, s) = (juce::uint8) note;
            at (Pattern::stepLevel, s) = (juce::uint8) level;
            at (Pattern::stepGate, s) = (juce::uint8) gate;
        }

        void move (int x, int y) { grid->mouseMove (mouseEvent (*grid, { x, y }, { x, y })); }

        /** Hover, press, drag by (dx, dy) and release. */
        void drag (int x, int y, int dx, int dy)
        {
            move (x, y);
            grid->mouseDown (mouseEvent (*grid, { x, y }, { x, y }));
            grid->mouseDrag (mouseEvent (*grid, { x + dx, y + dy }, { x, y }));
            grid->mouseUp (mouseEvent (*grid, { x + dx, y + dy }, { x, y }));
        }

        void wheel (float deltaY)
        {
            juce::MouseWheelDetails details {};
            details.deltaY = deltaY;
            grid->mouseWheelMove (mouseEvent (*grid, { 100, 100 }, { 100, 100 }), details);
        }

        juce::Image snapshot() { return grid->createComponentSnapshot (grid->getLocalBounds(), true, 1.0f); }

        static int barX (int s) { return 33 + 32 * s; }
        static int rowY (int note) { return 1557 - 12 * note; }

        RecordingMidiOut out;
        VirtualClock clock;
        VeskSession session { VeskSession::Options::headless (clock, out) };
        VeskModel& model = session.getModel();
        std::unique_ptr<SequencerComponent> grid;
    };
}

//==============================================================================
TEST_F (Sequencer, SizesItselfToThePatternAndTellsItsParent)
{
    struct Parent : juce::Component
    {
        void resized() override { childWidths.push_back (getNumChildComponents() > 0 ? getChildComponent (0)->getWidth() : 0); }
        std::vector<int> childWidths;
    } parent;

    EXPECT_EQ (grid->getBounds(), juce::Rectangle<int> (0, 0, 545, 1569));
    parent.addAndMakeVisible (*grid);

    for (auto [length, perBar, width] : { std::tuple (0, 0, 417), std::tuple (1, 0, 801), std::tuple (1, 1, 1057),
                                          std::tuple (127, 1, 1057) /* damaged: still 32 steps at most */ })
    {
        setLength (length, perBar);
        grid->updateFromPattern();
        EXPECT_EQ (grid->getWidth(), width);
        EXPECT_EQ (grid->getHeight(), 1569);
        EXPECT_EQ (parent.childWidths.back(), width);
    }

    EXPECT_EQ (grid->getNumSteps(), 32);
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (Sequencer, LabelsFollowThePartTypeAndNeverReadOutsideTheirTables)
{
    EXPECT_EQ (grid->getNoteLabel (0), "C -1");
    EXPECT_EQ (grid->getNoteLabel (36), "C  2");
    EXPECT_EQ (grid->getValueLabel (127), "127");
    EXPECT_EQ (grid->getStepTypeLabel (0), " Normal");
    EXPECT_EQ (grid->getStepTypeLabel (1), " Tie   ");
    EXPECT_EQ (grid->getStepTypeLabel (4), " Accent");
    EXPECT_EQ (grid->getStepTypeLabel (127), "127");

    for (int outside : { -1, 128, 255 })
    {
        EXPECT_TRUE (grid->getNoteLabel (outside).isEmpty());
        EXPECT_TRUE (grid->getValueLabel (outside).isEmpty());
        EXPECT_TRUE (grid->getStepTypeLabel (outside).isEmpty());
    }

    model.currentPattern[Pattern::type] = VeskImage::PartType::bass;
    grid->updateFromPattern();
    EXPECT_EQ (grid->getNoteLabel (36), "C -1");

    // Line In has no labels of its own: the grid keeps what it had.
    model.currentPattern[Pattern::type] = VeskImage::PartType::lineIn;
    grid->updateFromPattern();
    EXPECT_EQ (grid->getNoteLabel (36), "C -1");

    model.currentPattern[Pattern::type] = VeskImage::PartType::rythm;
    grid->updateFromPattern();
    EXPECT_TRUE (grid->getNoteLabel (36).isEmpty());
    EXPECT_EQ (grid->getStepTypeLabel (3), "OA");
    EXPECT_EQ (grid->getStepTypeLabel (4), "  ");
    EXPECT_EQ (grid->getStatusText(), "C  | Velocity 064 | Gate time 080");
}

TEST_F (Sequencer, HitTestPixelRules)
{
    for (int y = 0; y <= 43; ++y)
    {
        move (100, y);
        ASSERT_EQ (grid->getHoverNote(), 127) << "y " << y;
    }

    for (int n : { 126, 64, 1 })
    {
        move (100, 1556 - 12 * n);
        EXPECT_EQ (grid->getHoverNote(), n);
        move (100, 1567 - 12 * n);
        EXPECT_EQ (grid->getHoverNote(), n);
    }

    for (int y = 1556; y <= 1568; ++y)
    {
        move (100, y);
        ASSERT_EQ (grid->getHoverNote(), 0) << "y " << y;
    }

    for (int x = 0; x <= 63; ++x)
    {
        move (x, 500);
        ASSERT_EQ (grid->getHoverStep(), 0) << "x " << x;
    }

    move (64, 500);
    EXPECT_EQ (grid->getHoverStep(), 1);

    // The right border belongs to the last step shown, not to a hidden step past the end.
    move (32 + 32 * 16, 500);
    EXPECT_EQ (grid->getHoverStep(), 15);
    grid->mouseDown (mouseEvent (*grid, { 544, 500 }, { 544, 500 }));
    EXPECT_EQ (out.last(), dataSet (0, 31 + 15, 88));

    setLength (1, 1);
    grid->updateFromPattern();
    move (32 + 32 * 32, 500);
    EXPECT_EQ (grid->getHoverStep(), 31);

    // A pattern cut shorter leaves no hidden step under the mouse.
    setLength (0, 0);
    grid->updateFromPattern();
    EXPECT_EQ (grid->getHoverStep(), 11);
}

TEST_F (Sequencer, PressPlacesTheNoteAndDragCommitsVelocityThenGate)
{
    move (33 + 32 * 2, rowY (72));
    grid->mouseDown (mouseEvent (*grid, { 97, rowY (72) }, { 97, rowY (72) }));
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), "F0 41 10 00 4F 12 01 00 00 21 48 16 F7");
    EXPECT_EQ (at (Pattern::stepNote, 2), 72);

    // A plain click sends only the note.
    grid->mouseUp (mouseEvent (*grid, { 97, rowY (72) }, { 97, rowY (72) }));
    EXPECT_EQ (out.messages.size(), 1u);
    out.clear();

    // Up raises the velocity, right lengthens the gate; both shown before anything is stored.
    move (200, 300);
    const int step = grid->getHoverStep(), note = grid->getHoverNote();
    grid->mouseDown (mouseEvent (*grid, { 200, 300 }, { 200, 300 }));
    grid->mouseDrag (mouseEvent (*grid, { 260, 100 }, { 200, 300 }));
    grid->mouseDrag (mouseEvent (*grid, { 210, 290 }, { 200, 300 }));
    EXPECT_EQ (grid->getPendingLevel(), 74);
    EXPECT_EQ (grid->getPendingGate(), 90);
    EXPECT_EQ (grid->getStatusText(), grid->getNoteLabel (note) + " Normal | Velocity 074 | Gate time 090");
    EXPECT_EQ (grid->getHoverStep(), step);
    EXPECT_EQ (at (Pattern::stepLevel, step), 64);
    EXPECT_EQ (out.messages.size(), 1u);

    grid->mouseDrag (mouseEvent (*grid, { 400, 0 }, { 200, 300 }));
    grid->mouseUp (mouseEvent (*grid, { 400, 0 }, { 200, 300 }));
    ASSERT_EQ (out.messages.size(), 3u);
    EXPECT_EQ (out.hexAt (0), dataSet (0, 31 + step, note));
    EXPECT_EQ (out.hexAt (1), dataSet (0, 63 + step, 127));
    EXPECT_EQ (out.hexAt (2), dataSet (0, 95 + step, 105));
    EXPECT_EQ (grid->getPendingLevel(), -1);
    EXPECT_EQ (grid->getPendingGate(), -1);
    out.clear();

    drag (200, 300, -500, 500);
    EXPECT_EQ (out.hexAt (1), dataSet (0, 63 + step, 0));
    EXPECT_EQ (out.hexAt (2), dataSet (0, 95 + step, 0));
    out.clear();

    // A drag that comes back to its start still sends the unchanged values.
    at (Pattern::stepLevel, step) = 100;
    at (Pattern::stepGate, step) = 80;
    move (200, 300);
    grid->mouseDown (mouseEvent (*grid, { 200, 300 }, { 200, 300 }));
    grid->mouseDrag (mouseEvent (*grid, { 230, 280 }, { 200, 300 }));
    grid->mouseDrag (mouseEvent (*grid, { 200, 300 }, { 200, 300 }));
    grid->mouseUp (mouseEvent (*grid, { 200, 300 }, { 200, 300 }));
    ASSERT_EQ (out.messages.size(), 3u);
    EXPECT_EQ (out.hexAt (1), dataSet (0, 63 + step, 100));
    EXPECT_EQ (out.hexAt (2), dataSet (0, 95 + step, 80));
}

TEST_F (Sequencer, WheelTurnsTheStepTypeThroughTheWrap)
{
    move (40, 500); // step 0

    at (Pattern::stepType, 0) = StepType::accent;
    wheel (0.5f);
    EXPECT_EQ (out.last(), RecordingMidiOut::hex ({ 0xf0, 0x41, 0x10, 0x00, 0x4f, 0x12, 0x01, 0x00, 0x00, 0x7f, 0x00, 0x00, 0xf7 }));
    wheel (-0.5f);
    EXPECT_EQ (at (Pattern::stepType, 0), StepType::accent);

    for (auto [stored, delta, expected] : { std::tuple (5, 1.0f, 0), std::tuple (5, -1.0f, 4), std::tuple (9, -1.0f, 0),
                                            std::tuple (1, 1.0f, 2) })
    {
        at (Pattern::stepType, 0) = (juce::uint8) stored;
        wheel (delta);
        EXPECT_EQ (at (Pattern::stepType, 0), expected) << stored << " by " << delta;
    }

    move (33 + 32 * 3, 500);
    out.clear();
    wheel (0.0f); // horizontal-only wheel
    EXPECT_TRUE (out.messages.empty());
    wheel (1.0f);
    EXPECT_EQ (out.last(), dataSet (1, 2, 1));

    // Over the grid the wheel edits; the page does not scroll.
    juce::Viewport viewport;
    viewport.setBounds (0, 0, 446, 400);
    viewport.setViewedComponent (grid.get(), false);
    viewport.setViewPosition (100, 500);
    wheel (-3.0f);
    EXPECT_EQ (viewport.getViewPosition(), juce::Point<int> (100, 500));
    viewport.setViewedComponent (nullptr, false);
}

//==============================================================================
TEST_F (Sequencer, HeadersStayAtTheEdgesOfTheVisibleBox)
{
    auto checkHeaders = [] (const juce::Image& image, int x, int y, const char* where)
    {
        SCOPED_TRACE (where);

        for (int px = 0; px < 32; ++px)
            for (int py = 20; py < 32; ++py)
                ASSERT_EQ (argb (image, x + px, y + py), header) << px << ", " << py;

        EXPECT_EQ (argb (image, x + 32, y + 25), line);
        EXPECT_EQ (argb (image, x + 32 + 32 * 5 + 2, y + 25), header); // number band, left of a number
        EXPECT_EQ (argb (image, x + 32 + 32 * 5 + 2, y + 20), line);
        EXPECT_EQ (argb (image, x + 1, y + 32), line);
        EXPECT_EQ (argb (image, x + 1, y + 38), header); // name column, left of a name
        EXPECT_EQ (argb (image, x + 1, y + 10), background);

        // Status text starts at x + 34 and sits on the baseline y + 14.
        int left = 10000, top = 10000, bottom = -1;

        for (int py = 0; py < 20; ++py)
            for (int px = 0; px < 300; ++px)
                if (argb (image, x + px, y + py) != background)
                {
                    left = std::min (left, px);
                    top = std::min (top, py);
                    bottom = std::max (bottom, py);
                }

        EXPECT_GE (left, 34);
        EXPECT_LE (left, 37);
        EXPECT_GE (top, 2);
        EXPECT_LE (bottom, 17);
    };

    checkHeaders (snapshot(), 0, 0, "unscrolled");

    juce::Viewport viewport;
    viewport.setBounds (0, 0, 446, 400);
    viewport.setViewedComponent (grid.get(), false);
    viewport.setViewPosition (100, 500);
    EXPECT_EQ (grid->getVisibleBox(), juce::Rectangle<int> (100, 500, 446 - viewport.getScrollBarThickness(), 400 - viewport.getScrollBarThickness()));

    const auto inGrid = snapshot();
    checkHeaders (inGrid, 100, 500, "scrolled, in grid coordinates");
    EXPECT_EQ (inGrid.getPixelAt (0, 20).getAlpha(), 0); // nothing painted outside the view
    EXPECT_EQ (inGrid.getPixelAt (99, 600).getAlpha(), 0);

    checkHeaders (viewport.createComponentSnapshot (viewport.getLocalBounds(), true, 1.0f), 0, 0, "through the viewport");
    viewport.setViewedComponent (nullptr, false);
}

TEST_F (Sequencer, HoveredNoteAndStepAreBlackOnWhiteAndStayAfterTheMouseLeaves)
{
    move (33 + 32 * 4, rowY (100) + 3);
    grid->mouseExit (mouseEvent (*grid, { -5, -5 }, { -5, -5 }));
    const auto image = snapshot();

    auto hasBlackInside = [&] (juce::Rectangle<int> box)
    {
        EXPECT_EQ (argb (image, box.getX() + 1, box.getY() + 2), white);

        for (int py = box.getY(); py < box.getBottom(); ++py)
            for (int px = box.getX(); px < box.getRight(); ++px)
                if (image.getPixelAt (px, py).getBrightness() < 0.2f)
                    return true;

        return false;
    };

    const int nameBaseline = 42 + 12 * 27;
    EXPECT_TRUE (hasBlackInside ({ 0, nameBaseline - 10, 32, 12 }));
    EXPECT_TRUE (hasBlackInside ({ 44 + 32 * 4 - 12, 20, 32, 12 }));
    EXPECT_EQ (argb (image, 1, nameBaseline - 10 + 14), header); // the next name is not highlighted
    EXPECT_EQ (argb (image, 44 + 32 * 3 - 11, 22), header);
}

TEST_F (Sequencer, BarsShowGateAndVelocity)
{
    setStep (0, StepType::tie, 100); // a tie at the start has no bar to carry on
    setStep (1, StepType::normal, 70, 127, 100);
    setStep (3, StepType::normal, 70, 0, 100);
    setStep (5, StepType::accent, 70, 127, 80);
    setStep (7, StepType::rest, 70, 127, 100);
    setStep (9, StepType::normal, 70, 127, 0);
    setStep (11, StepType::normal, 60, 127, 80); // tied through two steps ending at gate 50
    setStep (12, StepType::tie, 90, 127, 100);
    setStep (13, StepType::tie, 91, 127, 50);
    const auto image = snapshot();
    const int y = rowY (70);

    EXPECT_EQ (argb (image, barX (1), y), 0xff7f7f00u);
    EXPECT_EQ (argb (image, barX (1) + 30, y + 10), 0xff7f7f00u);
    EXPECT_EQ (argb (image, barX (1) + 15, y + 5), 0xffffff00u);
    EXPECT_EQ (argb (image, barX (1) + 31, y + 5), line); // 31 wide, up to the next column's line

    EXPECT_EQ (argb (image, barX (3), y), 0xff7f7f7fu);
    EXPECT_EQ (argb (image, barX (3) + 15, y + 5), 0xffffff7fu);

    EXPECT_EQ (argb (image, barX (5), y), red);
    EXPECT_EQ (argb (image, barX (5) + 23, y + 10), red); // gate 80: 24 wide
    EXPECT_EQ (argb (image, barX (5) + 24, y + 5), background);

    EXPECT_EQ (argb (image, barX (7), y + 10), 0xff7f7f00u);
    EXPECT_EQ (argb (image, barX (7) + 15, y + 5), background);

    EXPECT_EQ (argb (image, barX (9), y), background);

    const int tiedY = rowY (60);
    EXPECT_EQ (argb (image, barX (11) + 78, tiedY + 5), 0xff7f7f00u);
    EXPECT_EQ (argb (image, barX (11) + 60, tiedY + 5), 0xffffff00u);
    EXPECT_EQ (argb (image, barX (11) + 79, tiedY + 5), background);
    EXPECT_EQ (argb (image, barX (12) + 10, rowY (90) + 5), background);
    EXPECT_EQ (argb (image, barX (13) + 10, rowY (91) + 5), background);
    EXPECT_EQ (argb (image, barX (0) + 10, rowY (100) + 5), background);
}

TEST_F (Sequencer, SlideArrowsPointAtTheNextNote)
{
    setStep (0, StepType::normal, 48);
    setStep (2, StepType::slide, 60, 127, 10); // slide bars are full width whatever the gate
    setStep (3, StepType::rest, 40);
    setStep (5, StepType::slide, 60);
    setStep (6, StepType::normal, 72);
    setStep (8, StepType::slide, 50);
    setStep (9, StepType::tie, 20);
    setStep (10, StepType::normal, 62);
    setStep (15, StepType::slide, 60);
    const auto image = snapshot();

    EXPECT_EQ (argb (image, barX (2) + 30, rowY (60) + 10), 0xff7f7f00u);
    EXPECT_EQ (argb (image, barX (2) + 20, rowY (60) + 5), red);
    EXPECT_EQ (argb (image, barX (2) + 20, rowY (60) + 6), red);

    // Rising an octave, to the top edge of the next note's row.
    const int riseMidY = (rowY (60) + 6 + rowY (72)) / 2;
    EXPECT_TRUE (reddish (image, barX (5) + 24, riseMidY));
    EXPECT_EQ (argb (image, barX (5) + 20, rowY (60) + 5), 0xffffff00u);

    // Held over a tie: level in the slide's column, bending in the tied one.
    EXPECT_EQ (argb (image, barX (8) + 20, rowY (50) + 5), red);
    EXPECT_TRUE (reddish (image, barX (9) + 24, (rowY (50) + 6 + rowY (62)) / 2));
    EXPECT_EQ (argb (image, barX (9) + 10, rowY (20) + 5), background);

    // The last step points down at step 0.
    EXPECT_TRUE (reddish (image, barX (15) + 24, (rowY (60) + 6 + rowY (48)) / 2));
}

TEST_F (Sequencer, DragShowsPendingValuesBeforeTheyAreStored)
{
    setStep (2, StepType::normal, 70, 64, 80);
    const int x = barX (2) + 5, y = rowY (70);
    move (x, y - 1);
    grid->mouseDown (mouseEvent (*grid, { x, y }, { x, y }));
    grid->mouseDrag (mouseEvent (*grid, { x + 20, y + 100 }, { x, y }));

    const auto image = snapshot();
    EXPECT_EQ (argb (image, barX (2) + 28, y + 5), 0xffffff7fu); // gate 100, velocity 0
    EXPECT_EQ (argb (image, barX (2) + 30, y + 10), 0xff7f7f7fu);
    EXPECT_EQ (at (Pattern::stepGate, 2), 80);
    EXPECT_EQ (grid->getStatusText(), "A# 4 Normal | Velocity 000 | Gate time 100");
}

TEST_F (Sequencer, PaintsThePatternForTheReadme)
{
    const int steps[][4] = { { StepType::normal, 60, 127, 80 }, { StepType::accent, 63, 127, 50 }, { StepType::slide, 67, 90, 100 }, { StepType::tie, 67, 90, 100 }, { StepType::tie, 67, 90, 60 }, { StepType::rest, 65, 60, 80 }, { StepType::normal, 58, 30, 40 }, { StepType::slide, 63, 110, 100 }, { StepType::normal, 72, 127, 80 }, { StepType::rest, 70, 100, 80 }, { StepType::normal, 70, 0, 100 }, { StepType::tie, 70, 0, 30 }, { StepType::accent, 67, 127, 80 }, { StepType::normal, 65, 80, 60 }, { StepType::slide, 63, 100, 100 }, { StepType::normal, 60, 127, 80 } };

    for (int s = 0; s < 16; ++s)
        setStep (s, steps[s][0], steps[s][1], steps[s][2], steps[s][3]);

    move (barX (2) + 4, rowY (67));
    grid->updateFromPattern();

    juce::Viewport viewport;
    viewport.setBounds (0, 0, 545 + viewport.getScrollBarThickness(), 300);
    viewport.setViewedComponent (grid.get(), false);
    viewport.setViewPosition (0, rowY (78) - 32);
    const auto image = viewport.createComponentSnapshot (viewport.getLocalBounds(), true, 1.0f);
    viewport.setViewedComponent (nullptr, false);
    const int top = rowY (78) - 32;
    EXPECT_EQ (argb (image, barX (1), rowY (63) - top), red);
    EXPECT_EQ (argb (image, barX (2) + 20, rowY (67) - top + 5), red);

    // Two bars scrolled sideways in a window-sized view: the headers stay at its edges.
    setLength (1, 1);
    grid->updateFromPattern();
    viewport.setBounds (0, 0, 446, 400);
    viewport.setViewedComponent (grid.get(), false);
    viewport.setViewPosition (300, top);
    const auto scrolled = viewport.createComponentSnapshot (viewport.getLocalBounds(), true, 1.0f);
    viewport.setViewedComponent (nullptr, false);

    EXPECT_EQ (argb (scrolled, 5, 25), header);
    EXPECT_EQ (argb (scrolled, barX (12) - 300, rowY (67) - top), red);

    // Kept under docs/ by running with VESK_DOCS_DIR set.
    const auto docs = juce::SystemStats::getEnvironmentVariable ("VESK_DOCS_DIR", {});

    if (docs.isEmpty())
        return;

    for (auto [name, picture] : { std::pair (juce::String ("sequencer-grid.png"), image),
                                  std::pair (juce::String ("sequencer-grid-scrolled.png"), scrolled) })
    {
        const auto file = juce::File (docs).getChildFile (name);
        file.deleteFile();
        juce::FileOutputStream stream (file);
        ASSERT_TRUE (stream.openedOk());
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (picture, stream));
    }
}

TEST_F (Sequencer, RevealsThePatternsNotesButEditsRefreshesAndReshowingKeepTheView)
{
    juce::Viewport viewport;
    viewport.setBounds (0, 0, 446, 400);
    viewport.setViewedComponent (grid.get(), false);

    // Rows below the step numbers, which cover the top of the view.
    auto rowsSeen = [&] (int lowest, int highest)
    {
        const auto box = grid->getVisibleBox();
        return box.getY() + SequencerComponent::headerHeight <= rowY (highest) && rowY (lowest) + 12 <= box.getBottom();
    };

    // Another pattern of rests on note 60, with the given steps.
    auto choose = [&] (int user, std::vector<std::tuple<int, int, int>> steps)
    {
        session.showPattern (*VeskBlock::user (user));

        for (int s = 0; s < 32; ++s)
            setStep (s, StepType::rest, 60);

        for (auto [s, type, note] : steps)
            setStep (s, type, note);

        grid->updateFromPattern();
        grid->revealNotes (false);
    };

    // Low notes while the top of the grid is shown; a rest far away does not count.
    viewport.setViewPosition (0, 0);
    choose (1, { { 0, StepType::normal, 35 }, { 1, StepType::accent, 38 }, { 2, StepType::rest, 100 }, { 3, StepType::slide, 33 } });
    EXPECT_TRUE (rowsSeen (33, 38));

    // The user's own scrolling and edits, a refresh, and showing the grid again for the same pattern leave the view.
    viewport.setViewPosition (0, 0);
    setStep (4, StepType::normal, 34);
    grid->updateFromPattern();
    grid->revealNotes (true);
    EXPECT_EQ (viewport.getViewPositionY(), 0);

    // A pattern of rests keeps the view.
    choose (2, {});
    EXPECT_EQ (viewport.getViewPositionY(), 0);

    // High notes, the last played step among them; a tie's note is not its own.
    viewport.setViewPosition (0, 1000);
    choose (3, { { 0, StepType::tie, 20 }, { 1, StepType::normal, 96 }, { 15, StepType::normal, 100 } });
    EXPECT_TRUE (rowsSeen (96, 100));
    EXPECT_FALSE (rowsSeen (20, 20));

    // A hidden grid waits until it is shown.
    grid->setVisible (false);
    choose (4, { { 0, StepType::normal, 30 } });
    EXPECT_FALSE (rowsSeen (30, 30));
    grid->setVisible (true);
    grid->revealNotes (true);
    EXPECT_TRUE (rowsSeen (30, 30));

    viewport.setViewedComponent (nullptr, false);
}
