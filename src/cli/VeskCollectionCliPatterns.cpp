// The collection commands about patterns: search, show, put and the edits of
// the user's own data.
#include "VeskArguments.h"
#include "VeskCli.h"
#include "VeskCollectionCli.h"
#include "VeskCollectionView.h"
#include "collection/CollectionSearchIndex.h"
#include "model/VeskFields.h"
#include "model/VeskNames.h"

namespace
{
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

juce::String VeskCollectionCli::shortId (const juce::String& id)
{
    return VeskCollectionView::shortId (id);
}

//==============================================================================
int VeskCollectionCli::makeQuery (const VeskArguments& options, CollectionQuery& query)
{
    const auto where = juce::String ("collection search");
    query.text = options.words.joinIntoString (" ");
    query.favouriteOnly = options.has ("--favourite");
    query.tag = options.value ("--tag").value_or (juce::String());

    if (const auto type = options.value ("--type"))
    {
        query.type = parseType (*type);

        if (! query.type.has_value())
            return cli.usageError ("'" + *type + "' is not a pattern type: " + VeskNames::partTypes().joinIntoString (", "), where);
    }

    if (const auto limit = options.value ("--limit"))
    {
        const auto& text = *limit;

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

    return cli.print (VeskCollectionView::searchResults (page, json)) ? VeskCli::exitOk : VeskCli::exitFailed;
}

//==============================================================================
int VeskCollectionCli::show (const juce::String& id, bool json)
{
    int status = VeskCli::exitOk;
    const auto pattern = lookUp (id, status);

    if (! pattern.has_value())
        return status;

    return cli.print (VeskCollectionView::pattern (*pattern, store->sightings (pattern->id), json)) ? VeskCli::exitOk : VeskCli::exitFailed;
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

    VeskCliOutput::Image image;

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
