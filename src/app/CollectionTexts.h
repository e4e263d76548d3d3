#pragma once

#include "collection/CollectionFolderImport.h"

/**
    The sentences the window makes of what the collection reports: a failure
    of what went in by itself, and the progress and end of Add Folder to
    Collection.
*/
struct CollectionTexts
{
    /** A failure told once, or (with movedAside) the damaged file kept aside at start. */
    static juce::String describeFailure (const CollectionProblem& problem, const juce::File& movedAside);

    /** What the folder job is doing now ("Reading Set1.vsk (3 of 12 files)"). */
    static juce::String describeProgress (const CollectionFolderImport::Progress& progress);

    /** The summary's headline and text: added, already in the collection, damaged and unreadable (named). */
    static juce::String headline (const CollectionFolderImport::Report& report);
    static juce::String describeReport (const CollectionFolderImport::Report& report);

    /** At most this many damaged files are named; the count is of all. */
    static constexpr size_t maxDamagedNamed = 20;
};
