#pragma once

#include "collection/CollectionFolderImport.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <optional>
#include <ostream>

class VeskCli;

/**
    vesk collection ...: adds libraries, .syx files and folders to the
    collection, searches it, shows a pattern and where it was seen, edits the
    user's own data and puts a pattern into a library slot.

    Words its own messages and leaves output, exit statuses and library writes
    to the VeskCli it runs in, so every command keeps vesk's promises: one
    line on err per failure, output checked, a library written whole through
    the one writer or not at all.
*/
class VeskCollectionCli
{
public:
    explicit VeskCollectionCli (VeskCli& cli);
    ~VeskCollectionCli();

    /** Runs what follows "collection" on the command line. */
    int run (const juce::StringArray& args);

    /** The usage lines of every collection command, for vesk --help. */
    static void printUsages (std::ostream& stream);

    /** The overview (no or an unknown subcommand) or one command's help. */
    static void printHelp (std::ostream& stream, const juce::String& subcommand);

private:
    struct Options
    {
        juce::StringArray words; // what is not an option: IDs, paths, text, tags
        std::optional<juce::String> database, type, tag, limit;
        bool json = false, favouriteOnly = false, off = false;
    };

    int parse (const juce::StringArray& args, const juce::String& subcommand, Options& options);
    int openStore (const Options& options, CollectionStore::Mode mode);
    juce::File databaseFile (const Options& options) const;

    int add (const juce::StringArray& paths);
    static juce::String summary (const CollectionFolderImport::Report& report);
    /** The query the options ask for; a usage error (said on err) when they ask for none. */
    int makeQuery (const Options& options, CollectionQuery& query);
    int search (const CollectionQuery& query, bool json);
    int show (const juce::String& id, bool json);
    int put (const juce::StringArray& words);
    int name (const juce::String& id, const juce::String& text);
    int tag (const juce::String& id, const juce::StringArray& tags, bool adding);
    int favourite (const juce::String& id, bool on);
    int check();

    /** The pattern an ID or prefix names; empty (said on err) when there is
        none, status then holds the exit status. */
    std::optional<CollectionPattern> lookUp (const juce::String& id, int& status);
    /** Changes the pattern an ID names, says what it now is (describeDone,
        on out) or why not (on err), and keeps the change only once said;
        returns the exit status. */
    int edit (const juce::String& id,
              const std::function<CollectionEdit (const juce::String& fullId)>& change,
              const std::function<juce::String (const CollectionPattern& now)>& describeDone);
    int failed (const CollectionProblem& problem);

    static juce::String describe (const CollectionProblem& problem);
    static juce::String typeName (const CollectionPattern& pattern);
    static juce::String shortId (const juce::String& id) { return id.substring (0, 12); }

    VeskCli& cli;
    std::unique_ptr<CollectionStore> store;
    juce::String subcommand;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskCollectionCli)
};
