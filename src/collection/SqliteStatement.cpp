#include "SqliteStatement.h"

#include "SqliteDatabase.h"

#include <sqlite3.h>

#include <cstring>

SqliteStatement::SqliteStatement (sqlite3* database, const char* sql) : db (database)
{
    check (sqlite3_prepare_v2 (db, sql, -1, &statement, nullptr));
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize (statement);
}

void SqliteStatement::check (int result) const
{
    if (result != SQLITE_OK)
        SqliteDatabase::fail (db);
}

SqliteStatement& SqliteStatement::bind (int index, juce::int64 value)
{
    check (sqlite3_bind_int64 (statement, index, value));
    return *this;
}

SqliteStatement& SqliteStatement::bind (int index, const juce::String& text)
{
    const auto utf8 = text.toRawUTF8();
    check (sqlite3_bind_text (statement, index, utf8, (int) std::strlen (utf8), SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::bindBlob (int index, const void* data, size_t size)
{
    check (sqlite3_bind_blob (statement, index, data, (int) size, SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::bindNull (int index)
{
    check (sqlite3_bind_null (statement, index));
    return *this;
}

bool SqliteStatement::next()
{
    const auto result = sqlite3_step (statement);

    if (result == SQLITE_ROW)
        return true;

    if (result == SQLITE_DONE)
        return false;

    // The statement's own error code holds what failed, the step only says so.
    const auto code = sqlite3_extended_errcode (db);
    const auto text = juce::String::fromUTF8 (sqlite3_errmsg (db));
    const auto systemErrno = sqlite3_system_errno (db);
    sqlite3_reset (statement);
    throw SqliteError (code, systemErrno, text);
}

void SqliteStatement::run()
{
    while (next())
    {
    }
}

void SqliteStatement::reset()
{
    sqlite3_reset (statement);
    sqlite3_clear_bindings (statement);
}

juce::int64 SqliteStatement::getInt64 (int column) const
{
    return sqlite3_column_int64 (statement, column);
}

juce::String SqliteStatement::getText (int column) const
{
    const auto* text = reinterpret_cast<const char*> (sqlite3_column_text (statement, column));
    return text != nullptr ? juce::String::fromUTF8 (text, sqlite3_column_bytes (statement, column)) : juce::String();
}

const void* SqliteStatement::getBlob (int column, size_t& size) const
{
    const auto* data = sqlite3_column_blob (statement, column);
    size = (size_t) sqlite3_column_bytes (statement, column);
    return data;
}

bool SqliteStatement::isNull (int column) const
{
    return sqlite3_column_type (statement, column) == SQLITE_NULL;
}
