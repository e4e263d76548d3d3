#pragma once

#include "collection/CollectionStore.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A text box that takes no more than its limit; a paste or key past it is
    cut to what fits, and onCut says so. */
class CollectionTextBox : public juce::TextEditor
{
public:
    explicit CollectionTextBox (int limit) : maxLength (limit) {}

    void insertTextAtCaret (const juce::String& text) override;

    const int maxLength;
    std::function<void()> onCut;
};

/**
    The user's own data of the pattern selected on the Collection page, edited
    in place: its name, tags (comma-separated), favourite, rating and comment.
    A text is taken on Return or when the box loses focus; each change goes
    out through onEdit as one change of the store. A text past the store's
    limits never goes out: the name and comment boxes take no more than it
    holds, a tag too long stays in its box to be shortened, and onNote says
    which (without a modal box, which would take the keys typed next).
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

    /** A text was cut to its limit or refused: why, in one line. */
    std::function<void (const juce::String& note)> onNote;

    /** "bass, Dark , bass" -> "bass", "Dark": trimmed, no empty or repeated ones. */
    static juce::StringArray parseTags (const juce::String& text);

    void resized() override;

    static constexpr int numRows = 2;
    static constexpr int rowHeight = 24;

    CollectionTextBox nameEditor { CollectionEdit::maxTextLength }, commentEditor { CollectionEdit::maxTextLength };
    juce::TextEditor tagsEditor;
    juce::ToggleButton favouriteButton { "Favourite" };
    juce::ComboBox ratingBox { "rating" };

private:
    void commitName();
    void commitTags();
    void commitComment();
    void edit (Change change);
    void note (const juce::String& text);

    juce::String shownId;
    CollectionPattern shown;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CollectionDetails)
};
