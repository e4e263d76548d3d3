#include "ContentComp.h"
#include "model/VeskLibraryFile.h"

// Libraries opened and files dropped on the window.

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
