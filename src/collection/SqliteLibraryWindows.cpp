#include "SqliteLibrary.h"

// The Windows programs link SQLite (built from its source, with FTS5) into
// themselves: the table is filled from the linked functions.
const SqliteLibrary& SqliteLibrary::get()
{
    static const SqliteLibrary library = []
    {
        SqliteLibrary linked;
#define VESK_SQLITE_LINKED(name) linked.name = &::sqlite3_##name;
        VESK_SQLITE_FUNCTIONS (VESK_SQLITE_LINKED)
#undef VESK_SQLITE_LINKED
        return linked;
    }();

    return library;
}
