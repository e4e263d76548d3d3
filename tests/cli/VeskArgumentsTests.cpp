// vesk's one table of commands and the one reader of their arguments: what
// every command says of an option given wrong, and the help the table makes.

#include "CliTest.h"
#include "cli/VeskArguments.h"
#include "collection/CollectionProblems.h"
#include "model/Plural.h"

#include <algorithm>

namespace
{
    using Outcome = VeskArguments::Outcome;

    VeskArguments parse (const VeskCommand& command, const juce::StringArray& args)
    {
        return VeskArguments::parse (command, args);
    }

    /** The words a command takes at the least, so that only the options are in question. */
    juce::StringArray enoughWords (const VeskCommand& command)
    {
        juce::StringArray words;

        for (int i = 0; i < command.minWords; ++i)
            words.add ("w" + juce::String (i));

        return words;
    }

    juce::StringArray operator+ (juce::StringArray first, const juce::StringArray& then)
    {
        first.addArray (then);
        return first;
    }

    const VeskOption& optionNamed (const juce::String& name)
    {
        for (auto& o : VeskCommands::options())
            if (name == o.name)
                return o;

        ADD_FAILURE() << name;
        return VeskCommands::options().front();
    }
}

TEST (VeskArguments, EveryOptionReachesItsCommandWithItsValueEvenANegativeNumber)
{
    for (auto& command : VeskCommands::all())
    {
        for (auto& name : command.optionNames())
        {
            SCOPED_TRACE (juce::String (command.name) + " " + name);
            const auto& option = optionNamed (name);
            auto args = enoughWords (command);
            args.add (name);

            if (option.needs != nullptr)
                args.add ("-1");

            const auto parsed = parse (command, args);
            ASSERT_EQ (parsed.outcome, Outcome::run) << parsed.problem;
            EXPECT_TRUE (parsed.has (name));
            EXPECT_EQ (parsed.words, enoughWords (command));
            EXPECT_EQ (parsed.value (name), option.needs != nullptr ? std::optional<juce::String> ("-1") : std::nullopt);
        }
    }
}

TEST (VeskArguments, EveryCommandSaysTheSameOfAnOptionGivenWrong)
{
    int valueOptions = 0;

    for (auto& command : VeskCommands::all())
    {
        SCOPED_TRACE (command.name);
        const auto words = enoughWords (command);

        // An option of no command, and one of another command, are unknown here.
        auto unknown = words;
        unknown.add ("--no-such");
        EXPECT_EQ (parse (command, unknown).problem, "unknown option '--no-such'");

        for (auto& option : VeskCommands::options())
        {
            if (command.option (option.name) == nullptr)
            {
                EXPECT_EQ (parse (command, juce::StringArray (option.name)).problem, "unknown option '" + juce::String (option.name) + "'");
                continue;
            }

            if (option.needs == nullptr)
            {
                // A switch given twice is the same switch.
                EXPECT_EQ (parse (command, words + juce::StringArray (option.name, option.name)).outcome, Outcome::run);
                continue;
            }

            ++valueOptions;
            const juce::String name (option.name);

            // Last, without its value; or with an empty one.
            auto last = words;
            last.add (name);
            EXPECT_EQ (parse (command, last).problem, name + " needs " + option.needs);
            EXPECT_EQ (parse (command, last + juce::StringArray ("")).problem, name + " needs " + option.needs);

            // Twice: the second would win over the first without a word.
            auto twice = words;
            twice.addArray ({ name, "1", name, "2" });
            EXPECT_EQ (parse (command, twice).problem, name + " is given twice");
            EXPECT_EQ (parse (command, twice).outcome, Outcome::wrong);

            // What follows is its value, whatever it looks like.
            auto dashed = words;
            dashed.addArray ({ name, "--help" });
            EXPECT_EQ (parse (command, dashed).value (name), juce::String ("--help"));
        }
    }

    EXPECT_GE (valueOptions, 10);
}

