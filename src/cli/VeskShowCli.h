#pragma once

#include "VeskCliOutput.h"

/**
    vesk show and diff: every field of a library as the editor shows it, as
    aligned text or as JSON, and the fields two libraries differ in.
*/
class VeskShowCli
{
public:
    explicit VeskShowCli (VeskCliOutput& outputToUse) : output (outputToUse) {}

    int show (const juce::String& path, bool json);
    /** 0 when equal, 1 when different, 2 when either cannot be read. */
    int diff (const juce::String& pathA, const juce::String& pathB);

private:
    using Image = VeskCliOutput::Image;

    void showText (const juce::String& path, const Image& image);
    void showJson (const juce::String& path, const Image& image);

    VeskCliOutput& output;

    JUCE_DECLARE_NON_COPYABLE (VeskShowCli)
};
