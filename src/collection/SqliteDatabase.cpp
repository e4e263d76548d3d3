#include "SqliteDatabase.h"

#include "SqliteLibrary.h"

namespace
{
    // A URI's path: every byte but the unreserved ones and '/' as %XX.
    juce::String uriOf (const juce::File& file, const char* query)
    {
        juce::String uri ("file:");

        for (const auto* p = file.getFullPathName().toRawUTF8(); *p != 0; ++p)
        {
            const auto c = (juce::uint8) *p;

            if (juce::CharacterFunctions::isLetterOrDigit ((char) c) || juce::String ("/-._~").containsChar ((juce::juce_wchar) c))
                uri += (char) c;
            else
                uri += "%" + juce::String::toHexString ((int) c).paddedLeft ('0', 2);
        }

        return uri + "?" + query;
    }
}

SqliteDatabase::SqliteDatabase (const juce::File& file, Access access)
{
    const auto common = SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    juce::String name;
    int flags = 0;

    switch (access)
    {
        case Access::readWrite:
            name = file.getFullPathName();
            flags = common | SQLITE_OPEN_READWRITE;
            break;
        case Access::readOnly:
            name = uriOf (file, "mode=ro");
            flags = common | SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
            break;
        case Access::readOnlyAsItIs:
            name = uriOf (file, "immutable=1");
            flags = common | SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
            break;
        case Access::inMemory:
            name = ":memory:";
            flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY;
            break;
    }

    const auto result = SqliteLibrary::get().open_v2 (name.toRawUTF8(), &db, flags, nullptr);

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

void SqliteDatabase::emptyLog (const juce::File& file)
{
    if (openTransactions > 0 || file.getSiblingFile (file.getFileName() + "-wal").getSize() == 0)
        return;

    try
    {
        exec ("PRAGMA wal_checkpoint (TRUNCATE)");
    }
    catch (const SqliteError&)
    {
        // The disk may be too full to take the log's last committed pages:
        // the log then stays as it is.
    }
}
