// What vesk's collection commands print of the collection: a page of search
// results and one pattern with where it was seen, as text or as JSON.
#include "VeskCollectionView.h"
#include "model/Plural.h"
#include "model/VeskPattern.h"

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
}

juce::String VeskCollectionView::typeName (const CollectionPattern& pattern)
{
    return VeskPattern (pattern.bytes).typeName();
}

juce::String VeskCollectionView::searchResults (const CollectionPage& page, bool json)
{
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
            text << juce::String ((int) page.patterns.size()) << " of " << plural (page.total, "matching pattern") << "\n";
    }

    return text;
}

juce::String VeskCollectionView::pattern (const CollectionPattern& p, const std::vector<CollectionSighting>& seen, bool json)
{
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
        row ("length", plural (p.bars, "bar") + " of " + juce::String (p.stepsPerBar) + " steps");
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

    return text;
}
