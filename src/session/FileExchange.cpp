#include "FileExchange.h"
#include "model/BoundedFileReader.h"
#include "model/VeskMidiFile.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"
#include "model/WholeFileWriter.h"

namespace
{
    // An import names at most this many messages it ignored; the summary counts them all.
    constexpr size_t maxImportDetails = 12;
}

FileExchange::FileExchange (VeskModel& modelToUse, UnitJobs& jobsToUse, EditHistory& historyToUse, SessionListeners& listenersToTell)
    : model (modelToUse),
      jobs (jobsToUse),
      history (historyToUse),
      listeners (listenersToTell)
{
}

SessionResult FileExchange::importSyx (const juce::File& file)
{
    if (jobs.isBusy())
        return jobs.refusalWhileBusy ("Import .syx");

    VeskSyxFile::Contents contents;
    const auto read = VeskSyxFile::read (file, (size_t) VeskProtocol::patternBulkBodySize, contents);

    if (read.failed())
        return SessionResult::fail (file.getFileName() + " " + read.getErrorMessage() + ".\n\nThe library was left as it was.");

    juce::HeapBlock<juce::uint8> before (VeskImage::imageSize);
    std::copy (model.image, model.image + VeskImage::imageSize, before.get());

    const auto import = VeskSyxFile::applyDumps (contents, model.image);
    auto text = VeskSyxFile::describeImport (contents, import, maxImportDetails).lines (file.getFileName());
    text.add ({});

    if (import.applied == 0)
    {
        text.add ("It holds no dump of this unit: the library was left as it was.");
        return SessionResult::fail (text.joinIntoString ("\n"));
    }

    const bool changedAnything = history.recordWholeBlocks ("Import .syx", before, VeskBlock::all());
    listeners.libraryRestored (std::nullopt);
    text.add (changedAnything ? "The library is marked changed: save it to keep them. Nothing was sent to the unit."
                              : "The library already held every byte of them. Nothing was sent to the unit.");

    return SessionResult::ok (text.joinIntoString ("\n"));
}

juce::Result FileExchange::exportSyx (const juce::File& file)
{
    // A library named *.syx (or a link to it) is never replaced by its own export.
    const auto result = WholeFileWriter::isSameFile (file, model.getFile())
                            ? juce::Result::fail ("it is the library's own file")
                            : VeskSyxFile::writeImage (file, model.image);

    if (result.failed())
        return juce::Result::fail ("Could not export \"" + file.getFileName() + "\": " + result.getErrorMessage()
                                   + ". Nothing on disk was changed, and the library is still open here.");

    return result;
}

juce::Result FileExchange::surveyMidi (const juce::File& file, int track, VeskMidiFile::Survey& survey)
{
    juce::MemoryBlock data;

    if (const auto read = BoundedFileReader::read (file, VeskMidiFile::maxFileSize, data); read.failed())
        return read;

    return VeskMidiFile::survey (data.getData(), data.getSize(), track, survey);
}

SessionResult FileExchange::importMidi (const juce::File& file, const VeskMidiFile::ImportOptions& options)
{
    const juce::String what ("Import MIDI File");

    if (jobs.isBusy())
        return jobs.refusalWhileBusy (what);

    juce::HeapBlock<juce::uint8> scratch (VeskImage::imageSize);
    std::copy (model.image, model.image + VeskImage::imageSize, scratch.get());

    const auto slot = model.getShownBlock();
    const auto result = VeskMidiFile::importFile (file, scratch.get(), slot, options);

    if (result.failed)
        return SessionResult::fail (file.getFileName() + ": " + result.message + "\n\nThe pattern was left as it was.");

    const auto edited = history.editShownPattern (what, scratch.get() + slot.imageOffset());

    if (edited.failed())
        return edited;

    return SessionResult::ok (file.getFileName() + ": " + result.message + ".");
}

juce::Result FileExchange::exportMidi (const juce::File& file)
{
    const auto slot = model.getShownBlock();

    if (const auto why = VeskMidiFile::whyNoNotes (model.image, slot); why.isNotEmpty())
        return juce::Result::fail (why);

    const auto result = WholeFileWriter::isSameFile (file, model.getFile())
                            ? juce::Result::fail ("it is the library's own file")
                            : WholeFileWriter::write (file, VeskMidiFile::exportPattern (model.image, slot));

    if (result.failed())
        return juce::Result::fail ("Could not export \"" + file.getFileName() + "\": " + result.getErrorMessage()
                                   + ". Nothing on disk was changed.");

    return result;
}
