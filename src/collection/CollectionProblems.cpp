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

juce::String CollectionProblems::describe (const CollectionProblem& problem)
{
    using Kind = CollectionProblem::Kind;
    juce::String text;

    switch (problem.kind)
    {
        case Kind::none: return {};
        case Kind::diskFull: text = "is on a disk that is full"; break;
        case Kind::busy: text = "was kept busy too long by another program (another VeskEdit or vesk)"; break;
        case Kind::readOnly: text = "cannot be written"; break;
        case Kind::damaged: text = "is damaged"; break;
        case Kind::cannotOpen: text = "cannot be opened or made"; break;
        case Kind::newerSchema: text = "was written by a later VeskEdit; left as it is"; break;
        // Their detail says what the file is: "is a library file, not a collection".
        case Kind::notCollection: return problem.detail + "; left as it is";
        case Kind::notPrivate: return problem.detail + "; not used";
        case Kind::other: text = "failed"; break;
    }

    return problem.detail.isEmpty() ? text : text + " (" + problem.detail + ")";
}

juce::String CollectionProblems::oneLine (const juce::String& text)
{
    return juce::StringArray::fromLines (text.trim()).joinIntoString ("; ");
}
