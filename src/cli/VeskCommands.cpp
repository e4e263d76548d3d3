#include "VeskCommands.h"
#include "platform/UserFolders.h"

#include <climits>

namespace
{
    // Every option of every command, with what its value is.
    const std::vector<VeskOption> optionTable {
        { "--force", nullptr },
        { "--json", nullptr },
        { "--from", "a file" },
        { "--track", "a number" },
        { "--bar", "a number" },
        { "--channel", "a number" },
        { "--seed", "a number" },
        { "--lock", "a value" },
        { "--scale", "a value" },
        { "--root", "a value" },
        { "--density", "a number" },
        { "--rotate", "a number" },
        { "--note", "a number" },
        { "--raw", nullptr },
        { "--collection", "a file" },
        { "--type", "a value" },
        { "--tag", "a value" },
        { "--favourite", nullptr },
        { "--limit", "a number" },
        { "--off", nullptr },
    };

    // In the order vesk --help lists them. Name, usage, help, options,
    // fewest and most words, what the words are, whether "-1" is a word.
    const std::vector<VeskCommand> commandTable {
        { "new", "vesk new FILE.vsk [--force]",
          "Writes a library of the unit's defaults. An existing FILE.vsk is kept unless --force is given.",
          "--force", 1, 1, "file", false },
        { "show", "vesk show FILE.vsk [--json]",
          "Lists the system block and the 21 patterns with readable values. --json writes one JSON document with the raw bytes beside the values.",
          "--json", 1, 1, "file", false },
        { "export-syx", "vesk export-syx FILE.vsk OUT.syx [--force]",
          "Writes the messages that restore the whole library into a unit: the system block, user patterns 1 to 20, then the temporary pattern. An existing OUT.syx is kept unless --force is given; FILE.vsk itself is never replaced.",
          "--force", 2, 2, "file", false },
        { "import-syx", "vesk import-syx IN.syx FILE.vsk",
          "Applies every valid dump in IN.syx to FILE.vsk (to the defaults when FILE.vsk does not exist) and reports on stderr what was applied and what was ignored. IN.syx is never changed; one over 1 MiB is refused unread (a whole unit is 3,616 bytes).",
          "", 2, 2, "file", false },
        { "diff", "vesk diff A.vsk B.vsk",
          "One line per field that differs. Exit status 0 when equal, 1 when different, 2 on error.",
          "", 2, 2, "file", false },
        { "copy", "vesk copy FILE.vsk FROM TO [--from OTHER.vsk|OTHER.syx]",
          "Copies the pattern in slot FROM onto slot TO: the whole pattern, its type included. A slot is temp (the temporary pattern) or 1 to 20 (the user patterns). With --from, FROM is taken from another library, or from a .syx file that holds a dump of that pattern. Nothing else in FILE.vsk changes.",
          "--from", 3, 3, "argument", true },
        { "swap", "vesk swap FILE.vsk A B",
          "Swaps the patterns in slots A and B (temp or 1 to 20). Nothing else in FILE.vsk changes.",
          "", 3, 3, "argument", true },
        { "init", "vesk init FILE.vsk SLOT",
          "Sets the pattern in SLOT (temp or 1 to 20) to the pattern defaults, as a new library holds them. Nothing else in FILE.vsk changes.",
          "", 2, 2, "argument", true },
        { "export-mid", "vesk export-mid FILE.vsk SLOT OUT.mid [--force]",
          "Writes the steps of the pattern in SLOT (temp or 1 to 20, a Lead, Bass or Rythm pattern) as a Standard MIDI File: one note per played step, with the pattern's tempo. An existing OUT.mid is kept unless --force is given.",
          "--force", 3, 3, "argument", true },
        { "import-mid", "vesk import-mid IN.mid FILE.vsk SLOT [--track N] [--bar N] [--channel C]",
          "Reads the notes of IN.mid into the steps of the pattern in SLOT (temp or 1 to 20), with the file's tempo, and prints what was imported. The pattern's type and sound stay. --track N reads track N (from 1) instead of the first track with notes; --bar N starts at bar N (from 1, past a count-in or an intro); --channel C takes only the notes on channel C (1 to 16). A Rythm pattern takes channel 10 when the track has notes there and no channel is given. IN.mid is never changed; one over 4 MiB is refused unread.",
          "--track --bar --channel", 3, 3, "argument", true },
        { "transform", "vesk transform FILE.vsk SLOT OP [ARG] [--seed S] [--lock LANES]",
          "Changes the played steps of the pattern in SLOT (temp or 1 to 20). OP is rotate N (positive: later; the steps wrap), reverse, transpose N (semitones; notes stop at 0 and 127), double (bar 1 copied into bar 2 of a one-bar pattern), clear (every step a Rest; on a Rythm pattern empty), humanize AMOUNT (levels and gates moved by up to AMOUNT), randomize or mutate PERCENT (that share of the steps changed a little). humanize, randomize and mutate print their seed; --seed S makes that result again. --lock LANES keeps lanes as they are: note, level, gate, type, joined by commas. randomize and mutate take --scale chromatic|major|minor|minor-pentatonic and --root C..B; randomize --density PERCENT of the steps that sound (75).",
          "--seed --lock --scale --root --density", 0, -1, "argument", true },
        { "generate", "vesk generate FILE.vsk SLOT euclid HITS STEPS [--rotate R] [--note N]",
          "Spreads HITS as evenly as possible over a cycle of STEPS, repeated over the played steps of the pattern in SLOT: hits become Normal steps, the others Rests (on a Rythm pattern closed hits and empty steps). STEPS is at most the steps the pattern plays, HITS at most STEPS. --rotate R moves the cycle R steps later; --note N (0 to 127) gives the hits that note, else they keep theirs.",
          "--rotate --note", 0, -1, "argument", true },
        { "set", "vesk set FILE.vsk SLOT FIELD VALUE [--raw]",
          "Sets one field of the pattern in SLOT (temp or 1 to 20), or of the system block with SLOT system. FIELD is named as vesk show --json names it, or tempo; step fields as \"stepNote 3\" or stepNote3. VALUE is written as vesk show shows it (a unit such as BPM may be left out; a list item by its name, such as Rythm), or as the stored byte (0 to 127; the tempo in tenths of a beat) with --raw. A value out of range, an unknown field or item changes nothing.",
          "--raw", 0, -1, "argument", true },
        { "get", "vesk get FILE.vsk SLOT FIELD [--raw]",
          "Prints one field of the pattern in SLOT (or of the system block) as vesk show shows it, or its stored value with --raw.",
          "--raw", 0, -1, "argument", true },
        { "collection add", "vesk collection add PATH...",
          "Adds the patterns of library (.vsk) and .syx files to the collection, and of every such file under a folder, however deep. Prints how many different patterns were new to the collection and how many it held already, each counted once however many files hold it, and names the links followed out of the folders given. A damaged file or one that cannot be read is named on stderr and the others still go in; the exit status is then 1, as it is when no file could be taken in at all. The system's own folders (/proc, /sys, /dev) are never read. All is kept or nothing: when the collection cannot take it all (a full disk), or the summary cannot be printed, the collection stays as it was. A PATH that does not exist adds nothing at all.",
          "--collection", 1, INT_MAX, "argument", false },
        { "collection search", "vesk collection search [TEXT] [--type TYPE] [--tag TAG] [--favourite] [--limit N] [--json]",
          "Lists the patterns whose names, tags, comments or source file names have words beginning with each word of TEXT, in any case; --type (Lead, Bass, Rythm, ...), --tag (a whole tag) and --favourite narrow it. At most N (50) patterns are listed, and the total of all that match. --json writes one object with total and patterns.",
          "--collection --type --tag --favourite --limit --json", 0, INT_MAX, "argument", false },
        { "collection show", "vesk collection show ID [--json]",
          "Shows the pattern with that ID (or a unique prefix of at least 6 of its digits) and every place it was seen: library and .syx files and their slots, Get Alls, MIDI file imports, with the times.",
          "--collection --json", 1, 1, "argument", false },
        { "collection put", "vesk collection put ID FILE.vsk SLOT",
          "Puts the pattern into SLOT (temp or 1 to 20) of FILE.vsk: the whole pattern, its type included. Nothing else in FILE.vsk changes.",
          "--collection", 3, 3, "argument", true },
        { "collection name", "vesk collection name ID TEXT",
          "Gives the pattern a name of your own. An empty TEXT (\"\") names it after the first place it was seen again.",
          "--collection", 2, INT_MAX, "argument", false },
        { "collection tag", "vesk collection tag ID TAG...",
          "Adds the tags to the pattern.",
          "--collection", 2, INT_MAX, "argument", false },
        { "collection untag", "vesk collection untag ID TAG...",
          "Takes the tags off the pattern.",
          "--collection", 2, INT_MAX, "argument", false },
        { "collection favourite", "vesk collection favourite ID [--off]",
          "Marks the pattern as a favourite; --off takes the mark away.",
          "--collection --off", 1, 1, "argument", false },
        { "collection check", "vesk collection check",
          "Checks the collection's database: its integrity and its schema. Exit status 0 when it is sound, 1 when not; the file is only read.",
          "--collection", 0, 0, "argument", false },
    };

