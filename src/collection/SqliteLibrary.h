#pragma once

#include <sqlite3.h>

/**
    SQLite's functions, from libsqlite3 loaded the first time the collection
    is opened rather than with the program: most starts never touch the
    collection, and a loaded library costs a quarter of a megabyte before the
    window shows. A system without the library still starts, and the
    collection says why it cannot open. VESK_SQLITE_LIBRARY names another
    build of SQLite to load instead. (On Windows SQLite is linked into the
    programs, and the functions are those.)
*/
struct SqliteLibrary
{
    /** The functions, the library loaded on first call. Throws SqliteError
        (SQLITE_CANTOPEN, with the loader's reason) when the library or one of
        its functions cannot be found; a later call tries again. */
    static const SqliteLibrary& get();

    // clang-format off
#define VESK_SQLITE_FUNCTIONS(X) \
    X (bind_blob) X (bind_int64) X (bind_null) X (bind_text) X (changes) X (clear_bindings) X (close_v2) \
    X (column_blob) X (column_bytes) X (column_int64) X (column_text) X (column_type) \
    X (errmsg) X (errstr) X (exec) X (extended_errcode) X (extended_result_codes) X (finalize) \
    X (progress_handler) \
    X (last_insert_rowid) X (open_v2) X (prepare_v2) X (reset) X (step) X (system_errno)
    // clang-format on

#define VESK_SQLITE_POINTER(name) decltype (&::sqlite3_##name) name = nullptr;
    VESK_SQLITE_FUNCTIONS (VESK_SQLITE_POINTER)
#undef VESK_SQLITE_POINTER
};
