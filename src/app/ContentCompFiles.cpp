#include "ContentComp.h"
#include "SessionTexts.h"
#include "model/VeskLibraryFile.h"

// Files from outside (the command line, a later start, a drop), which wait
// while a job runs or a window holds something back, and .syx files.

void ContentComp::jobChanged()
{
    if (! waitingFiles.isEmpty() && ! session.isBusy())
        openWaitingFilesSoon();
}

void ContentComp::auditionChanged()
{
    if (! waitingFiles.isEmpty() && ! session.getAudition().isOpen())
        openWaitingFilesSoon();
}

void ContentComp::openFilesFromOutside (const juce::StringArray& paths)
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
        dialogs->showNotice (juce::MessageBoxIconType::InfoIcon, "Open", SessionTexts::describe (held));
    else
        openWaitingFiles();
}

void ContentComp::openWaitingFilesSoon()
{
    // Not from inside the job's or the window's own ending.
    juce::Component::SafePointer<ContentComp> safeThis (this);
    juce::MessageManager::callAsync ([safeThis]
                                     {
                                         if (safeThis != nullptr)
                                             safeThis->openWaitingFiles(); });
}

void ContentComp::openWaitingFiles()
{
    if (takingFile || waitingFiles.isEmpty() || session.refusalWhileHeld ("Open").failed())
        return;

    // Waiting is over: what said so goes.
    dialogs->closeNotice();

    const auto file = waitingFiles.removeAndReturn (0);

    if (file.hasFileExtension ("syx"))
    {
        importSyxFile (file);
    }
    else if (file.hasFileExtension ("mid;midi"))
    {
        importMidiFile (file);
    }
    else
    {
        // The next waits for the question about a changed library, if one is asked.
        takingFile = true;
        juce::Component::SafePointer<ContentComp> safeThis (this);
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

void ContentComp::loadLibrary (const juce::File& file, std::function<void()> done)
{
    if (dialogs->refusedWhileBusy ("Open"))
    {
        if (done != nullptr)
            done();

        return;
    }

    juce::Component::SafePointer<ContentComp> safeThis (this);
    auto load = [safeThis, file, done]
    {
        if (safeThis != nullptr)
            safeThis->getModel().loadFromAsync (file, true, [safeThis, done] (juce::Result result)
                                                {
                                                    if (safeThis != nullptr)
                                                        safeThis->afterLoading (result);

                                                    if (done != nullptr)
                                                        done(); });
    };

    // A file that will not load changes nothing, so nothing is asked: the
    // document's own load reports it as File > Open does.
    juce::HeapBlock<juce::uint8> scratch (VeskImage::imageSize);

    if (! VeskLibraryFile::read (file, scratch.get()).wasOk())
        load();
    else
        saveIfNeededThen (load, done);
}

bool ContentComp::isInterestedInFileDrag (const juce::StringArray& files)
{
    for (const auto& path : files)
        if (juce::File (path).hasFileExtension ("vsk;syx;mid;midi"))
            return true;

    return false;
}

void ContentComp::filesDropped (const juce::StringArray& files, int, int)
{
    // Those of a kind the program reads, in turn.
    juce::StringArray readable;

    for (const auto& path : files)
        if (juce::File (path).hasFileExtension ("vsk;syx;mid;midi"))
            readable.add (path);

    openFilesFromOutside (readable);
}

//==============================================================================
void ContentComp::chooseSyxFile (bool forImport)
{
    const auto library = getModel().getFile();
    const auto start = library != juce::File() ? library.withFileExtension ("syx") : juce::File::getCurrentWorkingDirectory();
    juce::Component::SafePointer<ContentComp> safeThis (this);

    dialogs->chooseFile (forImport ? "Import .syx" : "Export .syx", start, "*.syx", ! forImport, [safeThis, forImport] (const juce::File& file)
                         {
                             if (safeThis == nullptr)
                                 return;

                             if (forImport)
                                 safeThis->importSyxFile (file);
                             else
                                 safeThis->exportSyxFile (file.hasFileExtension ("syx") ? file : file.withFileExtension ("syx")); });
}

void ContentComp::importSyxFile (const juce::File& file)
{
    if (dialogs->refusedWhileBusy ("Import .syx"))
        return;

    const auto outcome = session.importSyx (file);
    dialogs->showMessage (outcome.failed() ? juce::MessageBoxIconType::WarningIcon : juce::MessageBoxIconType::InfoIcon,
                          "Import .syx", SessionTexts::describe (outcome));
}

void ContentComp::exportSyxFile (const juce::File& file)
{
    const auto result = session.exportSyx (file);

    if (result.failed())
        dialogs->showMessage (juce::MessageBoxIconType::WarningIcon, "Export .syx", result.getErrorMessage());
}
