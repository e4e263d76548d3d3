#include "CollectionUserData.h"

#include "CollectionProblems.h"
#include "CollectionRows.h"
#include "CollectionSearchIndex.h"
#include "SqliteTransaction.h"

namespace
{
    using EditOutcome = CollectionEdit::Outcome;

    CollectionEdit outcome (EditOutcome kind)
    {
        CollectionEdit edit;
        edit.outcome = kind;
        return edit;
    }

    juce::StringArray cleanTags (const juce::StringArray& tags, bool& bad)
    {
        juce::StringArray clean;

        for (const auto& tag : tags)
        {
            const auto text = tag.trim();

            if (text.isEmpty() || text.length() > CollectionEdit::maxTagLength)
                bad = true;
            else
                clean.addIfNotAlreadyThere (text, true);
        }

        return clean;
    }

    void ensureUserData (SqliteDatabase& db, juce::int64 row)
    {
        db.cached ("INSERT OR IGNORE INTO user_data (pattern) VALUES (?)").bind (1, row).run();
    }
}

CollectionUserData::CollectionUserData (SqliteDatabase& database, const juce::File& fileToUse)
    : db (database), file (fileToUse)
{
}

// Each edit: find the row, change it in one transaction, tell whether
// anything changed, and refresh the search row when a searched text did.
template <typename Change>
static CollectionEdit editRow (SqliteDatabase& db, const juce::File& file, const juce::String& id, bool reindex, Change&& change)
{
    try
    {
        SqliteTransaction transaction (db);
        const auto row = CollectionRows::resolve (db, id);

        if (! row.has_value())
            return outcome (EditOutcome::unknownPattern);

        ensureUserData (db, *row);
        const bool changed = change (*row);

        if (changed && reindex)
            CollectionSearchIndex::update (db, *row);

        transaction.commit();
        return outcome (changed ? EditOutcome::changed : EditOutcome::unchanged);
    }
    catch (const SqliteError& error)
    {
        auto failed = outcome (EditOutcome::failed);
        failed.problem = CollectionProblems::of (error, file);
        return failed;
    }
}

CollectionEdit CollectionUserData::setName (const juce::String& id, const juce::String& name)
{
    const auto text = name.trim();

    if (text.length() > CollectionEdit::maxTextLength)
        return outcome (EditOutcome::badValue);

    return editRow (db, file, id, true, [&] (juce::int64 row)
                    {
                        if (text.isEmpty())
                            db.cached ("UPDATE user_data SET own_name = NULL WHERE pattern = ? AND own_name IS NOT NULL").bind (1, row).run();
                        else
                            db.cached ("UPDATE user_data SET own_name = ?1 WHERE pattern = ?2 AND (own_name IS NULL OR own_name IS NOT ?1)")
                                .bind (1, text)
                                .bind (2, row)
                                .run();

                        if (db.changes() == 0)
                            return false;

                        CollectionRows::nameByRule (db, row);
                        return true; });
}

// Each tag through the one statement (which binds the row, then the tag);
// changed when it changed any row.
static CollectionEdit changeTags (SqliteDatabase& db, const juce::File& file, const juce::String& id, const juce::StringArray& tags, const char* sql)
{
    bool bad = false;
    const auto clean = cleanTags (tags, bad);

    if (bad)
        return outcome (EditOutcome::badValue);

    return editRow (db, file, id, true, [&] (juce::int64 row)
                    {
                        int changed = 0;

                        for (const auto& tag : clean)
                        {
                            db.cached (sql).bind (1, row).bind (2, tag).run();
                            changed += db.changes();
                        }

                        return changed > 0; });
}

CollectionEdit CollectionUserData::addTags (const juce::String& id, const juce::StringArray& tags)
{
    return changeTags (db, file, id, tags, CollectionRows::addTag);
}

CollectionEdit CollectionUserData::removeTags (const juce::String& id, const juce::StringArray& tags)
{
    return changeTags (db, file, id, tags, CollectionRows::removeTag);
}

CollectionEdit CollectionUserData::setFavourite (const juce::String& id, bool favourite)
{
    return editRow (db, file, id, false, [&] (juce::int64 row)
                    {
                        db.cached ("UPDATE user_data SET favourite = ?1 WHERE pattern = ?2 AND favourite <> ?1")
                            .bind (1, favourite ? 1 : 0)
                            .bind (2, row)
                            .run();
                        return db.changes() > 0; });
}

CollectionEdit CollectionUserData::setRating (const juce::String& id, int rating)
{
    if (rating < 0 || rating > 5)
        return outcome (EditOutcome::badValue);

    return editRow (db, file, id, false, [&] (juce::int64 row)
                    {
                        db.cached ("UPDATE user_data SET rating = ?1 WHERE pattern = ?2 AND rating <> ?1").bind (1, rating).bind (2, row).run();
                        return db.changes() > 0; });
}

CollectionEdit CollectionUserData::setComment (const juce::String& id, const juce::String& comment)
{
    if (comment.length() > CollectionEdit::maxTextLength)
        return outcome (EditOutcome::badValue);

    return editRow (db, file, id, true, [&] (juce::int64 row)
                    {
                        db.cached ("UPDATE user_data SET comment = ?1 WHERE pattern = ?2 AND comment IS NOT ?1").bind (1, comment).bind (2, row).run();
                        return db.changes() > 0; });
}
