#include "CollectionSearchIndex.h"
#include "model/VeskImage.h"
#include "model/VeskNames.h"

void CollectionSearchIndex::update (SqliteDatabase& db, juce::int64 pattern)
{
    auto& name = db.cached ("SELECT p.name, coalesce (u.comment, ''), p.type, p.tone FROM patterns p LEFT JOIN user_data u ON u.pattern = p.id WHERE p.id = ?");
    name.bind (1, pattern);

    if (! name.next())
        return;

    const auto shownName = name.getText (0);
    const auto comment = name.getText (1);
    const auto kind = kindWords (name.getInt (2), name.getInt (3));

    juce::StringArray tags;
    auto& tagRows = db.cached ("SELECT tag FROM tags WHERE pattern = ?");
    tagRows.bind (1, pattern);
    while (tagRows.next())
        tags.add (tagRows.getText (0));

    juce::StringArray sources;
    auto& sourceRows = db.cached ("SELECT DISTINCT src.path FROM sightings s JOIN sources src ON src.id = s.source WHERE s.pattern = ?");
    sourceRows.bind (1, pattern);
    while (sourceRows.next())
        sources.addIfNotAlreadyThere (sourceName (sourceRows.getText (0)));

    db.cached ("DELETE FROM search WHERE rowid = ?").bind (1, pattern).run();
    db.cached ("INSERT INTO search (rowid, name, tags, comment, sources, kind) VALUES (?, ?, ?, ?, ?, ?)")
        .bind (1, pattern)
        .bind (2, shownName)
        .bind (3, tags.joinIntoString (" "))
        .bind (4, comment)
        .bind (5, sources.joinIntoString (" "))
        .bind (6, kind)
        .run();
}

void CollectionSearchIndex::insertNew (SqliteDatabase& db, juce::int64 pattern, const juce::String& name, const juce::String& source, int type,
                                       int toneOrKit)
{
    db.cached ("INSERT INTO search (rowid, name, tags, comment, sources, kind) VALUES (?, ?, '', '', ?, ?)")
        .bind (1, pattern)
        .bind (2, name)
        .bind (3, source)
        .bind (4, kindWords (type, toneOrKit))
        .run();
}

void CollectionSearchIndex::refill (SqliteDatabase& db)
{
    db.exec ("DELETE FROM search");

    SqliteStatement all (db.get(), "SELECT id FROM patterns");
    while (all.next())
        update (db, all.getInt64 (0));
}

juce::String CollectionSearchIndex::kindWords (int type, int toneOrKit)
{
    // A tone's bare numbers (its place in the list, its oscillator's) are left
    // out: a number typed means a slot or a name, and nearly every tone has a
    // "1" or a "2". A kit's name is a name ("808") and kept whole.
    juce::StringArray words (VeskNames::item (VeskNames::partTypes(), type));

    if (type == VeskImage::PartType::rythm)
        words.add (VeskNames::sound (type, toneOrKit));
    else
        for (const auto& word : juce::StringArray::fromTokens (VeskNames::sound (type, toneOrKit), " -", ""))
            if (! word.containsOnly ("0123456789"))
                words.add (word);

    return words.joinIntoString (" ").trim();
}

CollectionSearchIndex::Words CollectionSearchIndex::words (const juce::String& text)
{
    // Every word must match, as the start of a word: a pasted page of text
    // would be thousands of lookups that find nothing the first few do not.
    // A word cut short is still the start of the word, so it finds at least
    // what the whole word would.
    Words result;
    auto p = text.getCharPointer();
    auto wordStart = p;
    int wordLength = 0, length = 0;

    const auto take = [&]
    {
        const auto lower = juce::String (wordStart, (size_t) wordLength).toLowerCase();
        wordLength = 0;

        if (lower.isEmpty())
            return;

        for (const auto& kept : result.words)
            if (kept.startsWith (lower))
                return;

        for (int i = result.words.size(); --i >= 0;)
            if (lower.startsWith (result.words[i]))
                result.words.remove (i);

        if (result.words.size() < maxWords)
            result.words.add (lower);
        else
            result.cut = true;
    };

    for (; ! p.isEmpty() && ! (result.cut && result.words.size() >= maxWords); ++p)
    {
        if (++length > maxTextLength)
        {
            result.cut = true;
            break;
        }

        const auto c = *p;

        if (juce::CharacterFunctions::isLetterOrDigit (c) || c > 127)
        {
            if (wordLength == 0)
                wordStart = p;

            if (wordLength < maxWordLength)
                ++wordLength;
            else
                result.cut = true;
        }
        else
        {
            take();
        }
    }

    take();
    return result;
}

juce::String CollectionSearchIndex::cutMessage()
{
    return "the search text is longer than a search reads: only its first " + juce::String (maxWords)
           + " different words, of at most " + juce::String (maxWordLength) + " characters each, were searched for";
}

juce::String CollectionSearchIndex::matchExpression (const juce::String& text)
{
    // Each word quoted (so that nothing typed is FTS syntax) and made a prefix.
    juce::StringArray terms;

    for (const auto& word : words (text).words)
        terms.add ("\"" + word + "\"*");

    return terms.joinIntoString (" ");
}

juce::String CollectionSearchIndex::sourceName (const juce::String& path)
{
    return path.isEmpty() ? juce::String() : juce::File::createFileWithoutCheckingPath (path).getFileName();
}
