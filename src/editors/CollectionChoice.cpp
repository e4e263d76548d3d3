#include "CollectionChoice.h"

namespace
{
    // What the details show of a pattern; its bytes never change under its ID.
    bool sameUserData (const CollectionPattern& a, const CollectionPattern& b)
    {
        return a.name == b.name && a.hasOwnName == b.hasOwnName && a.tags == b.tags && a.favourite == b.favourite && a.rating == b.rating
               && a.comment == b.comment && a.seen == b.seen;
    }
}

CollectionChoice::CollectionChoice (CollectionResults& resultsToFollow, juce::ListBox& listToMark)
    : results (resultsToFollow),
      list (listToMark)
{
}

void CollectionChoice::takeFromList()
{
    chosen.clear();
    waitingRows = {};
    located.clear();
    askedGeneration = locatedGeneration = 0;
    scrollWanted = false;

    const auto rows = list.getSelectedRows();
    tooMany = rows.size() > mostChosen ? rows.size() : 0;

    waitingGeneration = results.getGeneration();

    if (tooMany == 0)
    {
        waitingRows = rows;
        bool ignored = false;
        takeWaitingRows (ignored);
    }

    if (onChange != nullptr)
        onChange (true);
}

void CollectionChoice::takeWaitingRows (bool& otherPatterns)
{
    if (waitingRows.isEmpty() && tooMany == 0)
        return;

    // Rows of an answer that has been replaced name nothing any more.
    if (waitingGeneration != results.getGeneration())
    {
        waitingRows = {};
        tooMany = 0;
        otherPatterns = true;
        return;
    }

    for (int i = waitingRows.size(); --i >= 0;)
    {
        const int row = waitingRows[i];

        if (const auto* pattern = results.getRow (row))
        {
            chosen.push_back ({ *pattern, row });
            waitingRows.removeRange ({ row, row + 1 });
            otherPatterns = true;
        }
    }
}

void CollectionChoice::follow()
{
    bool otherPatterns = false, newData = false;
    takeWaitingRows (otherPatterns);

    const auto generation = results.getGeneration();
    const bool locatedNow = locatedGeneration == generation;
    juce::StringArray unsure, gone;

    for (auto& c : chosen)
    {
        const auto place = results.find (c.pattern.id);
        c.row = place.row;

        if (place.fresh)
        {
            if (const auto* now = results.getRow (place.row); now != nullptr && ! sameUserData (*now, c.pattern))
            {
                c.pattern = *now;
                newData = true;
            }

            continue;
        }

        // Not read for this answer: the reader says where it is now.
        if (const auto found = located.find (c.pattern.id); locatedNow && found != located.end())
            c.row = found->second;
        else if (locatedNow && askedIds.contains (c.pattern.id))
            gone.add (c.pattern.id);
        else if (place.row < 0 && results.holdsEveryRow())
            gone.add (c.pattern.id);
        else
            unsure.add (c.pattern.id);
    }

    if (! gone.isEmpty())
    {
        drop (gone);
        otherPatterns = true;
    }

    if (! unsure.isEmpty() && results.isSettled() && askedGeneration != generation)
    {
        askedGeneration = generation;
        askedIds = unsure;
        juce::WeakReference<CollectionChoice> weakThis (this);
        results.locate (unsure, [weakThis, generation] (const std::map<juce::String, int>& rows)
                        {
                            if (weakThis == nullptr)
                                return;

                            weakThis->located = rows;
                            weakThis->locatedGeneration = generation;
                            weakThis->follow(); });
    }

    std::stable_sort (chosen.begin(), chosen.end(), [] (const Chosen& a, const Chosen& b)
                      { return (unsigned) a.row < (unsigned) b.row; }); // unknown rows last

    mark();

    if ((otherPatterns || newData) && onChange != nullptr)
        onChange (otherPatterns);
}

void CollectionChoice::drop (const juce::StringArray& ids)
{
    chosen.erase (std::remove_if (chosen.begin(), chosen.end(), [&ids] (const Chosen& c)
                                  { return ids.contains (c.pattern.id); }),
                  chosen.end());

    if (chosen.empty())
        scrollWanted = false;
}

void CollectionChoice::mark()
{
    juce::SparseSet<int> rows;

    if (tooMany == 0)
    {
        rows = waitingRows;

        for (const auto& c : chosen)
            if (c.row >= 0)
                rows.addRange ({ c.row, c.row + 1 });
    }
    else
    {
        rows = list.getSelectedRows(); // a range too long to follow stays as the user made it
    }

    if (rows != list.getSelectedRows())
        list.setSelectedRows (rows, juce::dontSendNotification);

    if (scrollWanted && chosen.size() == 1 && chosen.front().row >= 0)
    {
        list.scrollToEnsureRowIsOnscreen (chosen.front().row);
        scrollWanted = false;
    }
}

bool CollectionChoice::isInView() const
{
    if (chosen.size() != 1 || chosen.front().row < 0)
        return false;

    return list.getLocalBounds().intersects (list.getRowPosition (chosen.front().row, true));
}

int CollectionChoice::count() const noexcept
{
    return tooMany > 0 ? tooMany : (int) chosen.size() + waitingRows.size();
}

std::vector<CollectionPattern> CollectionChoice::getPatterns() const
{
    if (tooMany > 0 || ! waitingRows.isEmpty())
        return {};

    std::vector<CollectionPattern> patterns;

    for (const auto& c : chosen)
        patterns.push_back (c.pattern);

    return patterns;
}

std::optional<CollectionPattern> CollectionChoice::getOne() const
{
    if (count() != 1 || chosen.size() != 1)
        return std::nullopt;

    return chosen.front().pattern;
}
