#pragma once

#include "EditorTestSupport.h"
#include "model/VeskProtocol.h"

#include <functional>
#include <map>

/** The field most cases edit: the filter's cutoff (the bass drum's level on Rythm). */
inline const auto cutoff = VeskField::pattern (VeskImage::Pattern::filterCutoffOrBdLevel);

/** Messages as hex lines, so a failure shows them readably. */
using Messages = std::vector<std::string>;

inline Messages hexLines (const std::vector<std::vector<juce::uint8>>& messages)
{
    Messages lines;

    for (auto& m : messages)
        lines.push_back (RecordingMidiOut::hex (m));

    return lines;
}

/** Four quarter notes from middle C up, at 100 BPM. */
inline juce::MemoryBlock melody()
{
    juce::MidiMessageSequence track;
    track.addEvent (juce::MidiMessage::tempoMetaEvent (600000), 0);

    for (int i = 0; i < 4; ++i)
    {
        track.addEvent (juce::MidiMessage::noteOn (1, 60 + 2 * i, (juce::uint8) (70 + 10 * i)), i * 480);
        track.addEvent (juce::MidiMessage::noteOff (1, 60 + 2 * i), i * 480 + 240);
    }

    juce::MidiFile file;
    file.setTicksPerQuarterNote (480);
    file.addTrack (track);
    juce::MemoryOutputStream stream;
    file.writeTo (stream, 0);
    return stream.getMemoryBlock();
}

/** Every message the session sends, with the virtual time it left at. */
struct TimedRecording : RecordingMidiOut
{
    explicit TimedRecording (VeskClock& clockToUse) : clock (clockToUse) {}

    void send (const juce::MidiMessage& message) override
    {
        times.push_back (clock.now());
        RecordingMidiOut::send (message);
    }

    /** The pause after each message recorded but the last, by the message's size. */
    std::vector<std::pair<size_t, double>> pauses() const
    {
        std::vector<std::pair<size_t, double>> result;
        const auto* time = times.data() + times.size() - messages.size();

        for (size_t i = 0; i + 1 < messages.size(); ++i)
            result.push_back ({ messages[i].size(), time[i + 1] - time[i] });

        return result;
    }

    VeskClock& clock;
    std::vector<double> times;
};

/** A session without ports on a recorder, in virtual time, its start-up
    messages kept apart from what the test makes it send. */
struct SessionRig
{
    SessionRig()
    {
        startMessages = hexLines (out.messages);
        out.clear();
    }

    std::vector<juce::uint8> image() const { return { model.image, model.image + VeskImage::imageSize }; }

    /** What action sends, on a fresh recording. */
    Messages sentBy (const std::function<void()>& action)
    {
        out.clear();
        action();
        return hexLines (out.messages);
    }

    Messages editSends (VeskField field, int value)
    {
        return sentBy ([&]
                       { session.edit (field, value); });
    }

    Messages undoOrRedoSends (bool undo)
    {
        return sentBy ([&]
                       { EXPECT_TRUE ((undo ? session.undo() : session.redo()).wasOk()); });
    }

    /** Every byte the unit keeps and sends, of an image: all but the reserved tail. */
    static std::vector<juce::uint8> blocks (const juce::uint8* image)
    {
        return { image, image + VeskImage::reservedAreaOffset };
    }

    VirtualClock clock;
    TimedRecording out { clock };
    VeskSession session { VeskSession::Options::headless (clock, out) };
    VeskModel& model = session.getModel();
    Messages startMessages;
};

struct SessionTest : ::testing::Test, SessionRig
{
};
