#include "FilesFromOutside.h"
#include "SessionTexts.h"

FilesFromOutside::FilesFromOutside (VeskSession& sessionToUse, AppDialogs& dialogsToUse, FileExchangeCommands& fileCommandsToUse,
                                    std::function<void (const juce::File&, std::function<void()>)> loadLibraryToUse)
    : session (sessionToUse),
      dialogs (dialogsToUse),
      fileCommands (fileCommandsToUse),
      loadLibrary (std::move (loadLibraryToUse))
{
    session.addListener (this);
}

FilesFromOutside::~FilesFromOutside()
{
    session.removeListener (this);
}

void FilesFromOutside::jobChanged()
{
    if (! waitingFiles.isEmpty() && ! session.isBusy())
        openWaitingFilesSoon();
}

void FilesFromOutside::auditionChanged()
{
    if (! waitingFiles.isEmpty() && ! session.getAudition().isOpen())
        openWaitingFilesSoon();
}

void FilesFromOutside::openFilesFromOutside (const juce::StringArray& paths)
{
    for (const auto& path : paths)
        waitingFiles.add (juce::File (path));

    if (paths.isEmpty() || takingFile)
        return;

    // Each file waiting is named, so none goes unanswered.
    juce::StringArray names;

    for (const auto& file : waitingFiles)
        names.add ("\"" + file.getFileName() + "\"");

    const auto held = session.refusalWhileHeld ("Opening " + names.joinIntoString (", "));

    if (held.failed())
        dialogs.showNotice (juce::MessageBoxIconType::InfoIcon, "Open", SessionTexts::describe (held));
    else
        openWaitingFiles();
}

void FilesFromOutside::openWaitingFilesSoon()
{
    // Not from inside the job's or the window's own ending.
    juce::WeakReference<FilesFromOutside> safeThis (this);
    juce::MessageManager::callAsync ([safeThis]
                                     {
                                         if (safeThis != nullptr)
                                             safeThis->openWaitingFiles(); });
}

void FilesFromOutside::openWaitingFiles()
{
    if (takingFile || waitingFiles.isEmpty() || session.refusalWhileHeld ("Open").failed())
        return;

    // Waiting is over: what said so goes.
    dialogs.closeNotice();

    const auto file = waitingFiles.removeAndReturn (0);

    if (file.hasFileExtension ("syx"))
    {
        fileCommands.importSyxFile (file);
    }
    else if (file.hasFileExtension ("mid;midi"))
    {
        fileCommands.importMidiFile (file);
    }
    else
    {
        // The next waits for the question about a changed library, if one is asked.
        takingFile = true;
        juce::WeakReference<FilesFromOutside> safeThis (this);
        loadLibrary (file, [safeThis]
                     {
                         if (safeThis != nullptr)
                         {
                             safeThis->takingFile = false;
                             safeThis->openWaitingFiles();
                         } });
        return;
    }

    openWaitingFiles();
}
