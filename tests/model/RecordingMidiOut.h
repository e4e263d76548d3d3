#pragma once

#include "model/MidiOut.h"

#include <string>
#include <vector>

/** Keeps every message the model sends, as raw bytes. */
struct RecordingMidiOut : MidiOut
{
    void send (const juce::MidiMessage& message) override
    {
        auto* data = message.getRawData();
        messages.emplace_back (data, data + message.getRawDataSize());
    }

    /** A message as upper-case hex pairs, "F0 41 10 ...". */
    static std::string hex (const std::vector<juce::uint8>& bytes)
    {
        std::string s;

        for (auto b : bytes)
        {
            static const char* digits = "0123456789ABCDEF";

            if (! s.empty())
                s += ' ';

            s += digits[b >> 4];
            s += digits[b & 15];
        }

        return s;
    }

    std::string hexAt (size_t index) const { return hex (messages.at (index)); }
    std::string last() const { return messages.empty() ? std::string() : hex (messages.back()); }
    void clear() { messages.clear(); }

    std::vector<std::vector<juce::uint8>> messages;
};
