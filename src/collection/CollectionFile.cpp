#include "CollectionFile.h"

#include "CollectionStore.h"
#include "model/PrivateFolder.h"

#include "platform/SystemError.h"

namespace
{
    juce::String permissionsText (const FileFacts& info)
    {
        return info.permissions.isNotEmpty() ? " (mode " + info.permissions + ")" : juce::String();
    }
}

CollectionFile::CollectionFile (const juce::File& fileToUse, bool create) : file (fileToUse)
{
    // The usual folder is the program's own and private; one the user names
    // need only be the user's, written by nobody else.
    const auto usual = file.getParentDirectory() == CollectionStore::defaultFile().getParentDirectory();
    folder = std::make_unique<PrivateFolder> (file.getParentDirectory(), create,
                                              usual ? PrivateFolder::Require::onlyUserEnters : PrivateFolder::Require::onlyUserWrites);

    if (! folder->isOpen())
    {
        fail (file.getParentDirectory().isDirectory() ? CollectionProblem::Kind::notPrivate : CollectionProblem::Kind::cannotOpen,
              file, folder->getProblem());
        return;
    }

    const auto resolved = folder->getPathWithoutLinks();

    if (resolved == juce::File())
    {
        fail (CollectionProblem::Kind::cannotOpen, file, "the path of its folder cannot be resolved");
        return;
    }

    sqlitePath = resolved.getChildFile (file.getFileName());

    // What lies beside the file is read (a -wal, a hot -journal) and written by SQLite as the file is.
    for (size_t i = 0; i < std::size (companions); ++i)
    {
        const auto name = file.getFileName() + companions[i];
        FileFacts info;

        if (folder->inside().lookAt (name, info) != 0)
            continue;

        companionFound[i] = true;
        const auto beside = file.getSiblingFile (name);

        if (info.kind != FileFacts::Kind::file)
            fail (CollectionProblem::Kind::notPrivate, beside, "is a link or not a file");
        else if (! info.ownedByUser)
            fail (CollectionProblem::Kind::notPrivate, beside, "belongs to another user (" + info.owner + ")");
        else if (info.othersMayWrite)
            fail (CollectionProblem::Kind::notPrivate, beside, "may be written by other users" + permissionsText (info));

        if (problem.failed())
            return;
    }

    lookAtFile (create);
}

CollectionFile::~CollectionFile() = default;

void CollectionFile::fail (CollectionProblem::Kind kind, const juce::File& what, const juce::String& detail)
{
    problem.kind = kind;
    problem.file = what;
    problem.detail = detail;
}

void CollectionFile::lookAtFile (bool create)
{
    const auto name = file.getFileName();
    const auto& inside = folder->inside();
    // Not blocking on a pipe someone named; never through a link.
    FileHandle in;
    auto error = create ? inside.createNew (name, 0600, true, in) : -1;
    const bool made = error == 0;

    if (! made && (! create || SystemError::isAlreadyThere (error)))
    {
        FileFacts there;
        error = inside.lookAt (name, there);

        if (error == 0 && there.kind == FileFacts::Kind::link)
        {
            fail (CollectionProblem::Kind::notPrivate, file, "is a link");
            return;
        }

        if (error == 0)
            error = inside.openToRead (name, in);
    }

    if (error != 0)
    {
        if (SystemError::isLinkLoop (error))
            fail (CollectionProblem::Kind::notPrivate, file, "is a link");
        else if (! SystemError::isMissing (error))
            fail (CollectionProblem::Kind::cannotOpen, file, SystemError::systemWords (error));

        return;
    }

    found = true;

    // Made here with 0600 whatever the umask; the -wal and -shm take its mode.
    if (made)
        in.setPermissions (0600);

    FileFacts info;
    juce::uint8 bytes[CollectionSchema::headerSize] {};
    size_t size = 0;

    // What the file is comes first: a library named by mistake is told as one, whoever owns it.
    if ((error = in.lookAt (info)) != 0)
        fail (CollectionProblem::Kind::cannotOpen, file, SystemError::systemWords (error));
    else if (info.kind == FileFacts::Kind::folder)
        fail (CollectionProblem::Kind::notCollection, file, "is a folder, not a collection");
    else if (info.kind != FileFacts::Kind::file)
        fail (CollectionProblem::Kind::notCollection, file, "is not a file");
    else if ((error = in.readAt (bytes, sizeof (bytes), 0, size)) != 0)
        fail (CollectionProblem::Kind::cannotOpen, file, SystemError::systemWords (error));
    else if ((header = CollectionSchema::readHeader (bytes, size)).says == CollectionSchema::Header::Says::foreign)
        fail (CollectionProblem::Kind::notCollection, file, header.what);
    else if (! info.ownedByUser)
        fail (CollectionProblem::Kind::notPrivate, file, "belongs to another user (" + info.owner + ")");
    else if (info.othersMayWrite)
        fail (CollectionProblem::Kind::notPrivate, file, "may be written by other users" + permissionsText (info));
}

bool CollectionFile::hasLog() const
{
    FileFacts info;
    return folder->isOpen() && folder->inside().lookAt (file.getFileName() + "-wal", info) == 0 && info.size > 0;
}

juce::File CollectionFile::moveAside()
{
    const auto& inside = folder->inside();
    const auto stamp = juce::Time::getCurrentTime().formatted ("%Y%m%d-%H%M%S");

    // Nothing is ever replaced.
    const auto move = [&inside] (const juce::String& from, const juce::String& to)
    {
        return inside.move (from, to) == 0;
    };

    for (int attempt = 1; attempt < 100; ++attempt)
    {
        const auto aside = file.getFileName() + ".damaged-" + stamp + (attempt > 1 ? "-" + juce::String (attempt) : juce::String());

        if (! move (file.getFileName(), aside))
            continue;

        // The log holds the file's latest pages and a journal its last undo: they
        // go with it, or SQLite would play them into the new file.
        for (size_t i = 0; i < std::size (companions); ++i)
        {
            const auto name = file.getFileName() + companions[i];

            if (companionFound[i])
                move (name, aside + companions[i]);
            else if (juce::String (companions[i]) == "-shm")
                inside.remove (name);
        }

        return file.getSiblingFile (aside);
    }

    return {};
}
