#include "CollectionDetails.h"

namespace
{
    // 4096 -> "4,096", as the limits are said.
    juce::String grouped (int number)
    {
        auto text = juce::String (number);

        for (int at = text.length() - 3; at > 0; at -= 3)
            text = text.substring (0, at) + "," + text.substring (at);

        return text;
    }

    juce::String cutNote (const char* what, int limit)
    {
        return juce::String ("A ") + what + " holds up to " + grouped (limit) + " characters: only the first " + grouped (limit) + " were taken.";
    }
}

void CollectionTextBox::insertTextAtCaret (const juce::String& text)
{
    const int room = juce::jmax (0, maxLength - (getTotalNumChars() - getHighlightedRegion().getLength()));

    if (text.length() <= room)
        return juce::TextEditor::insertTextAtCaret (text);

    juce::TextEditor::insertTextAtCaret (text.substring (0, room));

    if (onCut != nullptr)
        onCut();
}

CollectionDetails::CollectionDetails()
{
    auto setUp = [this] (juce::TextEditor& editor, const juce::String& name, const juce::String& hint, std::function<void()> commit)
    {
        editor.setName (name);
        editor.setTextToShowWhenEmpty (hint, juce::Colours::grey);
        editor.onReturnKey = commit;
        editor.onFocusLost = commit;
        addAndMakeVisible (editor);
    };

    setUp (nameEditor, "patternName", "Name", [this]
           { commitName(); });
    setUp (tagsEditor, "patternTags", "Tags, comma-separated", [this]
           { commitTags(); });
    setUp (commentEditor, "patternComment", "Comment", [this]
           { commitComment(); });

    nameEditor.onCut = [this]
    { note (cutNote ("name", nameEditor.maxLength)); };
    commentEditor.onCut = [this]
    { note (cutNote ("comment", commentEditor.maxLength)); };

    favouriteButton.onClick = [this]
    {
        const bool on = favouriteButton.getToggleState();
        edit ([id = shownId, on] (CollectionStore& store)
              { return store.setFavourite (id, on); });
    };
    addAndMakeVisible (favouriteButton);

    ratingBox.addItem ("No Rating", 1);

    for (int stars = 1; stars <= 5; ++stars)
        ratingBox.addItem (juce::String::repeatedString ("*", stars), stars + 1);

    ratingBox.onChange = [this]
    {
        const int rating = ratingBox.getSelectedId() - 1;
        edit ([id = shownId, rating] (CollectionStore& store)
              { return store.setRating (id, rating); });
    };
    addAndMakeVisible (ratingBox);

    show (std::nullopt);
}

void CollectionDetails::show (const std::optional<CollectionPattern>& pattern)
{
    shownId = pattern.has_value() ? pattern->id : juce::String();
    shown = pattern.value_or (CollectionPattern());

    nameEditor.setText (pattern.has_value() ? shown.name : juce::String(), false);
    tagsEditor.setText (shown.tags.joinIntoString (", "), false);
    commentEditor.setText (shown.comment, false);
    favouriteButton.setToggleState (shown.favourite, juce::dontSendNotification);
    ratingBox.setSelectedId (pattern.has_value() ? juce::jlimit (0, 5, shown.rating) + 1 : 0, juce::dontSendNotification);

    for (auto* control : std::initializer_list<juce::Component*> { &nameEditor, &tagsEditor, &commentEditor, &favouriteButton, &ratingBox })
        control->setEnabled (pattern.has_value());
}

juce::StringArray CollectionDetails::parseTags (const juce::String& text)
{
    juce::StringArray tags;
    tags.addTokens (text, ",", {});
    tags.trim();
    tags.removeEmptyStrings();
    tags.removeDuplicates (true);
    return tags;
}

void CollectionDetails::edit (Change change)
{
    if (shownId.isNotEmpty() && onEdit != nullptr)
        onEdit (std::move (change));
}

void CollectionDetails::note (const juce::String& text)
{
    if (onNote != nullptr)
        onNote (text);
}

void CollectionDetails::commitName()
{
    const auto name = nameEditor.getText().trim();

    if (shownId.isEmpty() || name == shown.name)
        return;

    shown.name = name;
    edit ([id = shownId, name] (CollectionStore& store)
          { return store.setName (id, name); });
}

void CollectionDetails::commitComment()
{
    const auto comment = commentEditor.getText().trim();

    if (shownId.isEmpty() || comment == shown.comment)
        return;

    shown.comment = comment;
    edit ([id = shownId, comment] (CollectionStore& store)
          { return store.setComment (id, comment); });
}

void CollectionDetails::commitTags()
{
    const auto tags = parseTags (tagsEditor.getText());
    juce::StringArray added, removed;

    for (const auto& tag : tags)
        if (! shown.tags.contains (tag))
            added.add (tag);

    for (const auto& tag : shown.tags)
        if (! tags.contains (tag))
            removed.add (tag);

    if (shownId.isEmpty() || (added.isEmpty() && removed.isEmpty()))
        return;

    // The box keeps what was typed, for the user to shorten.
    for (const auto& tag : added)
        if (tag.length() > CollectionEdit::maxTagLength)
            return note ("A tag holds up to " + juce::String (CollectionEdit::maxTagLength) + " characters, and \"" + tag.substring (0, 20)
                         + "...\" has " + grouped (tag.length()) + ": shorten it and press Return. The tags were not changed.");

    shown.tags = tags;

    // Both on the writer, in order: a tag renamed is one edit of the box.
    edit ([id = shownId, added, removed] (CollectionStore& store)
          {
              using Outcome = CollectionEdit::Outcome;

              if (! removed.isEmpty())
                  if (auto result = store.removeTags (id, removed); result.outcome != Outcome::changed && result.outcome != Outcome::unchanged)
                      return result;

              return added.isEmpty() ? CollectionEdit() : store.addTags (id, added); });
}

void CollectionDetails::resized()
{
    auto area = getLocalBounds();
    auto first = area.removeFromTop (rowHeight).reduced (2);
    ratingBox.setBounds (first.removeFromRight (84));
    first.removeFromRight (4);
    favouriteButton.setBounds (first.removeFromRight (86));
    first.removeFromRight (4);
    nameEditor.setBounds (first);

    auto second = area.removeFromTop (rowHeight).reduced (2);
    tagsEditor.setBounds (second.removeFromLeft (second.getWidth() / 2).withTrimmedRight (2));
    commentEditor.setBounds (second);
}
