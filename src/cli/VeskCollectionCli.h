#pragma once

#include "collection/CollectionFolderImport.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <optional>
#include <ostream>

class VeskCliOutput;
struct VeskArguments;

/**
    vesk collection ...: adds libraries, .syx files and folders to the
    collection, searches it, shows a pattern and where it was seen, edits the
    user's own data and puts a pattern into a library slot.

    Words its own messages and leaves output, exit statuses and library writes
    to VeskCliOutput, so every command keeps vesk's promises: one
    line on err per failure, output checked, a library written whole through
    the one writer or not at all.
*/
class VeskCollectionCli
{
public:
    explicit VeskCollectionCli (VeskCliOutput& cli);
    ~VeskCollectionCli();

    /** Runs what follows "collection" on the command line. */
    int run (const juce::StringArray& args);

    /** The overview (no or an unknown subcommand) or one command's help. */
    static void printHelp (std::ostream& stream, const juce::String& subcommand);

private:
    int openStore (const VeskArguments& options, CollectionStore::Mode mode);
    juce::File databaseFile (const VeskArguments& options) const;

    int add (const juce::StringArray& paths);
    static juce::String summary (const CollectionFolderImport::Report& report);
    /** The query the options ask for; a usage error (said on err) when they ask for none. */
    int makeQuery (const VeskArguments& options, CollectionQuery& query);
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
    static juce::String shortId (const juce::String& id);

    VeskCliOutput& cli;
    std::unique_ptr<CollectionStore> store;
    juce::String subcommand;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskCollectionCli)
};
