#include "CollectionSearchIndex.h"

void CollectionSearchIndex::update (SqliteDatabase& db, juce::int64 pattern)
{
    auto& name = db.cached ("SELECT p.name, coalesce (u.comment, '') FROM patterns p LEFT JOIN user_data u ON u.pattern = p.id WHERE p.id = ?");
    name.bind (1, pattern);

    if (! name.next())
        return;

    const auto shownName = name.getText (0);
    const auto comment = name.getText (1);

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
    db.cached ("INSERT INTO search (rowid, name, tags, comment, sources) VALUES (?, ?, ?, ?, ?)")
        .bind (1, pattern)
        .bind (2, shownName)
        .bind (3, tags.joinIntoString (" "))
        .bind (4, comment)
        .bind (5, sources.joinIntoString (" "))
        .run();
}

void CollectionSearchIndex::insertNew (SqliteDatabase& db, juce::int64 pattern, const juce::String& name, const juce::String& source)
{
    db.cached ("INSERT INTO search (rowid, name, tags, comment, sources) VALUES (?, ?, '', '', ?)")
        .bind (1, pattern)
        .bind (2, name)
        .bind (3, source)
        .run();
}

juce::String CollectionSearchIndex::matchExpression (const juce::String& text)
{
    // Each word quoted (so that nothing typed is FTS syntax) and made a prefix.
    juce::StringArray words;
    juce::String word;

    const auto flush = [&]
    {
        if (word.isNotEmpty())
            words.add ("\"" + word + "\"*");
        word.clear();
    };

    for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
    {
        const auto c = *p;

        if (juce::CharacterFunctions::isLetterOrDigit (c) || c > 127)
            word += c;
        else
            flush();
    }

    flush();
    return words.joinIntoString (" ");
}

juce::String CollectionSearchIndex::sourceName (const juce::String& path)
{
    return path.isEmpty() ? juce::String() : juce::File::createFileWithoutCheckingPath (path).getFileName();
}
