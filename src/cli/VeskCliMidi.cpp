// A pattern's steps as a Standard MIDI File: export-mid and import-mid.
#include "VeskCli.h"
#include "model/VeskMidiFile.h"
#include "model/WholeFileWriter.h"

int VeskCli::exportMid (const juce::StringArray& args, bool force)
{
    std::vector<VeskBlock> slots;
    Image image;
    const auto& libraryPath = args[0];
    const auto& outPath = args[2];
    const juce::StringArray slotArgs { args[0], args[1] };

    if (! parseSlots (slotArgs, "export-mid", slots, 1))
        return exitUsage;

    const auto slot = slots[0];

    if (WholeFileWriter::isSameFile (VeskCliOutput::resolve (libraryPath), VeskCliOutput::resolve (outPath)))
    {
        output.report (outPath, "is the library itself (" + libraryPath + "); choose another output file");
        return exitUsage;
    }

    if (! output.readLibrary (libraryPath, image))
        return exitUsage;

    const auto why = VeskMidiFile::whyNoNotes (image.data(), slot);

    if (why.isNotEmpty())
    {
        output.report (libraryPath, why);
        return exitUsage;
    }

    if (VeskCliOutput::resolve (outPath).exists() && ! force)
    {
        output.report (outPath, "already exists (use --force to replace it)");
        return exitUsage;
    }

    const auto bytes = VeskMidiFile::exportPattern (image.data(), slot);
    return output.finish (outPath, bytes, VeskCliOutput::holdsExactly (outPath, bytes));
}

int VeskCli::importMid (const juce::StringArray& args, const juce::String& trackText, const juce::String& barText, const juce::String& channelText)
{
    std::vector<VeskBlock> slots;
    const auto& midiPath = args[0];
    const auto& libraryPath = args[1];
    const juce::StringArray slotArgs { args[1], args[2] };

    if (! parseSlots (slotArgs, "import-mid", slots, 1))
        return exitUsage;

    const auto slot = slots[0];

    VeskMidiFile::ImportOptions options;
    auto wholeIn = [] (const juce::String& text, int& value, int lowest, int highest)
    {
        if (text.isEmpty())
            return true;

        value = text.containsOnly ("0123456789") && text.length() <= 5 ? text.getIntValue() : -1;
        return value >= lowest && value <= highest;
    };

    if (! wholeIn (trackText, options.track, 1, 99999))
        return output.usageError ("'" + trackText + "' is not a track: 1 or more", "import-mid");

    if (! wholeIn (barText, options.bar, 1, VeskMidiImportChoices::maxBar))
        return output.usageError ("'" + barText + "' is not a bar: 1 to " + juce::String (VeskMidiImportChoices::maxBar), "import-mid");

    if (! wholeIn (channelText, options.channel, 1, 16))
        return output.usageError ("'" + channelText + "' is not a channel: 1 to 16", "import-mid");

    if (WholeFileWriter::isSameFile (VeskCliOutput::resolve (midiPath), VeskCliOutput::resolve (libraryPath)))
    {
        output.report (libraryPath, "is the MIDI file being imported (" + midiPath + "); choose a library file");
        return exitUsage;
    }

    // A library that does not exist is refused, as by every command that
    // changes one: a mistyped name would otherwise become a new library.
    Image image;

    if (! output.readLibrary (libraryPath, image))
        return exitUsage;

    const auto before = image;

    const auto why = VeskMidiFile::whyNoNotes (image.data(), slot);

    if (why.isNotEmpty())
    {
        output.report (libraryPath, why);
        return exitUsage;
    }

    const auto midiFile = VeskCliOutput::resolve (midiPath);

    if (! midiFile.existsAsFile())
    {
        output.report (midiPath, midiFile.exists() ? "is not a file" : "does not exist");
        return exitUsage;
    }

    const auto result = VeskMidiFile::importFile (midiFile, image.data(), slot, options);

    if (result.failed)
    {
        output.report (midiPath, result.message + "; " + libraryPath + " left as it was");
        return exitUsage;
    }

    return output.finishLibrary (libraryPath, image, image == before, midiPath + ": " + result.message + "\n");
}
