// The collection commands about patterns: search, show, put and the edits of
// the user's own data.
#include "VeskCli.h"
#include "VeskCollectionCli.h"
#include "collection/CollectionSearchIndex.h"
#include "model/VeskNames.h"

namespace
{
    const char* sourceName (CollectionSource source)
    {
        switch (source)
        {
            case CollectionSource::library: return "library";
            case CollectionSource::syx: return "syx";
            case CollectionSource::getAll: return "get-all";
            case CollectionSource::midiImport: return "midi-import";
        }

        return "?";
    }

    juce::String timeText (juce::int64 ms) { return juce::Time (ms).formatted ("%Y-%m-%d %H:%M:%S"); }

    juce::var tagsJson (const juce::StringArray& tags)
    {
        juce::Array<juce::var> list;

        for (auto& t : tags)
            list.add (t);

        return list;
    }

    /** A part type as its name, any case, spaces left out: "bass", "LineIn". */
    std::optional<int> parseType (const juce::String& text)
    {
        const auto& types = VeskNames::partTypes();

        for (int i = 0; i < types.size(); ++i)
            if (types[i].removeCharacters (" ").equalsIgnoreCase (text.removeCharacters (" -")))
                return i;

        return std::nullopt;
    }

    constexpr int maxLimit = 100000;
}

juce::String VeskCollectionCli::typeName (const CollectionPattern& pattern)
{
    return VeskPattern (pattern.bytes).typeName();
}

//==============================================================================
int VeskCollectionCli::makeQuery (const Options& options, CollectionQuery& query)
{
    const auto where = juce::String ("collection search");
    query.text = options.words.joinIntoString (" ");
    query.favouriteOnly = options.favouriteOnly;
    query.tag = options.tag.value_or (juce::String());

    if (options.type.has_value())
    {
        query.type = parseType (*options.type);

        if (! query.type.has_value())
            return cli.usageError ("'" + *options.type + "' is not a pattern type: " + VeskNames::partTypes().joinIntoString (", "), where);
    }

    if (options.limit.has_value())
    {
        const auto& text = *options.limit;

        if (! text.containsOnly ("0123456789") || text.length() > 6 || text.getIntValue() > maxLimit)
            return cli.usageError ("--limit takes a number from 0 to " + juce::String (maxLimit) + ", not '" + text + "'", where);

        query.limit = text.getIntValue();
    }

    return VeskCli::exitOk;
}

int VeskCollectionCli::search (const CollectionQuery& query, bool json)
{
    const auto where = juce::String ("collection search");
    const auto page = store->search (query);

    if (page.problem.failed())
        return failed (page.problem);

    // On stderr, so that what stdout gives a script stays the same.
    if (CollectionSearchIndex::words (query.text).cut)
        cli.report (where, CollectionSearchIndex::cutMessage());

    juce::String text;

    if (json)
    {
        juce::Array<juce::var> patterns;

        for (auto& p : page.patterns)
        {
            auto* object = new juce::DynamicObject();
            object->setProperty ("id", p.id);
            object->setProperty ("name", p.name);
            object->setProperty ("type", typeName (p));
            object->setProperty ("tempo", VeskPattern::bpm (p.tempo));
            object->setProperty ("tags", tagsJson (p.tags));
            object->setProperty ("favourite", p.favourite);
            object->setProperty ("seen", p.seen);
            patterns.add (juce::var (object));
        }

        auto* root = new juce::DynamicObject();
        juce::var document (root);
        root->setProperty ("total", page.total);
        root->setProperty ("patterns", patterns);
        text = juce::JSON::toString (document) + "\n";
    }
    else
    {
        for (auto& p : page.patterns)
        {
            text << shortId (p.id) << "  " << typeName (p).paddedRight (' ', 8)
                 << (VeskPattern::bpmText (p.tempo) + " BPM").paddedLeft (' ', 9) << "  " << (p.favourite ? "* " : "  ") << p.name;

            if (! p.tags.isEmpty())
                text << "  [" << p.tags.joinIntoString (", ") << "]";

            text << "  (seen " << juce::String (p.seen) << ")\n";
        }

        if (page.total == 0)
            text << "no pattern matches\n";
        else
            text << juce::String ((int) page.patterns.size()) << " of " << juce::String (page.total)
                 << (page.total == 1 ? " matching pattern\n" : " matching patterns\n");
    }

    return cli.print (text) ? VeskCli::exitOk : VeskCli::exitFailed;
}

