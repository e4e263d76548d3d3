#include "SqliteStatement.h"

#include "SqliteDatabase.h"

#include "SqliteLibrary.h"

#include <cstring>

SqliteStatement::SqliteStatement (sqlite3* database, const char* sql) : db (database)
{
    check (SqliteLibrary::get().prepare_v2 (db, sql, -1, &statement, nullptr));
}

SqliteStatement::~SqliteStatement()
{
    SqliteLibrary::get().finalize (statement);
}

void SqliteStatement::check (int result) const
{
    if (result != SQLITE_OK)
        SqliteDatabase::fail (db);
}

SqliteStatement& SqliteStatement::bind (int index, juce::int64 value)
{
    check (SqliteLibrary::get().bind_int64 (statement, index, value));
    return *this;
}

SqliteStatement& SqliteStatement::bind (int index, const juce::String& text)
{
    const auto utf8 = text.toRawUTF8();
    check (SqliteLibrary::get().bind_text (statement, index, utf8, (int) std::strlen (utf8), SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::bindBlob (int index, const void* data, size_t size)
{
    check (SqliteLibrary::get().bind_blob (statement, index, data, (int) size, SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::bindNull (int index)
{
    check (SqliteLibrary::get().bind_null (statement, index));
    return *this;
}

bool SqliteStatement::next()
{
    const auto result = SqliteLibrary::get().step (statement);

    if (result == SQLITE_ROW)
        return true;

    if (result == SQLITE_DONE)
        return false;

    // The statement's own error code holds what failed, the step only says so.
    const auto code = SqliteLibrary::get().extended_errcode (db);
    const auto text = juce::String::fromUTF8 (SqliteLibrary::get().errmsg (db));
    const auto systemErrno = SqliteLibrary::get().system_errno (db);
    SqliteLibrary::get().reset (statement);
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
    SqliteLibrary::get().reset (statement);
    SqliteLibrary::get().clear_bindings (statement);
}

juce::int64 SqliteStatement::getInt64 (int column) const
{
    return SqliteLibrary::get().column_int64 (statement, column);
}

juce::String SqliteStatement::getText (int column) const
{
    const auto* text = reinterpret_cast<const char*> (SqliteLibrary::get().column_text (statement, column));
    return text != nullptr ? juce::String::fromUTF8 (text, SqliteLibrary::get().column_bytes (statement, column)) : juce::String();
}

const void* SqliteStatement::getBlob (int column, size_t& size) const
{
    const auto* data = SqliteLibrary::get().column_blob (statement, column);
    size = (size_t) SqliteLibrary::get().column_bytes (statement, column);
    return data;
}

bool SqliteStatement::isNull (int column) const
{
    return SqliteLibrary::get().column_type (statement, column) == SQLITE_NULL;
}
