#include "CollectionFilters.h"
#include "collection/CollectionSearchIndex.h"
#include "model/VeskFieldTable.h"
#include "model/VeskImage.h"
#include "model/VeskNames.h"

namespace
{
    namespace PartType = VeskImage::PartType;

    // The first item of every filter is "any"; a choice's value is its id less firstValue.
    constexpr int anyItem = 1;
    constexpr int firstValue = 2;

    std::optional<int> chosen (const juce::ComboBox& box)
    {
        const int id = box.getSelectedId();
        return id >= firstValue ? std::optional<int> (id - firstValue) : std::nullopt;
    }

    bool hasTone (int type) { return type == PartType::lead || type == PartType::bass; }

    /** Every value a pattern field's control shows, from its lowest to its highest. */
    std::vector<int> shownValues (int offset)
    {
        // Every type has these fields alike.
        const auto& entry = VeskFieldTable::pattern (offset, PartType::lead);
        std::vector<int> values;

        for (double v = entry.lowest; v <= entry.highest; v += entry.interval)
            values.push_back ((int) v);

        return values;
    }
}

CollectionFilters::CollectionFilters()
{
    searchBox.setName ("collectionSearch");
    searchBox.setTextToShowWhenEmpty ("Search names, tags, comments, files", juce::Colours::grey);
    searchBox.setSelectAllWhenFocused (false);
    // A character more than a search reads, so that a longer paste is still said to be cut.
    searchBox.setInputRestrictions (CollectionSearchIndex::maxTextLength + 1);
    searchBox.onTextChange = [this]
    { changed(); };
    searchBox.onEscapeKey = [this]
    { searchBox.clear(); changed(); };
    addAndMakeVisible (searchBox);

    typeBox.addItem ("Any Type", anyItem);

    for (int type = 0; type < VeskNames::partTypes().size(); ++type)
        typeBox.addItem (VeskNames::partTypes()[type], firstValue + type);

    soundBox.addItem ("Any Tone or Kit", anyItem);
    lengthBox.addItem ("Any Length", anyItem);
    stepsBox.addItem ("Any Steps", anyItem);

    // Only what a pattern can have: the lengths and steps per bar its controls reach.
    for (const int bars : shownValues (VeskImage::Pattern::patternLength))
        lengthBox.addItem (juce::String (bars) + (bars == 1 ? " Bar" : " Bars"), firstValue + bars);

    for (const int steps : shownValues (VeskImage::Pattern::stepsPerBar))
        stepsBox.addItem (juce::String (steps) + " per Bar", firstValue + steps);

    tagBox.addItem ("Any Tag", anyItem);

    // The order of CollectionQuery::Sort.
    sortBox.addItemList ({ "By Name", "By Last Seen", "By Tempo", "By Type" }, 1);

    for (auto* box : { &typeBox, &soundBox, &lengthBox, &stepsBox, &tagBox, &sortBox })
    {
        box->setSelectedId (1, juce::dontSendNotification);
        box->onChange = [this]
        { changed(); };
        addAndMakeVisible (box);
    }

    typeBox.onChange = [this]
    { typeChanged(); };
    soundBox.setEnabled (false);

    tempoRange.setSliderStyle (juce::Slider::SliderStyle::TwoValueHorizontal);
    tempoRange.setTextBoxStyle (juce::Slider::TextEntryBoxPosition::NoTextBox, true, 0, 0);
    tempoRange.setRange (lowestTempo, highestTempo, 1);
    tempoRange.setMinAndMaxValues (lowestTempo, highestTempo, juce::dontSendNotification);
    tempoRange.onValueChange = [this]
    {
        tempoLabel.setText (tempoText(), juce::dontSendNotification);
        changed();
    };
    addAndMakeVisible (tempoRange);

    tempoLabel.setText (tempoText(), juce::dontSendNotification);
    tempoLabel.setFont (juce::Font (12.0f));
    addAndMakeVisible (tempoLabel);

    favouriteButton.onClick = [this]
    { changed(); };
    addAndMakeVisible (favouriteButton);
}

