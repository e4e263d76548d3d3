#include "CollectionTexts.h"

namespace
{
    juce::String why (const CollectionProblem& problem)
    {
        using Kind = CollectionProblem::Kind;
        const auto where = problem.file != juce::File() ? problem.file.getFullPathName() : juce::String ("the collection's file");

        switch (problem.kind)
        {
            case Kind::diskFull: return "the disk that holds " + where + " is full";
            case Kind::busy: return "another copy of VeskEdit or vesk kept " + where + " busy for too long";
            case Kind::readOnly: return where + " cannot be written";
            case Kind::damaged: return where + " is damaged";
            case Kind::cannotOpen: return where + " cannot be opened or made";
            case Kind::newerSchema: return where + " was written by a later VeskEdit, so this one leaves it as it is";
            case Kind::notCollection:
            case Kind::notPrivate: return where + ": " + problem.detail + "; it is left as it is";
            case Kind::none:
            case Kind::other:
            default: return "the collection's database failed";
        }
    }

    juce::String withDetail (const CollectionProblem& problem)
    {
        const auto detailIsWhy = problem.kind == CollectionProblem::Kind::notCollection || problem.kind == CollectionProblem::Kind::notPrivate;
        return why (problem) + (problem.detail.isNotEmpty() && ! detailIsWhy ? " (" + problem.detail + ")" : juce::String());
    }

    juce::String count (int n, const char* one, const char* many)
    {
        return juce::String (n) + " " + (n == 1 ? one : many);
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

    return "Reading " + progress.current.getFileName() + " (" + count (progress.filesFound, "file", "files") + " so far"
           + (progress.damaged > 0 ? ", " + juce::String (progress.damaged) + " damaged)" : juce::String (")"));
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
        lines.add ("It stopped: " + withDetail (report.problem) + ". What the files before had added stays.");
    else if (report.cancelled)
        lines.add ("Stopped where it was; what was added by then stays.");

    lines.add (count (report.filesRead, "file read", "files read") + ": " + count (report.added, "pattern added", "patterns added")
               + ", " + juce::String (report.alreadyThere) + " already there.");

    if (! report.damaged.empty())
    {
        lines.add (count ((int) report.damaged.size(), "damaged file", "damaged files") + ", left out:");

        for (size_t i = 0; i < report.damaged.size() && i < maxDamagedNamed; ++i)
            lines.add ("  " + report.damaged[i].file.getFullPathName() + ": " + report.damaged[i].reason);

        if (report.damaged.size() > maxDamagedNamed)
            lines.add ("  and " + juce::String (report.damaged.size() - maxDamagedNamed) + " more");
    }

    if (report.skipped > 0)
        lines.add (count (report.skipped, "entry", "entries") + " skipped (links to folders already read, FIFOs, devices, unreadable folders).");

    lines.add ("Your library was not changed.");
    return lines.joinIntoString ("\n");
}
