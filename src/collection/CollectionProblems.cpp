#include "CollectionProblems.h"

#include "platform/SystemError.h"

#include <sqlite3.h>

bool CollectionProblems::isDamage (const SqliteError& error)
{
    return error.primaryCode() == SQLITE_NOTADB || error.primaryCode() == SQLITE_CORRUPT;
}

CollectionProblem CollectionProblems::of (const SqliteError& error, const juce::File& file)
{
    using Kind = CollectionProblem::Kind;

    CollectionProblem problem;
    problem.detail = oneLine (error.message);
    problem.file = file;

    // A full disk shows as SQLITE_FULL, or as a failed write whose errno says so.
    if (error.primaryCode() == SQLITE_FULL || SystemError::isDiskFull (error.systemError))
        problem.kind = Kind::diskFull;
    else if (isDamage (error))
        problem.kind = Kind::damaged;
    else if (error.primaryCode() == SQLITE_BUSY || error.primaryCode() == SQLITE_LOCKED)
        problem.kind = Kind::busy;
    else if (error.primaryCode() == SQLITE_READONLY || error.primaryCode() == SQLITE_PERM
             || SystemError::isDenied (error.systemError)
             || SystemError::isReadOnlyDisk (error.systemError))
        problem.kind = Kind::readOnly;
    else if (error.primaryCode() == SQLITE_CANTOPEN)
        problem.kind = Kind::cannotOpen;
    else
        problem.kind = Kind::other;

    return problem;
}

juce::String CollectionProblems::oneLine (const juce::String& text)
{
    return juce::StringArray::fromLines (text.trim()).joinIntoString ("; ");
}