juce::String CollectionFilters::tempoText() const
{
    return "BPM " + juce::String ((int) tempoRange.getMinValue()) + "-" + juce::String ((int) tempoRange.getMaxValue());
}

void CollectionFilters::typeChanged()
{
    // A tone belongs to a Lead or Bass pattern, a kit to a Rythm one.
    const auto type = chosen (typeBox);
    soundBox.clear (juce::dontSendNotification);
    soundBox.addItem ("Any Tone or Kit", anyItem);

    if (type.has_value() && (hasTone (*type) || *type == PartType::rythm))
    {
        const auto& names = hasTone (*type) ? VeskNames::tones() : VeskNames::kits();

        for (int i = 0; i < names.size(); ++i)
            soundBox.addItem (names[i], firstValue + i);
    }

    soundBox.setSelectedId (anyItem, juce::dontSendNotification);
    soundBox.setEnabled (soundBox.getNumItems() > 1);
    changed();
}

void CollectionFilters::setTags (const juce::StringArray& newTags)
{
    if (newTags == tags)
        return;

    const auto current = tagBox.getSelectedId() >= firstValue ? tags[tagBox.getSelectedId() - firstValue] : juce::String();
    tags = newTags;
    tagBox.clear (juce::dontSendNotification);
    tagBox.addItem ("Any Tag", anyItem);

    for (int i = 0; i < tags.size(); ++i)
        tagBox.addItem (tags[i], firstValue + i);

    const int index = current.isEmpty() ? -1 : tags.indexOf (current, true);
    tagBox.setSelectedId (index >= 0 ? firstValue + index : anyItem, juce::dontSendNotification);

    // A tag that no pattern has any more no longer narrows the search.
    if (current.isNotEmpty() && index < 0)
        changed();
}

CollectionQuery CollectionFilters::getQuery() const
{
    CollectionQuery query;
    query.text = searchBox.getText().trim();
    query.type = chosen (typeBox);
    query.toneOrKit = soundBox.isEnabled() ? chosen (soundBox) : std::nullopt;
    query.bars = chosen (lengthBox);
    query.stepsPerBar = chosen (stepsBox);
    query.favouriteOnly = favouriteButton.getToggleState();

    if (const auto tag = chosen (tagBox))
        query.tag = tags[*tag];

    // A thumb at its end of the range leaves that side open.
    if (const int low = (int) tempoRange.getMinValue(); low > lowestTempo)
        query.tempoMin = low * 10;

    if (const int high = (int) tempoRange.getMaxValue(); high < highestTempo)
        query.tempoMax = high * 10 + 9;

    query.sort = (CollectionQuery::Sort) juce::jlimit (0, 3, sortBox.getSelectedId() - 1);
    return query;
}

void CollectionFilters::changed()
{
    if (onChange != nullptr)
        onChange();
}

void CollectionFilters::resized()
{
    auto area = getLocalBounds();
    auto row = [&area]
    { return area.removeFromTop (rowHeight).reduced (2); };

    auto first = row();
    sortBox.setBounds (first.removeFromRight (104));
    first.removeFromRight (4);
    searchBox.setBounds (first);

    auto second = row();
    const int quarter = second.getWidth() / 4;
    typeBox.setBounds (second.removeFromLeft (quarter).withTrimmedRight (2));
    soundBox.setBounds (second.removeFromLeft (quarter).withTrimmedRight (2));
    lengthBox.setBounds (second.removeFromLeft (quarter).withTrimmedRight (2));
    stepsBox.setBounds (second);

    auto third = row();
    tempoLabel.setBounds (third.removeFromLeft (80));
    tempoRange.setBounds (third.removeFromLeft (third.getWidth() - 210));
    third.removeFromLeft (4);
    favouriteButton.setBounds (third.removeFromLeft (96));
    tagBox.setBounds (third);
}