    // The one table of exit codes: every command keeps to it.
    const char* const exitStatusHelp =
        "Exit status:\n"
        "  0  done (diff: the libraries are the same)\n"
        "  1  failed: a file could not be read, written or replaced, or the output\n"
        "     could not be printed; one line on stderr says why, and no file was\n"
        "     changed (diff: the libraries differ; collection: also a collection\n"
        "     that cannot be opened or written, a damaged file among those added,\n"
        "     or a check that finds the collection unsound)\n"
        "  2  wrong usage: no or an unknown command, an unknown option, an option\n"
        "     given twice or a wrong number of files (diff: also any failure; copy,\n"
        "     swap, init, export-mid and import-mid: also a slot other than temp or\n"
        "     1 to 20, or a file that does not exist, cannot be read or does not\n"
        "     hold that slot; export-mid and import-mid: also a pattern without\n"
        "     notes, a MIDI file that cannot be read, or an OUT.mid that exists;\n"
        "     import-mid: also a bar or channel that is none or has no notes;\n"
        "     transform, generate, set and get: also a number, field, item or\n"
        "     value out of range or unknown, or a tool that cannot be done, and\n"
        "     the file is left byte for byte as it was; collection: also an\n"
        "     unknown, ambiguous or malformed pattern ID, or a PATH to add that\n"
        "     does not exist)\n";
}

