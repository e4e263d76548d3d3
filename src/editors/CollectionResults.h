#pragma once

#include "collection/Collection.h"

#include <map>
#include <set>

/**
    What the Collection page's list shows: the answer of one search, read a
    page of rows at a time as the list asks for them, on the collection's
    reader thread. Only the pages near what is shown are kept, so a search
    that matches 100,000 patterns holds a few hundred of them.

    A new query starts a new generation: an answer for an older one is
    dropped. One read is in flight at a time, so a scroll that passes a page
    by never queues it. Message thread only.
*/
class CollectionResults
{
public:
    explicit CollectionResults (Collection& collectionToUse);
    ~CollectionResults();

    /** Searches anew: the rows are unknown until the first page comes back. */
    void setQuery (const CollectionQuery& newQuery);
    const CollectionQuery& getQuery() const noexcept { return query; }

    /** The patterns that play closest to id's in place of a search (closest first). */
    void showSimilar (const juce::String& id);
    bool isShowingSimilar() const noexcept { return similarTo.isNotEmpty(); }

    /** Reads the shown rows again (after an edit), keeping what is shown meanwhile. */
    void reload();

    /** True once the current query's first page has come back. */
    bool isAnswered() const noexcept { return answered; }

    /** All that match (not only the rows held). */
    int getTotal() const noexcept { return total; }

    /** The row's pattern, or null while it is being read (its page is then asked for). */
    const CollectionPattern* getRow (int row);

    /** Where a pattern is among the rows held: a row read for the current
        answer (fresh), or else one kept on screen from before a reload. */
    struct Place
    {
        int row = -1;
        bool fresh = false;
    };

    Place find (const juce::String& id) const;

    /** Every row of the current answer has been read for it. */
    bool holdsEveryRow() const;

    /** The current answer has come and no page of it is on its way. */
    bool isSettled() const noexcept { return answeredGeneration == generation && pendingPage < 0 && wanted.empty(); }

    /** Where the patterns stand in the current answer (see CollectionStore::rowsOf);
        done is not called when another answer has taken its place meanwhile, or
        the read failed. */
    void locate (const juce::StringArray& ids, std::function<void (const std::map<juce::String, int>& rows)> done);

    /** Why the last read failed, if it did. */
    const CollectionProblem& getProblem() const noexcept { return problem; }

    /** An answer arrived: the list should paint again. */
    std::function<void()> onChange;

    static constexpr int pageSize = 64;
    static constexpr int pagesKept = 8;
    static constexpr int similarLimit = 50;

    /** The generation of the current query; an answer for another is stale. */
    juce::uint64 getGeneration() const noexcept { return generation; }

private:
    void start();
    void fetchNext();
    void pageArrived (juce::uint64 forGeneration, int pageIndex, const CollectionPage& page);
    void forgetFarPages (int nearPage);

    Collection& collection;
    CollectionQuery query;
    juce::String similarTo;
    juce::uint64 generation = 0;
    bool answered = false;
    int total = 0;
    CollectionProblem problem;

    std::map<int, std::vector<CollectionPattern>> pages;
    std::set<int> freshPages; // read for the current generation
    juce::uint64 answeredGeneration = 0;
    std::vector<int> wanted; // pages to read next, first first
    int pendingPage = -1; // the page being read

    JUCE_DECLARE_WEAK_REFERENCEABLE (CollectionResults)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionResults)
};
