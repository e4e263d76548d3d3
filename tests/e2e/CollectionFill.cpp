// Puts library files' patterns into a collection and tags one of them, so an
// end-to-end case has a collection to search whatever else has run before.
// Usage: collection_fill DATABASE TAG LIBRARY SLOT [LIBRARY...]
// tags record SLOT (0 the temporary pattern, 1-20 User 01-20) of the first LIBRARY.

#include "collection/CollectionFingerprint.h"
#include "model/VeskLibraryFile.h"

#include <iostream>

int main (int argc, char** argv)
{
    if (argc < 5)
    {
        std::cerr << "usage: collection_fill DATABASE TAG LIBRARY SLOT [LIBRARY...]\n";
        return 2;
    }

    const juce::File database (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    auto opened = CollectionStore::open (database);

    if (opened.store == nullptr)
    {
        std::cerr << "cannot open " << database.getFullPathName() << ": " << opened.problem.detail << "\n";
        return 1;
    }

    const auto slot = VeskBlock::fromRecord (juce::String (argv[4]).getIntValue());
    juce::String tagged;

    for (int i = 3; i < argc; ++i)
    {
        if (i == 4)
            continue;

        const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (argv[i]);
        std::vector<juce::uint8> image (VeskImage::imageSize);

        if (const auto read = VeskLibraryFile::read (file, image.data()); read.failed())
        {
            std::cerr << file.getFullPathName() << ": " << read.getErrorMessage() << "\n";
            return 1;
        }

        if (! opened.store->add (CollectionSighting::fromImage (CollectionSource::library, file.getFullPathName(), image.data(),
                                                                juce::Time::currentTimeMillis()))
                  .ok())
            return 1;

        if (i == 3 && slot.has_value())
        {
            CollectionBytes bytes;
            std::copy_n (image.data() + slot->imageOffset(), bytes.size(), bytes.begin());
            tagged = CollectionFingerprint::id (bytes);
        }
    }

    const auto edit = opened.store->addTags (tagged, { argv[2] });
    return edit.outcome == CollectionEdit::Outcome::changed || edit.outcome == CollectionEdit::Outcome::unchanged ? 0 : 1;
}
