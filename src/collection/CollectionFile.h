#pragma once

#include "CollectionSchema.h"
#include "CollectionTypes.h"

#include <memory>

class PrivateFolder;

/**
    The collection's file as the file system holds it, looked at before SQLite
    opens it, so that nothing is written to a file that is not one.

    The folder is the user's and nobody else writes into it (the usual folder,
    which the program makes, is private: mode 0700); the file and its -wal,
    -shm and -journal are regular files of the user's own that nobody else may
    write, never links; and the file's first bytes say whether it is a
    collection at all. Nothing is written here but the folder and an empty
    file where asked to make them, and a damaged file moved aside.
*/
class CollectionFile
{
public:
    /** Looks at file; with create, makes its folder and an empty file (0600) where missing. */
    CollectionFile (const juce::File& file, bool create);
    ~CollectionFile();

    /** Why the file must not be opened at all; none when it may. */
    const CollectionProblem& getProblem() const noexcept { return problem; }

    bool exists() const noexcept { return found; }

    /** What the file's first bytes say. */
    const CollectionSchema::Header& getHeader() const noexcept { return header; }

    /** The same file through a path without links, for SQLite's NOFOLLOW. */
    const juce::File& getPathForSqlite() const noexcept { return sqlitePath; }

    /** Whether a -wal with something in it lies beside the file. */
    bool hasLog() const;

    /** Whether a -journal lay beside the file: a write cut off, to be undone before it is read. */
    bool hasJournal() const noexcept { return companionFound[2]; }

    /** Moves the file and what lay beside it when it was looked at (-wal,
        -shm, -journal) to new names beside it, byte for byte, replacing
        nothing; a -shm made since (by a read) is removed. The file's new
        name, or none if it could not be moved. */
    juce::File moveAside();

    static constexpr const char* companions[] = { "-wal", "-shm", "-journal" };

private:
    void fail (CollectionProblem::Kind kind, const juce::File& what, const juce::String& detail);
    void lookAtFile (bool create);

    juce::File file, sqlitePath;
    std::unique_ptr<PrivateFolder> folder;
    CollectionProblem problem;
    CollectionSchema::Header header;
    bool found = false;
    bool companionFound[3] {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionFile)
};
