#pragma once

#include "platform/FileSystem.h"

#include <juce_core/juce_core.h>

/**
    A folder only this user can enter: a real folder (not a link), owned by
    the user, mode 0700 (on Windows: owned by the user, with nobody else
    allowed to write into it). The single-instance hand-over, the collection
    and the files for drags out of the window live in one.

    Everything in it is reached through the folder held open when it was
    checked, so a folder renamed or swapped for another after the check is not
    the one written into (on Windows it cannot be renamed while held); and
    since nobody else can add an entry, whatever has a name in it was put
    there by this user.
*/
class PrivateFolder
{
public:
    /** What a folder found must be. */
    enum class Require
    {
        onlyUserEnters, // a real folder (not a link) of the user's, mode 0700
        onlyUserWrites // the user's (reached through links or not), that nobody else may write into
    };

    /** Opens folder; with create, a missing one is made (mode 0700, whatever
        the umask; on Windows with a DACL for the user alone). One found is
        taken as it is, or not at all. */
    PrivateFolder (const juce::File& folder, bool create, Require require = Require::onlyUserEnters);
    ~PrivateFolder();

    bool isOpen() const noexcept { return open.isOpen(); }

    /** POSIX: the open folder, for the *at() calls; -1 when it is not open. */
    int getHandle() const noexcept { return open.getDescriptor(); }

    /** What can be done in the open folder: look at a name without following
        a link, open or create a file, move one aside, remove one. */
    const OpenFolder& inside() const noexcept { return open; }

    const juce::File& getFolder() const noexcept { return folder; }

    /** The open folder's path with no link in it, for a library that refuses
        links anywhere in a path (SQLite's NOFOLLOW); empty if it cannot be told. */
    juce::File getPathWithoutLinks() const;

    /** Why the folder cannot be used; names the folder. */
    const juce::String& getProblem() const noexcept { return problem; }

    /** Writes data as the file name in the folder. Whatever had that name
        before (an earlier file, a link) is removed, never followed; the new
        file is made afresh through the whole-file writer, with the given
        permission bits less the umask. */
    juce::Result replaceFile (const juce::String& name, const void* data, size_t size, int permissions) const;
    juce::Result replaceFile (const juce::String& name, const juce::MemoryBlock& data, int permissions) const;

    /** The user's runtime folder's child name when there is a usable one (an
        absolute path to a folder of this user that nobody else may write
        into, $XDG_RUNTIME_DIR), else fallback. A runtime folder of another
        user, as after "sudo -E", or one everybody may write into, is never used. */
    static juce::File inRuntimeFolder (const juce::String& name, const juce::File& fallback);

private:
    juce::File folder;
    OpenFolder open;
    juce::String problem;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PrivateFolder)
};