const std::vector<VeskCommand>& VeskCommands::all() { return commandTable; }

const std::vector<VeskOption>& VeskCommands::options() { return optionTable; }

const VeskCommand* VeskCommands::find (const juce::String& name)
{
    for (auto& c : commandTable)
        if (name == c.name)
            return &c;

    return nullptr;
}

const VeskOption* VeskCommand::option (const juce::String& optionName) const
{
    if (! optionNames().contains (optionName))
        return nullptr;

    for (auto& o : optionTable)
        if (optionName == o.name)
            return &o;

    return nullptr;
}

juce::StringArray VeskCommand::optionNames() const
{
    return juce::StringArray::fromTokens (options, false);
}

bool VeskCommand::isCollection() const
{
    return juce::String (name).startsWith ("collection ");
}

//==============================================================================
void VeskCommands::printHelp (std::ostream& stream, const VeskCommand& command)
{
    // Every collection command takes --collection; its usage line in the lists leaves it out.
    stream << "Usage: " << command.usage << (command.isCollection() ? " [--collection FILE]" : "") << "\n\n"
           << command.summary << "\n";
}

void VeskCommands::printHelp (std::ostream& stream, const juce::String& name)
{
    if (name == "collection")
    {
        printCollectionOverview (stream);
        return;
    }

    if (auto* command = find (name); command != nullptr && ! command->isCollection())
    {
        printHelp (stream, *command);
        return;
    }

    stream << "vesk: librarian for the Vesk groovebox's library files (.vsk) and sysex files (.syx)\n\n"
           << "Usage:\n";

    for (auto& c : commandTable)
        stream << "  " << c.usage << "\n";

    stream << "  vesk --version\n\n"
           << "vesk COMMAND --help tells more about a command. \"--\" ends the options:\n"
           << "what follows it are file names, even those that begin with \"-\".\n\n"
           << "Files are written whole or not at all: a write that fails (a full disk,\n"
           << "a read-only file) leaves the old file as it was. A command prints what\n"
           << "it has to say before it writes, and one whose result is the file as it\n"
           << "is writes nothing and says so.\n\n"
           << "The collection commands work on the collection's database\n"
           << "(vesk collection --help tells where it is); each takes\n"
           << "--collection FILE to name another.\n\n"
           << exitStatusHelp;
}

void VeskCommands::printCollectionOverview (std::ostream& stream)
{
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

    for (auto& c : commandTable)
        if (c.isCollection())
            stream << "  " << c.usage << "\n";
}