//==============================================================================
int VeskCollectionCli::show (const juce::String& id, bool json)
{
    int status = VeskCli::exitOk;
    const auto pattern = lookUp (id, status);

    if (! pattern.has_value())
        return status;

    const auto& p = *pattern;
    const auto seen = store->sightings (p.id);
    juce::String text;

    if (json)
    {
        auto* root = new juce::DynamicObject();
        juce::var document (root);
        root->setProperty ("id", p.id);
        root->setProperty ("name", p.name);
        root->setProperty ("ownName", p.hasOwnName);
        root->setProperty ("type", typeName (p));
        root->setProperty ("tempo", VeskPattern::bpm (p.tempo));
        root->setProperty ("bars", p.bars);
        root->setProperty ("stepsPerBar", p.stepsPerBar);
        root->setProperty ("tags", tagsJson (p.tags));
        root->setProperty ("favourite", p.favourite);
        root->setProperty ("rating", p.rating);
        root->setProperty ("comment", p.comment);
        root->setProperty ("seen", p.seen);
        root->setProperty ("playId", p.playId);
        root->setProperty ("raw", juce::String::toHexString (p.bytes.data(), (int) p.bytes.size(), 0));

        juce::Array<juce::var> sightings;

        for (auto& s : seen)
        {
            auto* object = new juce::DynamicObject();
            object->setProperty ("source", sourceName (s.source));
            object->setProperty ("file", s.sourcePath);
            object->setProperty ("slot", s.slot.name());
            object->setProperty ("first", juce::Time (s.timeMs).toISO8601 (true));
            object->setProperty ("last", juce::Time (juce::jmax (s.timeMs, s.lastTimeMs)).toISO8601 (true));
            sightings.add (juce::var (object));
        }

        root->setProperty ("sightings", sightings);
        text = juce::JSON::toString (document) + "\n";
    }
    else
    {
        auto row = [&text] (const char* label, const juce::String& value)
        { text << "  " << juce::String (label).paddedRight (' ', 12) << value << "\n"; };

        text << "Pattern " << p.id << "\n";
        row ("name", p.name + (p.hasOwnName ? juce::String() : juce::String (" (after where it was first seen)")));
        row ("type", typeName (p));
        row ("tempo", VeskPattern::bpmText (p.tempo) + " BPM");
        row ("length", juce::String (p.bars) + (p.bars == 1 ? " bar of " : " bars of ") + juce::String (p.stepsPerBar) + " steps");
        row ("tags", p.tags.isEmpty() ? juce::String ("none") : p.tags.joinIntoString (", "));
        row ("favourite", p.favourite ? "yes" : "no");
        row ("rating", juce::String (p.rating));

        if (p.comment.isNotEmpty())
            row ("comment", p.comment);

        row ("plays as", p.playId);
        text << "\nSeen " << (seen.size() == 1 ? juce::String ("once") : juce::String ((int) seen.size()) + " times") << "\n";

        for (auto& s : seen)
        {
            text << "  " << timeText (s.timeMs);

            if (s.lastTimeMs > s.timeMs)
                text << " to " << timeText (s.lastTimeMs);

            text << "  " << juce::String (sourceName (s.source)).paddedRight (' ', 11) << "  "
                 << (s.sourcePath.isEmpty() ? juce::String ("the unit") : s.sourcePath) << "  " << s.slot.name() << "\n";
        }
    }

    return cli.print (text) ? VeskCli::exitOk : VeskCli::exitFailed;
}

//==============================================================================
int VeskCollectionCli::put (const juce::StringArray& words)
{
    const auto& path = words[1];
    const auto slot = VeskBlock::fromName (words[2]);

    if (! slot.has_value())
        return VeskCli::exitUsage; // said before the collection was opened

    int status = VeskCli::exitOk;
    const auto pattern = lookUp (words[0], status);

    if (! pattern.has_value())
        return status;

    VeskCli::Image image;

    // As for copy: a library that cannot be read is a usage error.
    if (! cli.readLibrary (path, image))
        return VeskCli::exitUsage;

    const auto before = image;
    std::copy (pattern->bytes.begin(), pattern->bytes.end(), image.begin() + slot->imageOffset());

    return cli.finishLibrary (path, image, image == before,
                              image == before ? juce::String() : path + ": " + slot->name() + " now holds " + pattern->name + " (" + shortId (pattern->id) + ")\n");
}

