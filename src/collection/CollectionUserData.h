#pragma once

#include "CollectionTypes.h"

class SqliteDatabase;

/**
    The user's own data of a pattern: the name, tags, favourite, rating and
    comment. Each change is one transaction that says whether anything
    changed, and brings the search row up to date when a searched text did.

    Works on the store's own connection, so on the store's thread.
*/
class CollectionUserData
{
public:
    CollectionUserData (SqliteDatabase& database, const juce::File& file);

    CollectionEdit setName (const juce::String& id, const juce::String& name);
    CollectionEdit addTags (const juce::String& id, const juce::StringArray& tags);
    CollectionEdit removeTags (const juce::String& id, const juce::StringArray& tags);
    CollectionEdit setFavourite (const juce::String& id, bool favourite);
    CollectionEdit setRating (const juce::String& id, int rating);
    CollectionEdit setComment (const juce::String& id, const juce::String& comment);

private:
    SqliteDatabase& db;
    const juce::File file; // named in the problems

    JUCE_DECLARE_NON_COPYABLE (CollectionUserData)
};
