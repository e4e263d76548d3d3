#include "VeskCollectionCli.h"
#include "VeskCli.h"
#include "collection/CollectionFolderImport.h"
#include "platform/UserFolders.h"

#include <climits>
#include <cstdlib>

namespace
{
    struct Subcommand
    {
        const char* name;
        const char* usage;
        const char* summary;
        int minWords, maxWords;
        const char* options; // besides --collection
    };

    const Subcommand subcommands[] = {
        { "add", "vesk collection add PATH...", "Adds the patterns of library (.vsk) and .syx files to the collection, and of every such file under a folder, however deep. Prints how many different patterns were new to the collection and how many it held already, each counted once however many files hold it, and names the links followed out of the folders given. A damaged file or one that cannot be read is named on stderr and the others still go in; the exit status is then 1, as it is when no file could be taken in at all. The system's own folders (/proc, /sys, /dev) are never read. All is kept or nothing: when the collection cannot take it all (a full disk), or the summary cannot be printed, the collection stays as it was. A PATH that does not exist adds nothing at all.", 1, INT_MAX, "" },
        { "search", "vesk collection search [TEXT] [--type TYPE] [--tag TAG] [--favourite] [--limit N] [--json]", "Lists the patterns whose names, tags, comments or source file names have words beginning with each word of TEXT, in any case; --type (Lead, Bass, Rythm, ...), --tag (a whole tag) and --favourite narrow it. At most N (50) patterns are listed, and the total of all that match. --json writes one object with total and patterns.", 0, INT_MAX, "--type --tag --favourite --limit --json" },
        { "show", "vesk collection show ID [--json]", "Shows the pattern with that ID (or a unique prefix of at least 6 of its digits) and every place it was seen: library and .syx files and their slots, Get Alls, MIDI file imports, with the times.", 1, 1, "--json" },
        { "put", "vesk collection put ID FILE.vsk SLOT", "Puts the pattern into SLOT (temp or 1 to 20) of FILE.vsk: the whole pattern, its type included. Nothing else in FILE.vsk changes.", 3, 3, "" },
        { "name", "vesk collection name ID TEXT", "Gives the pattern a name of your own. An empty TEXT (\"\") names it after the first place it was seen again.", 2, INT_MAX, "" },
        { "tag", "vesk collection tag ID TAG...", "Adds the tags to the pattern.", 2, INT_MAX, "" },
        { "untag", "vesk collection untag ID TAG...", "Takes the tags off the pattern.", 2, INT_MAX, "" },
        { "favourite", "vesk collection favourite ID [--off]", "Marks the pattern as a favourite; --off takes the mark away.", 1, 1, "--off" },
        { "check", "vesk collection check", "Checks the collection's database: its integrity and its schema. Exit status 0 when it is sound, 1 when not; the file is only read.", 0, 0, "" },
    };

    const Subcommand* findSubcommand (const juce::String& name)
    {
        for (auto& s : subcommands)
            if (name == s.name)
                return &s;

        return nullptr;
    }

    bool takesValue (const juce::String& option)
    {
        return option == "--collection" || option == "--type" || option == "--tag" || option == "--limit";
    }

    juce::String plural (int n, const char* one, const char* many) { return juce::String (n) + " " + (n == 1 ? one : many); }
}

VeskCollectionCli::VeskCollectionCli (VeskCli& c)
    : cli (c)
{
}

VeskCollectionCli::~VeskCollectionCli() = default;

//==============================================================================
int VeskCollectionCli::run (const juce::StringArray& given)
{
    juce::StringArray args (given);
    Options options;

    // The database may also be named before the command.
    if (args[0] == "--collection")
    {
        if (args[1].isEmpty())
            return cli.usageError ("--collection needs a value", "collection");

        options.database = args[1];
        args.removeRange (0, 2);
    }

    const auto first = args[0];

    if (args.isEmpty() || first == "--help" || first == "-h" || first == "help")
    {
        printHelp (args.isEmpty() ? cli.err : cli.out, args.size() > 1 ? args[1] : juce::String());
        return args.isEmpty() ? VeskCli::exitUsage : VeskCli::exitOk;
    }

    auto* command = findSubcommand (first);

    if (command == nullptr)
        return cli.usageError ("unknown collection command '" + first + "'", "collection");

    subcommand = command->name;

    if (const int status = parse (args, subcommand, options); status >= 0)
        return status;

    const auto& words = options.words;

    if (words.size() < command->minWords || words.size() > command->maxWords)
    {
        const auto wanted = command->minWords == command->maxWords ? juce::String (command->minWords)
                                                                   : "at least " + juce::String (command->minWords);
        return cli.usageError ("collection " + subcommand + " takes " + wanted + (command->minWords == 1 && command->maxWords == 1 ? " argument" : " arguments")
                                   + ", got " + juce::String (words.size()),
                               "collection " + subcommand);
    }

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
            if (! CollectionFolderImport::mayExist (VeskCli::resolve (path)))
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
        return search (query, options.json);

    if (subcommand == "show")
        return show (words[0], options.json);

    if (subcommand == "put")
        return put (words);

    if (subcommand == "name")
        return name (words[0], juce::StringArray (words.begin() + 1, words.size() - 1).joinIntoString (" "));

    if (subcommand == "tag" || subcommand == "untag")
        return tag (words[0], juce::StringArray (words.begin() + 1, words.size() - 1), subcommand == "tag");

    return favourite (words[0], ! options.off);
}