TEST (VeskArguments, ANegativeNumberIsAWordWhereACommandTakesNumbersAndSlots)
{
    for (auto& command : VeskCommands::all())
    {
        SCOPED_TRACE (command.name);
        const auto parsed = parse (command, enoughWords (command) + juce::StringArray ("-1"));

        if (command.numbersAreWords)
        {
            EXPECT_TRUE (parsed.words.contains ("-1")) << parsed.problem;
        }
        else
        {
            EXPECT_EQ (parsed.problem, "unknown option '-1'");
        }
    }

    // What is not a number stays an option everywhere.
    const auto& transform = *VeskCommands::find ("transform");
    EXPECT_EQ (parse (transform, { "lib.vsk", "1", "rotate", "-1x" }).problem, "unknown option '-1x'");
    EXPECT_EQ (parse (transform, { "lib.vsk", "1", "rotate", "+3" }).words, juce::StringArray ({ "lib.vsk", "1", "rotate", "+3" }));
    EXPECT_TRUE (VeskArguments::isNumber ("-20") && VeskArguments::isNumber ("7"));
    EXPECT_FALSE (VeskArguments::isNumber ("--1") || VeskArguments::isNumber ("-") || VeskArguments::isNumber ("1-2") || VeskArguments::isNumber (""));
}

TEST (VeskArguments, DoubleDashEndsTheOptionsAndHelpStopsAtTheFirstProblem)
{
    const auto& show = *VeskCommands::find ("show");
    const auto ended = parse (show, { "--", "--json" });
    EXPECT_EQ (ended.outcome, Outcome::run);
    EXPECT_EQ (ended.words, juce::StringArray ("--json"));
    EXPECT_FALSE (ended.has ("--json"));
    EXPECT_EQ (parse (show, { "-" }).words, juce::StringArray ("-"));
    EXPECT_EQ (parse (show, { "--", "--", "x" }).problem, "show takes 1 file, got 2");

    // Read in order: help before a wrong option is help, after it the problem.
    EXPECT_EQ (parse (show, { "--help", "--bad" }).outcome, Outcome::help);
    EXPECT_EQ (parse (show, { "-h" }).outcome, Outcome::help);
    EXPECT_EQ (parse (show, { "--bad", "--help" }).problem, "unknown option '--bad'");
    EXPECT_EQ (parse (show, { "--", "--help" }).words, juce::StringArray ("--help"));
}

TEST (VeskArguments, TheNumberOfWordsIsCountedAsEachCommandTakesThem)
{
    const auto& add = *VeskCommands::find ("collection add");
    EXPECT_EQ (parse (add, {}).problem, "collection add takes at least 1 argument, got 0");
    EXPECT_EQ (parse (add, { "a", "b", "c" }).outcome, Outcome::run);
    EXPECT_EQ (parse (*VeskCommands::find ("copy"), { "lib.vsk", "1" }).problem, "copy takes 3 arguments, got 2");
    EXPECT_EQ (parse (*VeskCommands::find ("diff"), { "a", "b", "c" }).problem, "diff takes 2 files, got 3");
    EXPECT_EQ (parse (*VeskCommands::find ("collection check"), { "x" }).problem, "collection check takes 0 arguments, got 1");

    // The tools count their own: each operation takes its own words.
    EXPECT_EQ (parse (*VeskCommands::find ("transform"), {}).outcome, Outcome::run);
}

TEST_F (Cli, EveryCommandInTheTableHasHelpThatNamesItsOptions)
{
    juce::StringArray names;
    ASSERT_EQ (run ({ "--help" }), 0);
    const juce::String overview (out.str());

    for (auto& command : VeskCommands::all())
    {
        const juce::String name (command.name);
        SCOPED_TRACE (name);
        EXPECT_FALSE (names.contains (name));
        names.add (name);
        EXPECT_TRUE (overview.contains ("  " + juce::String (command.usage) + "\n"));

        // As a person asks for it: "vesk copy --help", "vesk collection add -h".
        auto args = juce::StringArray::fromTokens (name, false);
        args.add (name.hashCode() % 2 == 0 ? "--help" : "-h");
        ASSERT_EQ (run (args), VeskCli::exitOk) << err.str();
        const juce::String help (out.str());
        EXPECT_TRUE (help.startsWith ("Usage: " + juce::String (command.usage))) << help;
        EXPECT_GT (juce::String (command.summary).length(), 20);
        EXPECT_TRUE (help.contains (command.summary));
        EXPECT_TRUE (err.str().empty());

        for (auto& option : command.optionNames())
            EXPECT_TRUE (help.contains (option)) << option;

        // Every option its usage line shows is one it takes.
        for (auto& word : juce::StringArray::fromTokens (command.usage, " []|", ""))
            EXPECT_TRUE (! word.startsWith ("--") || command.option (word) != nullptr) << word;
    }

    // No option in the table that no command takes.
    for (auto& option : VeskCommands::options())
        EXPECT_TRUE (std::any_of (VeskCommands::all().begin(), VeskCommands::all().end(), [&option] (auto& c)
                                  { return c.option (option.name) != nullptr; }))
            << option.name;
}

