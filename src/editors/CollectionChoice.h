#pragma once

#include "CollectionResults.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The patterns chosen on the Collection page, held by their IDs. The list's
    highlight marks their rows wherever a re-sort, a search, a refresh or Find
    Similar puts them; a pattern the list no longer holds is no longer chosen.
    The details, Audition, Copy to Slot and every edit take the chosen
    patterns from here, never from a row number. Message thread only.
*/
class CollectionChoice
{
public:
    CollectionChoice (CollectionResults& resultsToFollow, juce::ListBox& listToMark);

    /** The user changed the highlight: what it marks is chosen now. */
    void takeFromList();

    /** The rows changed (an answer came, or a new one was asked for): the
        highlight moves to where the chosen patterns are now. */
    void follow();

    /** The one chosen pattern's row is scrolled to once it is known. */
    void bringIntoView() noexcept { scrollWanted = true; }

    /** Whether the one chosen pattern's row is on screen now. */
    bool isInView() const;

    /** The chosen patterns in the list's order; empty while one of them is
        still being read (it comes at once, so the user can simply try again). */
    std::vector<CollectionPattern> getPatterns() const;

    /** The chosen pattern, if there is exactly one. */
    std::optional<CollectionPattern> getOne() const;

    /** How many rows the user chose, read or not. */
    int count() const noexcept;

    /** Past this many the patterns are not read: no command takes more than a library holds. */
    static constexpr int mostChosen = 64;

    /** Who is chosen changed (true), or only what is known of them (false). */
    std::function<void (bool otherPatterns)> onChange;

private:
    struct Chosen
    {
        CollectionPattern pattern;
        int row = -1; // -1 while unknown
    };

    void takeWaitingRows (bool& otherPatterns);
    void drop (const juce::StringArray& ids);
    void mark();

    CollectionResults& results;
    juce::ListBox& list;
    std::vector<Chosen> chosen;

    juce::SparseSet<int> waitingRows; // highlighted before their page came
    juce::uint64 waitingGeneration = 0;
    int tooMany = 0; // rows chosen past mostChosen, or 0

    std::map<juce::String, int> located; // rows not held, as the reader found them
    juce::uint64 locatedGeneration = 0, askedGeneration = 0;
    juce::StringArray askedIds;
    bool scrollWanted = false;

    JUCE_DECLARE_WEAK_REFERENCEABLE (CollectionChoice)
    JUCE_DECLARE_NON_COPYABLE (CollectionChoice)
};
