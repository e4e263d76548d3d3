#include "CollectionIntake.h"
#include "collection/CollectionSchema.h"

CollectionIntake::CollectionIntake (VeskModel& modelToUse, const juce::File& collectionFile, bool addByItself, SessionListeners& listenersToTell)
    : model (modelToUse),
      listeners (listenersToTell),
      file (collectionFile),
      addingByItself (addByItself)
{
    // Opening the collection (SQLite, two connections and their threads) waits
    // until something needs it. A file that is plainly damaged or foreign is
    // opened at once all the same, so that it is found and said at start.
    if (file != juce::File() && ! CollectionSchema::headerLooksSound (file))
        getCollection();
}

CollectionIntake::~CollectionIntake()
{
    folderJob = nullptr;

    if (collection != nullptr)
        collection->removeListener (this);

    collection = nullptr;

    if (scratchFolder != juce::File())
        scratchFolder.deleteRecursively();
}

Collection& CollectionIntake::getCollection()
{
    if (collection == nullptr)
    {
        auto fileToOpen = file;

        if (fileToOpen == juce::File())
        {
            scratchFolder = juce::File::createTempFile ("vesk-collection");
            fileToOpen = scratchFolder.getChildFile ("collection.db");
        }

        collection = std::make_unique<Collection> (fileToOpen);
        collection->addListener (this);
    }

    return *collection;
}

void CollectionIntake::libraryReadOrWritten (const juce::File& library)
{
    add (CollectionSource::library, library, VeskBlock::patterns());
}

void CollectionIntake::syxImported (const juce::File& syx, const std::vector<VeskBlock>& slots)
{
    add (CollectionSource::syx, syx, slots);
}

void CollectionIntake::midiImported (const juce::File& midi, const std::vector<VeskBlock>& slots)
{
    add (CollectionSource::midiImport, midi, slots);
}

void CollectionIntake::gotAll (const std::vector<VeskBlock>& arrived)
{
    std::vector<VeskBlock> patterns;

    for (auto block : arrived)
        if (block.isPattern())
            patterns.push_back (block);

    add (CollectionSource::getAll, {}, patterns);
}

void CollectionIntake::add (CollectionSource source, const juce::File& from, const std::vector<VeskBlock>& slots)
{
    if (! addingByItself || file == juce::File() || slots.empty())
        return;

    // Copied now: the image goes on changing while the writer works.
    getCollection().add (CollectionSighting::fromImage (source, from == juce::File() ? juce::String() : from.getFullPathName(),
                                                        model.image, juce::Time::currentTimeMillis(), slots));
}

bool CollectionIntake::addFolders (const juce::Array<juce::File>& paths)
{
    if (isAddingFolders())
        return false;

    folderJob = std::make_unique<CollectionFolderJob> (getCollection(), paths);
    folderJob->start();
    return true;
}

void CollectionIntake::collectionFailed (const CollectionProblem& problem)
{
    listeners.collectionFailed (problem, {});
}

void CollectionIntake::collectionReplaced (const juce::File& movedAside, const CollectionProblem& whatWasWrong)
{
    listeners.collectionFailed (whatWasWrong, movedAside);
}
