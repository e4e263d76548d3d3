#pragma once

#include "collection/CollectionStore.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The user's own data of the pattern selected on the Collection page, edited
    in place: its name, tags (comma-separated), favourite, rating and comment.
    A text is taken on Return or when the box loses focus; each change goes
    out through onEdit as one change of the store.
*/
class CollectionDetails : public juce::Component
{
public:
    CollectionDetails();

    /** Shows the pattern's data; nothing (and nothing to edit) without one. */
    void show (const std::optional<CollectionPattern>& pattern);

    /** The id of the pattern shown, or empty. */
    const juce::String& getShownId() const noexcept { return shownId; }

    using Change = std::function<CollectionEdit (CollectionStore&)>;

    /** A change of the shown pattern, to be run on the collection's writer. */
    std::function<void (Change change)> onEdit;

    /** "bass, Dark , bass" -> "bass", "Dark": trimmed, no empty or repeated ones. */
    static juce::StringArray parseTags (const juce::String& text);

    void resized() override;

    static constexpr int numRows = 2;
    static constexpr int rowHeight = 24;

    juce::TextEditor nameEditor, tagsEditor, commentEditor;
    juce::ToggleButton favouriteButton { "Favourite" };
    juce::ComboBox ratingBox { "rating" };

private:
    void commitName();
    void commitTags();
    void commitComment();
    void edit (Change change);

    juce::String shownId;
    CollectionPattern shown;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionDetails)
};
