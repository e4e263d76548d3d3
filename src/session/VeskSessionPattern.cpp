#include "VeskSession.h"
#include "model/VeskMidiFile.h"
#include "model/WholeFileWriter.h"

juce::Result VeskSession::editShownPattern (const juce::String& name, const juce::uint8* record)
{
    if (isBusy())
        return juce::Result::fail (describeBusy (name));

    using namespace VeskImage::Pattern;
    const auto* shown = model->currentPattern;
    std::vector<std::pair<VeskField, int>> edits;

    if (tempo (shown) != tempo (record))
        edits.push_back ({ VeskField::tempo(), tempo (record) });

    for (int offset = tempoLow + 1; offset < VeskImage::patternSize; ++offset)
        if (shown[offset] != record[offset])
            edits.push_back ({ VeskField::pattern (offset), record[offset] });

    if (edits.empty())
        return juce::Result::ok();

    // One gesture, so the edits are one step; the step takes the caller's name
    // rather than the name of the first field it changed.
    beginGesture();

    for (auto& [field, value] : edits)
        edit (field, value);

    if (auto* step = history.stepToExtend())
        step->name = name;

    endGesture();
    historyChanged();
    libraryRestored (getShownPattern());
    return juce::Result::ok();
}

VeskSession::Outcome VeskSession::importMidi (const juce::File& file, int track)
{
    const juce::String what ("Import MIDI File");

    if (isBusy())
        return { true, describeBusy (what) };

    juce::HeapBlock<juce::uint8> scratch (VeskImage::imageSize);
    std::copy (model->image, model->image + VeskImage::imageSize, scratch.get());

    const int slot = getShownPattern();
    const auto result = VeskMidiFile::importFile (file, scratch.get(), slot, track);

    if (result.failed)
        return { true, file.getFileName() + ": " + result.message + "\n\nThe pattern was left as it was." };

    const auto edited = editShownPattern (what, scratch.get() + VeskImage::patternRecordOffset (slot));

    if (edited.failed())
        return { true, edited.getErrorMessage() };

    return { false, file.getFileName() + ": " + result.message + "." };
}

juce::Result VeskSession::exportMidi (const juce::File& file)
{
    const int slot = getShownPattern();

    if (const auto why = VeskMidiFile::whyNoNotes (model->image, slot); why.isNotEmpty())
        return juce::Result::fail (why);

    const auto result = WholeFileWriter::isSameFile (file, model->getFile())
                            ? juce::Result::fail ("it is the library's own file")
                            : WholeFileWriter::write (file, VeskMidiFile::exportPattern (model->image, slot));

    if (result.failed())
        return juce::Result::fail ("Could not export \"" + file.getFileName() + "\": " + result.getErrorMessage()
                                   + ". Nothing on disk was changed.");

    return result;
}

bool VeskSession::isSendingSomeRecords() const noexcept
{
    const auto& report = transfer->getReport();
    return transfer->isRunning() && report.kind == VeskTransfer::Kind::sendAll
           && report.blocks.size() < VeskTransfer::blockOrder (VeskTransfer::Kind::sendAll).size();
}
