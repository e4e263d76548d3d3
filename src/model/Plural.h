#pragma once

#include <juce_core/juce_core.h>

/** "1 file", "2 files", "1,024 bytes": a count and its noun, as every
    message of the program writes them. many defaults to one with an "s". */
juce::String plural (juce::int64 count, const juce::String& one, const juce::String& many = {});
