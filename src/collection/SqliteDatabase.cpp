#include "SqliteDatabase.h"

#include "SqliteLibrary.h"

SqliteDatabase::SqliteDatabase (const juce::File& file)
{
    const auto flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    const auto result = SqliteLibrary::get().open_v2 (file.getFullPathName().toRawUTF8(), &db, flags, nullptr);

    if (result != SQLITE_OK)
    {
        const auto code = db != nullptr ? SqliteLibrary::get().extended_errcode (db) : result;
        const auto systemErrno = db != nullptr ? SqliteLibrary::get().system_errno (db) : 0;
        const auto text = db != nullptr ? juce::String::fromUTF8 (SqliteLibrary::get().errmsg (db)) : juce::String (SqliteLibrary::get().errstr (result));
        SqliteLibrary::get().close_v2 (db);
        db = nullptr;
        throw SqliteError (code, systemErrno, text);
    }

    SqliteLibrary::get().extended_result_codes (db, 1);
}

SqliteDatabase::~SqliteDatabase()
{
    statements.clear();
    SqliteLibrary::get().close_v2 (db);
}

void SqliteDatabase::fail (sqlite3* database)
{
    throw SqliteError (SqliteLibrary::get().extended_errcode (database),
                       SqliteLibrary::get().system_errno (database),
                       juce::String::fromUTF8 (SqliteLibrary::get().errmsg (database)));
}

void SqliteDatabase::exec (const char* sql)
{
    if (SqliteLibrary::get().exec (db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
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
    return SqliteLibrary::get().last_insert_rowid (db);
}

int SqliteDatabase::changes() const
{
    return SqliteLibrary::get().changes (db);
}

SqliteDatabase::StopWhen::StopWhen (SqliteDatabase& database, std::function<bool()> stopToUse)
    : db (database), stop (std::move (stopToUse))
{
    SqliteLibrary::get().progress_handler (
        db.get(), 256, [] (void* self)
        { return static_cast<StopWhen*> (self)->stop() ? 1 : 0; },
        this);
}

SqliteDatabase::StopWhen::~StopWhen()
{
    SqliteLibrary::get().progress_handler (db.get(), 0, nullptr, nullptr);
}