//==============================================================================
int VeskCollectionCli::name (const juce::String& id, const juce::String& text)
{
    return edit (
        id, [&] (const juce::String& fullId)
        { return store->setName (fullId, text); },
        [&] (const CollectionPattern& now)
        { return text.isEmpty() ? "named after where it was first seen: " + now.name : "named " + now.name; });
}

int VeskCollectionCli::tag (const juce::String& id, const juce::StringArray& tags, bool adding)
{
    return edit (
        id, [&] (const juce::String& fullId)
        { return adding ? store->addTags (fullId, tags) : store->removeTags (fullId, tags); },
        [] (const CollectionPattern& now)
        { return now.tags.isEmpty() ? juce::String ("no tags") : "tags " + now.tags.joinIntoString (", "); });
}

int VeskCollectionCli::favourite (const juce::String& id, bool on)
{
    return edit (
        id, [&] (const juce::String& fullId)
        { return store->setFavourite (fullId, on); },
        [on] (const CollectionPattern&)
        { return juce::String (on ? "a favourite" : "not a favourite"); });
}

int VeskCollectionCli::edit (const juce::String& id,
                             const std::function<CollectionEdit (const juce::String&)>& change,
                             const std::function<juce::String (const CollectionPattern&)>& describeDone)
{
    using Outcome = CollectionEdit::Outcome;
    int status = VeskCli::exitOk;
    const auto pattern = lookUp (id, status);

    if (! pattern.has_value())
        return status;

    CollectionStore::Transaction whole (*store);

    if (whole.problem.failed())
        return failed (whole.problem);

    const auto result = change (pattern->id);

    switch (result.outcome)
    {
        // Said before it is kept: an output that cannot take it leaves the
        // collection as it was.
        case Outcome::changed:
        case Outcome::unchanged:
        {
            const auto now = store->find (pattern->id).pattern.value_or (*pattern);

            if (! cli.print (shortId (pattern->id) + ": " + describeDone (now) + (result.outcome == Outcome::unchanged ? "; nothing changed\n" : "\n")))
                return VeskCli::exitFailed;

            return whole.commit() ? VeskCli::exitOk : failed (whole.problem);
        }
        case Outcome::unknownPattern: cli.report (id, "no pattern in the collection has this ID"); return VeskCli::exitUsage;
        case Outcome::badValue:
            return cli.usageError (subcommand == "name" ? "a name is at most " + juce::String (CollectionEdit::maxTextLength) + " characters"
                                                        : "a tag is 1 to " + juce::String (CollectionEdit::maxTagLength) + " characters",
                                   "collection " + subcommand);
        case Outcome::failed: break;
    }

    return failed (result.problem);
}

std::optional<CollectionPattern> VeskCollectionCli::lookUp (const juce::String& id, int& status)
{
    auto found = store->find (id);
    status = VeskCli::exitUsage;

    switch (found.outcome)
    {
        case CollectionLookup::Outcome::found:
            if (found.pattern.has_value())
                return found.pattern;
            break;
        case CollectionLookup::Outcome::unknown:
            if (found.problem.failed())
                break;
            cli.report (id, "no pattern in the collection has this ID");
            return std::nullopt;
        case CollectionLookup::Outcome::ambiguous:
        {
            juce::StringArray candidates;

            for (auto& c : found.candidates)
                candidates.add (shortId (c));

            cli.report (id, "names more than one pattern (" + candidates.joinIntoString (", ") + "); give more digits");
        }
            return std::nullopt;
        case CollectionLookup::Outcome::invalid:
            cli.report (id, "is not a pattern ID: " + juce::String (CollectionLookup::minimumPrefix) + " to 64 hex digits");
            return std::nullopt;
    }

    status = VeskCli::exitFailed;
    failed (found.problem);
    return std::nullopt;
}
