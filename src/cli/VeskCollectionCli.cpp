#include "VeskCollectionCli.h"
#include "VeskArguments.h"
#include "VeskCli.h"
#include "collection/CollectionFolderImport.h"
#include "collection/CollectionProblems.h"
#include "model/Plural.h"
#include "model/WholeFileWriter.h"

#include <cstdlib>

VeskCollectionCli::VeskCollectionCli (VeskCliOutput& c)
    : cli (c)
{
}

VeskCollectionCli::~VeskCollectionCli() = default;

//==============================================================================
int VeskCollectionCli::run (const juce::StringArray& given)
{
    juce::StringArray args (given);

    // The database may also be named before the command: read as if given after it.
    if (args[0] == "--collection")
    {
        if (args[1].isEmpty())
            return cli.usageError (VeskArguments::missingValue (*VeskCommands::find ("collection add")->option ("--collection")), "collection");

        const auto database = args[1];
        args.removeRange (0, 2);

        if (! args.isEmpty())
        {
            args.insert (1, database);
            args.insert (1, "--collection");
        }
    }

    const auto first = args[0];

    if (args.isEmpty() || first == "--help" || first == "-h" || first == "help")
    {
        printHelp (args.isEmpty() ? cli.err : cli.out, args.size() > 1 ? args[1] : juce::String());
        return args.isEmpty() ? VeskCli::exitUsage : VeskCli::exitOk;
    }

    auto* command = VeskCommands::find ("collection " + first);

    if (command == nullptr)
        return cli.usageError ("unknown collection command '" + first + "'", "collection");

    subcommand = first;
    const auto options = VeskArguments::parse (*command, juce::StringArray (args.begin() + 1, args.size() - 1));

    if (options.outcome == VeskArguments::Outcome::help)
    {
        VeskCommands::printHelp (cli.out, *command);
        return VeskCli::exitOk;
    }

    if (options.outcome == VeskArguments::Outcome::wrong)
        return cli.usageError (options.problem, command->name);

    const auto& words = options.words;

    if (subcommand == "check")
        return openStore (options, CollectionStore::Mode::check) != VeskCli::exitOk ? VeskCli::exitFailed : check();

    // Checked before the collection is opened or made: a command that exits 2 changes nothing.
    CollectionQuery query;

    if (subcommand == "search")
        if (const int status = makeQuery (options, query); status != VeskCli::exitOk)
            return status;

    if (subcommand == "put" && ! VeskBlock::fromName (words[2]).has_value())
        return cli.usageError ("'" + words[2] + "' is not a slot: temp or 1 to 20", "collection put");

    if (subcommand == "add")
    {
        for (auto& path : words)
        {
            if (! CollectionFolderImport::mayExist (VeskCliOutput::resolve (path)))
            {
                cli.report (path, "does not exist; nothing was added");
                return VeskCli::exitUsage;
            }
        }
    }

    if (const int status = openStore (options, CollectionStore::Mode::readWrite); status != VeskCli::exitOk)
        return status;

    if (subcommand == "add")
        return add (words);

    if (subcommand == "search")
        return search (query, options.has ("--json"));

    if (subcommand == "show")
        return show (words[0], options.has ("--json"));

    if (subcommand == "put")
        return put (words);

    if (subcommand == "name")
        return name (words[0], juce::StringArray (words.begin() + 1, words.size() - 1).joinIntoString (" "));

    if (subcommand == "tag" || subcommand == "untag")
        return tag (words[0], juce::StringArray (words.begin() + 1, words.size() - 1), subcommand == "tag");

    return favourite (words[0], ! options.has ("--off"));
}

juce::File VeskCollectionCli::databaseFile (const VeskArguments& options) const
{
    if (const auto named = options.value ("--collection"))
        return VeskCliOutput::resolve (*named);

    if (const auto* fromEnvironment = std::getenv ("VESK_COLLECTION"); fromEnvironment != nullptr && *fromEnvironment != 0)
        return VeskCliOutput::resolve (juce::CharPointer_UTF8 (fromEnvironment));

    return CollectionStore::defaultFile();
}

int VeskCollectionCli::openStore (const VeskArguments& options, CollectionStore::Mode mode)
{
    const auto file = databaseFile (options);

    if (mode == CollectionStore::Mode::check && ! file.existsAsFile())
    {
        cli.report (file.getFullPathName(), "does not exist; no collection has been started there");
        return VeskCli::exitFailed;
    }

    // Only add starts a collection; the others find an empty one where none was started.
    if (mode == CollectionStore::Mode::readWrite && subcommand != "add" && ! file.exists() && ! file.isSymbolicLink())
    {
        store = CollectionStore::empty();
        return VeskCli::exitOk;
    }

    auto opened = CollectionStore::open (file, mode);

    if (opened.outcome == CollectionStore::OpenResult::Outcome::failed || opened.store == nullptr)
        return failed (opened.problem.file == juce::File() ? CollectionProblem { opened.problem.kind, opened.problem.detail, file } : opened.problem);

    // The old file is kept as it was; the command goes on with a new one.
    if (opened.outcome == CollectionStore::OpenResult::Outcome::replaced)
        cli.report (file.getFullPathName(), describe ({ opened.problem.kind, opened.problem.detail, {} })
                                                + "; kept as " + opened.movedAside.getFullPathName() + ", and a new collection started");

    store = std::move (opened.store);
    return VeskCli::exitOk;
}

