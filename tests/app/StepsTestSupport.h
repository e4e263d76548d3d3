#pragma once

// What the Steps tools' tests share: the window's content on a recorder,
// showing a pattern whose steps all differ, and pictures compared.

#include "EditorTestSupport.h"
#include "ScopedWorkingDirectory.h"
#include "app/ContentComp.h"
#include "model/VeskImage.h"

/** Steps that differ from each other, so every step tool has something to move. */
inline void writeTestSteps (juce::uint8* record)
{
    using namespace VeskImage;
    record[Pattern::patternLength] = 0; // one bar of 16
    record[Pattern::stepsPerBar] = 1;

    for (int s = 0; s < Pattern::numSteps; ++s)
    {
        record[Pattern::stepNote + s] = (juce::uint8) (40 + 2 * s);
        record[Pattern::stepLevel + s] = (juce::uint8) (20 + 2 * s);
        record[Pattern::stepGate + s] = (juce::uint8) (10 + s);
        record[Pattern::stepType + s] = (juce::uint8) (s % 5 == 4 ? StepType::rest : StepType::normal);
    }
}

inline bool sameImage (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}

/** The main window's content on a recorder, showing a pattern with steps to move. */
struct StepsRig
{
    explicit StepsRig (bool showDialogs = false)
    {
        commandManager.registerAllCommandsForTarget (&content);
        commandManager.setFirstCommandTarget (&content);
        content.setSize (446, 470);
        content.showDialogs = showDialogs;
        writeTestSteps (content.getModel().currentPattern);
        dispatchPendingMessages();
        out.clear();
    }

    std::vector<std::string> sent() const
    {
        std::vector<std::string> lines;

        for (const auto& m : out.messages)
            lines.push_back (RecordingMidiOut::hex (m));

        return lines;
    }

    std::vector<juce::uint8> shown() { return { content.getModel().currentPattern, content.getModel().currentPattern + VeskImage::patternSize }; }

    ScopedWorkingDirectory workingDirectory;
    juce::ApplicationCommandManager commandManager;
    VirtualClock clock;
    RecordingMidiOut out;
    ContentComp content { commandManager, VeskSession::Options::headless (clock, out) };
    VeskSession& session = content.getSession();
};
