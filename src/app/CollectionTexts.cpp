#include "CollectionTexts.h"
#include "collection/CollectionProblems.h"
#include "model/Plural.h"
#include "model/WholeFileWriter.h"

namespace
{
    // The words are vesk's too; the window names the file before them.
    juce::String withDetail (const CollectionProblem& problem)
    {
        const auto where = problem.file != juce::File() ? problem.file.getFullPathName() : juce::String ("the collection's file");
        return where + " " + CollectionProblems::describe (problem);
    }
}

juce::String CollectionTexts::describeFailure (const CollectionProblem& problem, const juce::File& movedAside)
{
    if (movedAside != juce::File())
        return "The collection's file could not be read: " + withDetail (problem) + ".\n\nIt was kept as it was, as "
               + movedAside.getFullPathName() + ", and a new collection was begun.";

    return "Patterns could not go into the collection: " + withDetail (problem)
           + ".\n\nThe collection stays as it was, and your library and its file are not affected. "
             "This is said once; Setup > Add Patterns to Collection turns the adding off.";
}

juce::String CollectionTexts::describeProgress (const CollectionFolderImport::Progress& progress)
{
    if (progress.current == juce::File())
        return "Looking for libraries and .syx files";

    return "Reading " + progress.current.getFileName() + " (" + plural (progress.filesFound, "file", "files") + " so far"
           + (progress.damaged > 0 ? ", " + WholeFileWriter::formatCount (progress.damaged) + " damaged)" : juce::String (")"));
}

juce::String CollectionTexts::headline (const CollectionFolderImport::Report& report)
{
    if (report.problem.failed())
        return "The collection failed";

    return report.cancelled ? "Cancelled" : "Added to the collection";
}

juce::String CollectionTexts::describeReport (const CollectionFolderImport::Report& report)
{
    juce::StringArray lines;

    if (report.problem.failed())
        lines.add ("It stopped: " + withDetail (report.problem) + ". What is counted below went in; nothing after it.");
    else if (report.cancelled)
        lines.add ("Stopped where it was; what was added by then stays.");

    lines.add (plural (report.filesRead, "file read", "files read") + ": " + plural (report.added, "pattern added", "patterns added")
               + ", " + WholeFileWriter::formatCount (report.alreadyThere) + " already in the collection.");

    const auto named = [&lines] (const std::vector<CollectionFolderImport::Damaged>& entries, const juce::String& heading)
    {
        if (entries.empty())
            return;

        lines.add (heading);

        for (size_t i = 0; i < entries.size() && i < maxDamagedNamed; ++i)
            lines.add ("  " + entries[i].file.getFullPathName() + ": " + entries[i].reason);

        if (entries.size() > maxDamagedNamed)
            lines.add ("  and " + juce::String (entries.size() - maxDamagedNamed) + " more");
    };

    named (report.damaged, plural ((int) report.damaged.size(), "damaged file", "damaged files") + ", left out:");
    named (report.unreadable, WholeFileWriter::formatCount ((juce::int64) report.unreadable.size()) + " that cannot be read, left out:");

    for (const auto& folder : report.systemFolders)
        lines.add ("Not read: " + folder.getFullPathName() + ", one of the system's own folders.");

    if (! report.linksOut.empty())
    {
        lines.add ("Followed " + plural ((int) report.linksOut.size(), "link", "links") + " out of the folder chosen:");

        for (size_t i = 0; i < report.linksOut.size() && i < maxDamagedNamed; ++i)
            lines.add ("  " + report.linksOut[i].link.getFullPathName() + " -> " + report.linksOut[i].target.getFullPathName());
    }

    if (report.skipped > 0)
        lines.add (plural (report.skipped, "entry", "entries") + " skipped (links to folders already read, broken links, FIFOs, devices).");

    lines.add ("Your library was not changed.");
    return lines.joinIntoString ("\n");
}
