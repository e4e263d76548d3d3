#pragma once

#include "collection/CollectionStore.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The Collection page's search: a box whose words find patterns by the
    start of a word of their names, tags, comments and source files as they
    are typed, the filters (type, tone or kit, tempo, length, steps per bar,
    favourites, a tag) and the order. Every change is told through onChange
    at once; the search itself runs off the message thread.
*/
class CollectionFilters : public juce::Component
{
public:
    CollectionFilters();

    /** The search the controls describe (limit and offset left to the list). */
    CollectionQuery getQuery() const;

    /** The tags the tag filter offers; the one chosen stays chosen. */
    void setTags (const juce::StringArray& tags);

    std::function<void()> onChange;

    void resized() override;

    /** The rows the controls take, at 24 pixels each. */
    static constexpr int numRows = 3;
    static constexpr int rowHeight = 24;

    juce::TextEditor searchBox;
    juce::ComboBox typeBox { "typeFilter" }, soundBox { "soundFilter" }, lengthBox { "lengthFilter" }, stepsBox { "stepsFilter" };
    juce::ComboBox tagBox { "tagFilter" }, sortBox { "sortOrder" };
    juce::Slider tempoRange { "tempoFilter" };
    juce::Label tempoLabel;
    juce::ToggleButton favouriteButton { "Favourites" };

    static constexpr int lowestTempo = 40, highestTempo = 240; // BPM, as the unit takes them

private:
    void typeChanged();
    void changed();
    juce::String tempoText() const;

    juce::StringArray tags;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionFilters)
};
