#include "CollectionResults.h"

CollectionResults::CollectionResults (Collection& collectionToUse)
    : collection (collectionToUse)
{
}

CollectionResults::~CollectionResults() = default;

void CollectionResults::setQuery (const CollectionQuery& newQuery)
{
    query = newQuery;
    similarTo.clear();
    start();
}

void CollectionResults::showSimilar (const juce::String& id)
{
    similarTo = id;
    start();
}

void CollectionResults::start()
{
    ++generation;
    answered = false;
    pages.clear();
    freshPages.clear();
    pendingPage = -1;
    wanted = { 0 };
    fetchNext();
}

void CollectionResults::reload()
{
    // The rows held stay on screen until their new versions come.
    ++generation;
    pendingPage = -1;
    wanted.clear();
    freshPages.clear();

    for (const auto& held : pages)
        wanted.push_back (held.first);

    if (wanted.empty())
        wanted.push_back (0);

    fetchNext();
}

const CollectionPattern* CollectionResults::getRow (int row)
{
    if (row < 0 || (answered && row >= total))
        return nullptr;

    const int pageIndex = row / pageSize;

    if (const auto found = pages.find (pageIndex); found != pages.end())
    {
        const auto index = (size_t) (row % pageSize);
        return index < found->second.size() ? &found->second[index] : nullptr;
    }

    // A page scrolled past before it came is not read at all.
    if (! isShowingSimilar() && pendingPage != pageIndex && (wanted.empty() || wanted.front() != pageIndex))
    {
        wanted = { pageIndex };
        fetchNext();
    }

    return nullptr;
}

void CollectionResults::fetchNext()
{
    if (pendingPage >= 0 || wanted.empty())
        return;

    pendingPage = wanted.front();
    wanted.erase (wanted.begin());

    const auto forGeneration = generation;
    const int pageIndex = pendingPage;
    juce::WeakReference<CollectionResults> weakThis (this);
    auto done = [weakThis, forGeneration, pageIndex] (const CollectionPage& page)
    {
        if (weakThis != nullptr)
            weakThis->pageArrived (forGeneration, pageIndex, page);
    };

    if (isShowingSimilar())
    {
        const auto id = similarTo;
        collection.read<CollectionPage> ([id] (CollectionStore& store)
                                         {
                                             CollectionPage page;

                                             for (auto& similar : store.similar (id, similarLimit))
                                                 page.patterns.push_back (std::move (similar.pattern));

                                             page.total = (int) page.patterns.size();
                                             return page; },
                                         std::move (done));
        return;
    }

    auto pageQuery = query;
    pageQuery.limit = pageSize;
    pageQuery.offset = pageIndex * pageSize;

    // The first page of a query is the type-ahead's: the collection drops its
    // answer when a newer search overtakes it. Later pages of the same query
    // are plain reads, so they never overtake the search they belong to.
    if (pageIndex == 0)
        collection.search (pageQuery, std::move (done));
    else
        collection.read<CollectionPage> ([pageQuery] (CollectionStore& store)
                                         { return store.search (pageQuery); },
                                         std::move (done));
}

void CollectionResults::pageArrived (juce::uint64 forGeneration, int pageIndex, const CollectionPage& page)
{
    if (forGeneration != generation)
        return; // an older query's: its successor is on its way

    pendingPage = -1;
    problem = page.problem;

    total = page.total;
    answered = true;
    answeredGeneration = generation;
    pages[pageIndex] = page.patterns;
    freshPages.insert (pageIndex);
    forgetFarPages (pageIndex);
    fetchNext();

    if (onChange != nullptr)
        onChange();
}

void CollectionResults::forgetFarPages (int nearPage)
{
    while ((int) pages.size() > pagesKept)
    {
        const auto first = pages.begin();
        const auto last = std::prev (pages.end());
        const auto far = nearPage - first->first > last->first - nearPage ? first : last;
        freshPages.erase (far->first);
        pages.erase (far);
    }
}

CollectionResults::Place CollectionResults::find (const juce::String& id) const
{
    Place kept;

    for (const auto& [index, patterns] : pages)
        for (size_t i = 0; i < patterns.size(); ++i)
            if (const int row = index * pageSize + (int) i; patterns[i].id == id && row < total)
            {
                if (freshPages.count (index) != 0)
                    return { row, true };

                if (kept.row < 0)
                    kept.row = row;
            }

    return kept;
}

bool CollectionResults::holdsEveryRow() const
{
    if (answeredGeneration != generation)
        return false;

    for (int index = 0; index * pageSize < total; ++index)
        if (freshPages.count (index) == 0)
            return false;

    return true;
}

void CollectionResults::locate (const juce::StringArray& ids, std::function<void (const std::map<juce::String, int>& rows)> done)
{
    using Rows = std::optional<std::map<juce::String, int>>;

    if (isShowingSimilar())
        return; // its one page is every row it has

    const auto forGeneration = generation;
    juce::WeakReference<CollectionResults> weakThis (this);

    collection.read<Rows> ([searched = query, ids] (CollectionStore& store)
                           { return store.rowsOf (searched, ids); },
                           [weakThis, forGeneration, done = std::move (done)] (Rows rows)
                           {
                               if (weakThis != nullptr && weakThis->generation == forGeneration && rows.has_value())
                                   done (*rows); });
}
