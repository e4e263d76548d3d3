#include "AboutComponent.h"
#include "VeskEditApplication.h"
#include "editors/VeskFonts.h"

AboutComponent::AboutComponent()
{
    const auto plain = VeskFonts::monospaced (14.0f);
    const auto bold = VeskFonts::monospaced (14.0f, true);

    textEditor.setComponentID ("textEditor");
    addAndMakeVisible (textEditor);
    textEditor.setMultiLine (true, true);
    textEditor.setBorder (juce::BorderSize<int> (2));
    textEditor.setReadOnly (true);
    textEditor.setPopupMenuEnabled (false);
    textEditor.setEscapeAndReturnKeysConsumed (false); // Escape closes the box

    auto insert = [this] (const juce::Font& font, const juce::String& text)
    {
        textEditor.setFont (font);
        textEditor.insertTextAtCaret (text);
    };

    insert (bold, "Version\t");
    insert (plain, juce::String (VeskEditApplication::versionString) + "\n\n");
    insert (bold, "Web site\t");
    insert (plain, juce::String (webSite) + "\n\n");
    insert (bold, "Staff\t");
    insert (plain, juce::String (credits) + "\n\n");
}

AboutComponent::~AboutComponent() = default;

void AboutComponent::resized()
{
    textEditor.setBounds (getLocalBounds().reduced (2));
}
