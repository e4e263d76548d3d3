#pragma once

#include "model/VeskBlock.h"
#include "model/VeskPattern.h"

#include <juce_core/juce_core.h>

#include <array>
#include <optional>
#include <vector>

// The values the collection's store takes and gives back.

/** Where a pattern was seen. The numbers are stored: never renumber them. */
enum class CollectionSource
{
    library = 0, // a library file opened, saved or added
    syx = 1, // a .syx file imported or added
    getAll = 2, // the unit's memory, read by Get All
    midiImport = 3 // a pattern made from a MIDI file
};

using CollectionBytes = VeskPattern::Record;

/** One pattern seen in one place: what goes in, and what sightings() gives back. */
struct CollectionSighting
{
    CollectionSource source = CollectionSource::library;
    juce::String sourcePath; // the file's full path; empty for a Get All
    VeskBlock slot = VeskBlock::temporary();
    juce::int64 timeMs = 0; // milliseconds since 1970 (juce::Time::currentTimeMillis)
    CollectionBytes bytes {};

    // Filled in when read back: the pattern's id, and when this slot last
    // still held it (repeated sightings of one slot holding one pattern are
    // one row, from timeMs to lastTimeMs).
    juce::String patternId;
    juce::int64 lastTimeMs = 0;

    /** The sightings of an image's pattern records (all 21, or only the given
        blocks), one per record. */
    static std::vector<CollectionSighting> fromImage (CollectionSource source,
                                                      const juce::String& sourcePath,
                                                      const juce::uint8* image,
                                                      juce::int64 timeMs,
                                                      const std::vector<VeskBlock>& blocks = VeskBlock::patterns());
};

/** Why the store could not do something, as a value the app and vesk word. */
struct CollectionProblem
{
    enum class Kind
    {
        none,
        diskFull, // the write was rolled back; the collection is as it was
        busy, // another copy held the file past the busy timeout
        readOnly, // the file or its folder cannot be written
        damaged, // the file is not a (sound) collection
        cannotOpen, // the folder or file cannot be made or opened
        newerSchema, // written by a later VeskEdit: left untouched
        notCollection, // not a collection of ours (a library, text, another program's database): left untouched; detail says what it is
        notPrivate, // file (the folder, the database or one beside it) is a link, another user's or open to others' writes: not used; detail says which
        other
    };

    Kind kind = Kind::none;
    juce::String detail; // SQLite's or the system's own words, for the message's tail (one line)
    juce::File file;

    bool failed() const noexcept { return kind != Kind::none; }
};

/** One pattern as the collection holds it. */
struct CollectionPattern
{
    juce::String id; // 64 lower-case hex digits: SHA-256 of the 159 bytes
    CollectionBytes bytes {};

    juce::String name; // the user's own, or named after the first sighting ("Set1 User 03")
    bool hasOwnName = false;
    juce::StringArray tags; // in the order of their text, case kept
    bool favourite = false;
    int rating = 0; // 0 (none) to 5
    juce::String comment;

    int type = 0; // VeskImage::PartType
    int toneOrKit = 0;
    int tempo = 0; // tenths of a beat per minute
    int bars = 1; // 1 or 2 on a record the unit made
    int stepsPerBar = 16; // 12 or 16

    int seen = 0; // number of sightings
    juce::int64 firstSeenMs = 0;
    juce::int64 lastSeenMs = 0;

    juce::String playId; // 16 hex digits: equal for patterns that play the same
};

/** A search: every part that is set narrows it. */
struct CollectionQuery
{
    enum class Sort
    {
        name, // A to Z, any case
        lastSeen, // most recent first
        tempo, // slowest first
        type // in VeskImage::PartType's order, then by name
    };

    juce::String text; // words, each a prefix of a word of a name, tag, comment or source file name; any case
    std::optional<int> type;
    std::optional<int> toneOrKit;
    std::optional<int> tempoMin; // tenths, inclusive
    std::optional<int> tempoMax;
    std::optional<int> bars; // 1 or 2
    std::optional<int> stepsPerBar; // 12 or 16
    bool favouriteOnly = false;
    juce::String tag; // a whole tag, any case

    Sort sort = Sort::name;
    bool reverse = false; // the other way round
    int limit = 50;
    int offset = 0;
};

/** One page of a search's answer. */
struct CollectionPage
{
    int total = 0; // all that match
    std::vector<CollectionPattern> patterns; // at most the query's limit
    CollectionProblem problem;
    bool interrupted = false; // stopped part way, as asked: no answer at all
};

/** What an add did. */
struct CollectionAddReport
{
    int added = 0; // patterns new to the collection
    int alreadyThere = 0; // patterns it held before
    int sightings = 0; // sightings recorded (a slot seen again holding the same pattern is not a new one)
    std::vector<juce::int64> addedRows, heldRows; // the patterns counted, by row, so that adds in turn count each once
    CollectionProblem problem; // on failure nothing of the add was kept

    bool ok() const noexcept { return ! problem.failed(); }
};

/** What an ID or prefix names. */
struct CollectionLookup
{
    enum class Outcome
    {
        found,
        unknown, // nothing has that ID
        ambiguous, // more than one pattern starts with the prefix
        invalid // not hex, or shorter than minimumPrefix digits
    };

    Outcome outcome = Outcome::unknown;
    std::optional<CollectionPattern> pattern;
    juce::StringArray candidates; // for an ambiguous prefix: some of the IDs it matches
    CollectionProblem problem;

    static constexpr int minimumPrefix = 6;
};

/** What a change of the user's data did. */
struct CollectionEdit
{
    enum class Outcome
    {
        changed,
        unchanged, // it already was so
        unknownPattern,
        badValue, // a rating outside 0-5, an empty or over-long tag, a name or comment too long
        failed // see problem
    };

    Outcome outcome = Outcome::changed;
    CollectionProblem problem;

    static constexpr int maxTextLength = 4096;
    static constexpr int maxTagLength = 64;
};

/** A pattern that plays close to another one. */
struct CollectionSimilar
{
    CollectionPattern pattern;
    int onsetDistance = 0; // steps whose onset differs, at the best rotation
    int rotation = 0; // steps the candidate was rotated by to match best
    bool samePlay = false; // it plays exactly the same (equal playId)
};

/** What check() found. */
struct CollectionCheck
{
    bool ok = false;
    int schemaVersion = 0;
    int patterns = 0;
    int sightings = 0;
    juce::StringArray problems; // integrity_check's lines, or what is wrong with the schema
};