TEST_F (CliWrites, AMistakeInTheArgumentsIsOneLineWhateverTheCommand)
{
    const auto before = everyFile();

    const std::pair<const char*, const char*> cases[] = {
        { "copy lib.vsk -1 2", "'-1' is not a slot: temp or 1 to 20 (see vesk copy --help)" },
        { "import-mid tune.mid lib.vsk 3 --bar -1", "'-1' is not a bar" },
        { "import-mid tune.mid lib.vsk 3 --channel -1", "'-1' is not a channel" },
        { "generate lib.vsk 3 euclid 3 8 --note -1", "'-1' is not a note: 0 to 127" },
        { "transform lib.vsk 3 randomize --density -1", "'-1' is not a value of --density: 0 to 100" },
        { "transform lib.vsk 3 humanize 5 --seed -1", "'-1' is not a seed" },
        { "set lib.vsk 3 level -1", "'-1' is not a value of level" },
        { "collection search --limit -1", "--limit takes a number from 0" },
        { "collection put abcdef lib.vsk -1", "'-1' is not a slot" },
        { "collection search --limit", "--limit needs a number (see vesk collection search --help)" },
        { "collection search --type Lead --type Bass", "--type is given twice (see vesk collection search --help)" },
        { "collection --collection", "--collection needs a file (see vesk collection --help)" },
        { "transform lib.vsk 3 humanize 5 --seed", "--seed needs a number (see vesk transform --help)" },
        { "set lib.vsk 3 level 1 --raw --raw --bogus", "unknown option '--bogus' (see vesk set --help)" },
        { "new lib.vsk -1", "unknown option '-1' (see vesk new --help)" },
        { "collection show abcdef --off", "unknown option '--off' (see vesk collection show --help)" },
    };

    for (const auto& [line, message] : cases)
    {
        SCOPED_TRACE (line);
        EXPECT_EQ (run (argsOf (line)), VeskCli::exitUsage);
        const auto text = err.str();
        EXPECT_TRUE (says (message) && std::count (text.begin(), text.end(), '\n') == 1) << text;
        EXPECT_TRUE (out.str().empty());
        EXPECT_TRUE (everyFile() == before);
    }

    // A negative number where it is meant: rotating a step earlier.
    EXPECT_EQ (run (argsOf ("transform lib.vsk 7 rotate -1")), VeskCli::exitOk) << err.str();
    EXPECT_TRUE (lines().joinIntoString ("\n").contains ("rotated by -1 steps")) << out.str();
}

TEST (Plural, ACountAndItsNounAsEveryMessageWritesThem)
{
    EXPECT_EQ (plural (1, "file"), "1 file");
    EXPECT_EQ (plural (0, "file"), "0 files");
    EXPECT_EQ (plural (2, "entry", "entries"), "2 entries");
    EXPECT_EQ (plural (1, "entry", "entries"), "1 entry");
    EXPECT_EQ (plural (-1, "step"), "-1 steps");
    EXPECT_EQ (plural (1024, "byte"), "1,024 bytes");
}

TEST (CollectionProblems, EachProblemIsOneLineSaidOfTheFile)
{
    using Kind = CollectionProblem::Kind;
    juce::StringArray said;

    for (auto kind : { Kind::diskFull, Kind::busy, Kind::readOnly, Kind::damaged, Kind::cannotOpen, Kind::newerSchema, Kind::other })
    {
        const auto text = CollectionProblems::describe ({ kind, {}, {} });
        EXPECT_TRUE (text.isNotEmpty() && ! said.contains (text)) << text;
        EXPECT_FALSE (text.containsChar ('\n') || text.endsWithChar ('.')) << text;
        said.add (text);

        // SQLite's own words come last, in brackets.
        EXPECT_EQ (CollectionProblems::describe ({ kind, "disk I/O error", {} }), text + " (disk I/O error)");
    }

    // What the file is, in its own words, and what became of it.
    EXPECT_EQ (CollectionProblems::describe ({ Kind::notCollection, "is a library file, not a collection", {} }),
               "is a library file, not a collection; left as it is");
    EXPECT_EQ (CollectionProblems::describe ({ Kind::notPrivate, "belongs to another user (bob)", {} }), "belongs to another user (bob); not used");
    EXPECT_TRUE (CollectionProblems::describe ({}).isEmpty());
}
