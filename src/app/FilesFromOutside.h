#pragma once

#include "FileExchangeCommands.h"

/**
    Files from outside (the command line, a later start, a drop on the
    window), each taken in turn: a .syx file is imported into the library, a
    MIDI file into the shown pattern, anything else opened as a library. While
    a job runs, or a window holds the shown pattern to put it back
    (Variations), they wait, and the user is told so; they are taken once it
    has ended.
*/
class FilesFromOutside : private VeskSession::Listener
{
public:
    /** loadLibrary opens a library as File > Open does, asking first about a
        changed one, and runs its second argument when that is over. */
    FilesFromOutside (VeskSession& sessionToUse, AppDialogs& dialogsToUse, FileExchangeCommands& fileCommandsToUse,
                      std::function<void (const juce::File&, std::function<void()>)> loadLibraryToUse);
    ~FilesFromOutside() override;

    void openFilesFromOutside (const juce::StringArray& paths);

    /** The files not taken yet, in the order they came. */
    const juce::Array<juce::File>& getWaitingFiles() const noexcept { return waitingFiles; }

private:
    void jobChanged() override;
    void auditionChanged() override;
    void openWaitingFiles();
    void openWaitingFilesSoon();

    VeskSession& session;
    AppDialogs& dialogs;
    FileExchangeCommands& fileCommands;
    std::function<void (const juce::File&, std::function<void()>)> loadLibrary;
    juce::Array<juce::File> waitingFiles;
    bool takingFile = false; // one of them is being opened (a question may be up)

    JUCE_DECLARE_WEAK_REFERENCEABLE (FilesFromOutside)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FilesFromOutside)
};
