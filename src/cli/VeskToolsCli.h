#pragma once

#include "VeskArguments.h"
#include "VeskCli.h"
#include "model/VeskField.h"

#include <map>
#include <optional>

/**
    vesk's pattern tools: transform and generate change a pattern's steps,
    set and get read and write one field as vesk show names and shows it.
    It reads, writes and reports through VeskCliOutput, so the exit codes
    and the whole-file write are those of every other command. Anything
    wrong with what is asked is a usage error (2) that leaves the file byte
    for byte as it was.
*/
class VeskToolsCli
{
public:
    explicit VeskToolsCli (VeskCliOutput& cliToUse) : cli (cliToUse) {}

    /** Runs the command with its arguments as the command table read them. */
    int run (const juce::String& command, const VeskArguments& arguments);

private:
    using Image = VeskCliOutput::Image;

    int transform();
    int generate();
    int setField();
    int getField();

    /** Reads the library and its pattern slot (or, where allowed, the system block). */
    bool readSlot (bool allowSystem, Image& image, VeskBlock& slot);
    /** Checks the arguments of set or get (form names them), reads the library and finds the field. */
    std::optional<VeskField> readField (const juce::String& form, Image& image, VeskBlock& slot);
    /** The field's value as get prints it: shown, or stored with --raw. */
    juce::String valueText (VeskBlock slot, VeskField field, const juce::uint8* block) const;
    std::optional<long long> number (const juce::String& text, long long lowest, long long highest, const juce::String& what);
    std::optional<int> option (const juce::String& name, int lowest, int highest, int fallback);
    int usage (const juce::String& message);

    VeskCliOutput& cli;
    juce::String command;
    juce::StringArray positional;
    std::map<juce::String, juce::String> options;
    bool raw = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskToolsCli)
};