int VeskCollectionCli::parse (const juce::StringArray& args, const juce::String& command, Options& options)
{
    const juce::StringArray allowed = juce::StringArray::fromTokens (findSubcommand (command)->options, false);
    const auto where = "collection " + command;
    bool optionsEnded = false;

    for (int i = 1; i < args.size(); ++i)
    {
        const auto& arg = args[i];

        if (optionsEnded || ! arg.startsWith ("-") || arg == "-")
        {
            options.words.add (arg);
        }
        else if (arg == "--")
        {
            optionsEnded = true;
        }
        else if (arg == "--help" || arg == "-h")
        {
            printHelp (cli.out, command);
            return VeskCli::exitOk;
        }
        else if (arg != "--collection" && ! allowed.contains (arg))
        {
            return cli.usageError ("unknown option '" + arg + "'", where);
        }
        else if (takesValue (arg))
        {
            auto& value = arg == "--collection" ? options.database : arg == "--type" ? options.type
                                                                 : arg == "--tag"    ? options.tag
                                                                                     : options.limit;

            // A second value would silently win over the first.
            if (value.has_value())
                return cli.usageError (arg + " is given twice", where);

            if (++i >= args.size() || args[i].isEmpty())
                return cli.usageError (arg + " needs a value", where);

            value = args[i];
        }
        else
        {
            options.json = options.json || arg == "--json";
            options.favouriteOnly = options.favouriteOnly || arg == "--favourite";
            options.off = options.off || arg == "--off";
        }
    }

    return -1;
}

juce::File VeskCollectionCli::databaseFile (const Options& options) const
{
    if (options.database.has_value())
        return VeskCli::resolve (*options.database);

    if (const auto* fromEnvironment = std::getenv ("VESK_COLLECTION"); fromEnvironment != nullptr && *fromEnvironment != 0)
        return VeskCli::resolve (juce::CharPointer_UTF8 (fromEnvironment));

    return CollectionStore::defaultFile();
}

int VeskCollectionCli::openStore (const Options& options, CollectionStore::Mode mode)
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
    using Kind = CollectionProblem::Kind;
    juce::String text;

    switch (problem.kind)
    {
        case Kind::none: return {};
        case Kind::diskFull: text = "the disk is full; nothing of this was kept, the collection is as it was"; break;
        case Kind::busy: text = "another program held the collection too long; nothing of this was kept, try again"; break;
        case Kind::readOnly: text = "cannot be written"; break;
        case Kind::damaged: text = "is not a sound collection"; break;
        case Kind::cannotOpen: text = "cannot be opened"; break;
        case Kind::newerSchema: text = "was written by a later VeskEdit; left as it is"; break;
        case Kind::notCollection: return problem.detail + "; left as it is";
        case Kind::notPrivate: return problem.detail + "; not used";
        case Kind::other: text = "failed"; break;
    }

    return problem.detail.isEmpty() ? text : text + " (" + problem.detail + ")";
}

//==============================================================================
int VeskCollectionCli::add (const juce::StringArray& paths)
{
    juce::Array<juce::File> files;

    for (auto& path : paths)
        files.add (VeskCli::resolve (path));

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
    auto text = "added " + plural (report.added, "pattern", "patterns") + ", " + juce::String (report.alreadyThere)
                + " already in the collection, from " + plural (report.filesRead, "file", "files");

    if (! report.damaged.empty())
        text << "; " << plural ((int) report.damaged.size(), "file", "files") << " damaged";

    if (! report.unreadable.empty())
        text << "; " << juce::String ((int) report.unreadable.size()) << " cannot be read";

    if (! report.systemFolders.empty())
        text << "; " << plural ((int) report.systemFolders.size(), "system folder", "system folders") << " not read";

    if (report.skipped > 0)
        text << "; " << juce::String (report.skipped) << " skipped (pipes, devices, broken links, links to what was read already)";

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
void VeskCollectionCli::printUsages (std::ostream& stream)
{
    for (auto& s : subcommands)
        stream << "  " << s.usage << "\n";
}

void VeskCollectionCli::printHelp (std::ostream& stream, const juce::String& name)
{
    if (auto* command = findSubcommand (name))
    {
        stream << "Usage: " << command->usage << " [--collection FILE]\n\n"
               << command->summary << "\n";
        return;
    }

    stream << "Usage: vesk collection COMMAND ... [--collection FILE]\n\n"
           << "The collection keeps every pattern added to it once, however often it\n"
           << "was seen, with where and when it was seen and your own names, tags and\n"
           << "favourites. A pattern's ID is the hash of its bytes; any unique prefix\n"
           << "of at least 6 of its digits names it. --collection FILE (or the\n"
           << "environment's VESK_COLLECTION) names the database; by default it is\n"
           << UserFolders::describeData ("collection.db") << ".\n"
           << "Only add starts a collection where there is none. A file that is not\n"
           << "a collection, or not the user's own, is left as it is and the command\n"
           << "refused; a damaged collection is moved aside, kept as it was, and a new\n"
           << "one started.\n\nCommands:\n";
    printUsages (stream);
}
