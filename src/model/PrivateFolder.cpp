#include "PrivateFolder.h"
#include "WholeFileWriter.h"

#include "platform/SystemError.h"
#include "platform/UserFolders.h"

PrivateFolder::PrivateFolder (const juce::File& folderToOpen, bool create, Require require) : folder (folderToOpen)
{
    const auto path = folder.getFullPathName();
    bool created = false;

    if (create)
    {
        folder.getParentDirectory().createDirectory();
        created = OpenFolder::create (folder) == 0;
    }

    // Links above the folder are the user's business; the folder itself is no
    // link where the program makes or names it (a folder the user named may be one).
    const auto followLink = ! (require == Require::onlyUserEnters || created);

    if (const auto error = open.open (folder, followLink); error != 0)
    {
        problem = "cannot open the folder " + path + " (" + SystemError::systemWords (error) + ")";
        return;
    }

    FileFacts info;
    const auto lookedAt = open.lookAt (info) == 0;

    // Where permissions are bits, the private folder has exactly 0700 (a
    // umask cannot take any from one made above); elsewhere, nobody else may write.
    const auto modeWrong = require == Require::onlyUserEnters && info.posixMode != 0 ? (info.posixMode & 07777) != 0700
                                                                                     : info.othersMayWrite;

    if (! lookedAt || ! info.ownedByUser || modeWrong)
    {
        problem = require == Require::onlyUserEnters
                      ? "the folder " + path + " is not private to this user (it must be the user's own, with mode 0700)"
                      : "the folder " + path + " is not this user's alone (it must be the user's own, and nobody else may write into it)";
        open.close();
    }
}

juce::File PrivateFolder::getPathWithoutLinks() const
{
    return open.getPathWithoutLinks();
}

PrivateFolder::~PrivateFolder() = default;

juce::Result PrivateFolder::replaceFile (const juce::String& name, const juce::MemoryBlock& data, int permissions) const
{
    return replaceFile (name, data.getData(), data.getSize(), permissions);
}

juce::Result PrivateFolder::replaceFile (const juce::String& name, const void* data, size_t size, int permissions) const
{
    if (! isOpen())
        return juce::Result::fail (problem);

    // Checked before anything is removed: "../x" would reach out of the folder.
    if (! OpenFolder::isPlainName (name))
        return juce::Result::fail ("\"" + name + "\" is not a file name");

    // Only this user can have put it here; a link is removed itself, and what it points at stays as it is.
    if (const auto error = open.remove (name); error != 0 && ! SystemError::isMissing (error))
        return juce::Result::fail ("the old file cannot be removed (" + WholeFileWriter::describeError (error) + ")");

    return WholeFileWriter::writeNew (open, name, data, size, permissions);
}

juce::File PrivateFolder::inRuntimeFolder (const juce::String& name, const juce::File& fallback)
{
    const auto runtime = UserFolders::runtime();
    return runtime != juce::File() ? runtime.getChildFile (name) : fallback;
}