int VeskCollectionCli::failed (const CollectionProblem& problem)
{
    const auto file = problem.file != juce::File() ? problem.file : store != nullptr ? store->getFile()
                                                                                     : juce::File();
    cli.report (file.getFullPathName(), describe (problem));
    return VeskCli::exitFailed;
}

juce::String VeskCollectionCli::describe (const CollectionProblem& problem)
{
    // The window's words, and what became of the command's own work.
    const auto text = CollectionProblems::describe (problem);

    if (problem.kind == CollectionProblem::Kind::diskFull)
        return text + "; nothing of this was kept, the collection is as it was";

    if (problem.kind == CollectionProblem::Kind::busy)
        return text + "; nothing of this was kept, try again";

    return text;
}

//==============================================================================
int VeskCollectionCli::add (const juce::StringArray& paths)
{
    juce::Array<juce::File> files;

    for (auto& path : paths)
        files.add (VeskCliOutput::resolve (path));

    // One transaction, kept once the summary is out: a failure anywhere
    // (a full disk, an output that cannot be written) keeps nothing.
    CollectionStore::Transaction whole (*store);

    if (whole.problem.failed())
        return failed (whole.problem);

    const std::atomic<bool> never { false };
    CollectionFolderImport import (*store);
    const auto report = import.run (files, never);

    for (auto* list : { &report.damaged, &report.unreadable })
        for (auto& entry : *list)
            cli.report (entry.file.getFullPathName(), entry.reason);

    for (auto& folder : report.systemFolders)
        cli.report (folder.getFullPathName(), "is one of the system's own folders (/proc, /sys, /dev); not read");

    if (report.problem.failed())
        return failed (report.problem);

    if (! cli.print (summary (report) + "\n"))
        return VeskCli::exitFailed;

    if (! whole.commit())
        return failed (whole.problem);

    const bool allRead = report.damaged.empty() && report.unreadable.empty();

    // Nothing taken in is a failure a script should see: a device, an empty folder.
    if (report.filesRead == 0 && allRead && report.systemFolders.empty())
        cli.report (paths.joinIntoString (" "), "holds no library or .syx file; nothing was added");

    return allRead && report.filesRead > 0 ? VeskCli::exitOk : VeskCli::exitFailed;
}

juce::String VeskCollectionCli::summary (const CollectionFolderImport::Report& report)
{
    auto text = "added " + plural (report.added, "pattern", "patterns") + ", " + WholeFileWriter::formatCount (report.alreadyThere)
                + " already in the collection, from " + plural (report.filesRead, "file", "files");

    if (! report.damaged.empty())
        text << "; " << plural ((int) report.damaged.size(), "file", "files") << " damaged";

    if (! report.unreadable.empty())
        text << "; " << WholeFileWriter::formatCount ((juce::int64) report.unreadable.size()) << " cannot be read";

    if (! report.systemFolders.empty())
        text << "; " << plural ((int) report.systemFolders.size(), "system folder", "system folders") << " not read";

    if (report.skipped > 0)
        text << "; " << WholeFileWriter::formatCount (report.skipped) << " skipped (pipes, devices, broken links, links to what was read already)";

    // Followed, as asked, but the user should know the walk went elsewhere.
    if (! report.linksOut.empty())
        text << "; followed " << plural ((int) report.linksOut.size(), "link", "links") << " out of the folders given:";

    for (auto& out : report.linksOut)
        text << "\n  " << out.link.getFullPathName() << " -> " << out.target.getFullPathName();

    return text;
}

int VeskCollectionCli::check()
{
    const auto result = store->check();

    for (auto& problem : result.problems)
        cli.report (store->getFile().getFullPathName(), problem);

    if (! result.ok)
    {
        cli.report (store->getFile().getFullPathName(), "is not sound");
        return VeskCli::exitFailed;
    }

    return cli.print (store->getFile().getFullPathName() + ": sound; schema " + juce::String (result.schemaVersion) + ", "
                      + plural (result.patterns, "pattern", "patterns") + ", " + plural (result.sightings, "sighting", "sightings") + "\n")
               ? VeskCli::exitOk
               : VeskCli::exitFailed;
}

//==============================================================================
void VeskCollectionCli::printHelp (std::ostream& stream, const juce::String& name)
{
    if (auto* command = VeskCommands::find ("collection " + name))
        VeskCommands::printHelp (stream, *command);
    else
        VeskCommands::printCollectionOverview (stream);
}
