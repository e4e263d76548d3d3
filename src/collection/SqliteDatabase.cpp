#include "SqliteDatabase.h"

#include <sqlite3.h>

SqliteDatabase::SqliteDatabase (const juce::File& file)
{
    const auto flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    const auto result = sqlite3_open_v2 (file.getFullPathName().toRawUTF8(), &db, flags, nullptr);

    if (result != SQLITE_OK)
    {
        const auto code = db != nullptr ? sqlite3_extended_errcode (db) : result;
        const auto systemErrno = db != nullptr ? sqlite3_system_errno (db) : 0;
        const auto text = db != nullptr ? juce::String::fromUTF8 (sqlite3_errmsg (db)) : juce::String (sqlite3_errstr (result));
        sqlite3_close_v2 (db);
        db = nullptr;
        throw SqliteError (code, systemErrno, text);
    }

    sqlite3_extended_result_codes (db, 1);
}

SqliteDatabase::~SqliteDatabase()
{
    statements.clear();
    sqlite3_close_v2 (db);
}

void SqliteDatabase::fail (sqlite3* database)
{
    throw SqliteError (sqlite3_extended_errcode (database),
                       sqlite3_system_errno (database),
                       juce::String::fromUTF8 (sqlite3_errmsg (database)));
}

void SqliteDatabase::exec (const char* sql)
{
    if (sqlite3_exec (db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail (db);
}

SqliteStatement& SqliteDatabase::cached (const char* sql)
{
    auto& statement = statements[sql];

    if (statement == nullptr)
        statement = std::make_unique<SqliteStatement> (db, sql);
    else
        statement->reset();

    return *statement;
}

void SqliteDatabase::resetAll()
{
    for (auto& statement : statements)
        statement.second->reset();
}

juce::int64 SqliteDatabase::queryInt (const char* sql, juce::int64 fallback)
{
    SqliteStatement statement (db, sql);
    return statement.next() ? statement.getInt64 (0) : fallback;
}

juce::int64 SqliteDatabase::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid (db);
}

int SqliteDatabase::changes() const
{
    return sqlite3_changes (db);
}
