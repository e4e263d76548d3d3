#include "ViewOptions.h"
#include "editors/VeskKnob.h"

namespace
{
    constexpr int numZoomSteps = (int) UserSettings::zoomSteps.size();
}

ViewOptions::ViewOptions (UserSettings& settingsToUse, juce::ApplicationCommandManager& commandManagerToUse)
    : settings (settingsToUse),
      commandManager (commandManagerToUse)
{
    VeskKnob::setDragMode (settings.getVerticalKnobDrag() ? VeskKnob::DragMode::vertical : VeskKnob::DragMode::circular);
    applyZoom (settings.getZoomPercent());
}

void ViewOptions::addToSetupMenu (juce::PopupMenu& menu)
{
    juce::PopupMenu knobDrag;
    knobDrag.addCommandItem (&commandManager, knobDragCircular);
    knobDrag.addCommandItem (&commandManager, knobDragVertical);

    // Zoom In and Out answer several keys, for keyboards that put + and - in
    // different places; their items name only the first of them.
    juce::PopupMenu zoom;

    for (auto id : { zoomIn, zoomOut })
    {
        juce::PopupMenu one;
        one.addCommandItem (&commandManager, id);
        juce::PopupMenu::MenuItemIterator it (one);

        if (it.next())
        {
            auto item = it.getItem();
            const auto keys = commandManager.getKeyMappings()->getKeyPressesAssignedToCommand (id);

            if (! keys.isEmpty())
                item.shortcutKeyDescription = keys.getFirst().getTextDescriptionWithIcons();

            zoom.addItem (item);
        }
    }

    zoom.addSeparator();

    for (int i = 0; i < numZoomSteps; ++i)
        zoom.addCommandItem (&commandManager, firstZoomStep + i);

    menu.addSeparator();
    menu.addSubMenu ("Knob Drag", knobDrag);
    menu.addSubMenu ("Zoom", zoom);
}

void ViewOptions::getAllCommands (juce::Array<juce::CommandID>& commands) const
{
    commands.add (knobDragCircular, knobDragVertical, zoomIn, zoomOut);

    for (int i = 0; i < numZoomSteps; ++i)
        commands.add (firstZoomStep + i);
}

bool ViewOptions::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) const
{
    const auto ctrl = juce::ModifierKeys::commandModifier;
    const auto step = zoomStepIndex();

    switch (commandID)
    {
        case knobDragCircular:
            result.setInfo ("Circular", "Turn knobs by dragging round their centre", "Setup", 0);
            result.setTicked (! settings.getVerticalKnobDrag());
            return true;

        case knobDragVertical:
            result.setInfo ("Vertical", "Turn knobs by dragging up and down", "Setup", 0);
            result.setTicked (settings.getVerticalKnobDrag());
            return true;

        case zoomIn:
            result.setInfo ("Zoom In", "Show the windows larger", "Setup", 0);
            result.addDefaultKeypress ('=', ctrl);
            result.addDefaultKeypress ('+', ctrl);
            result.addDefaultKeypress ('+', ctrl | juce::ModifierKeys::shiftModifier); // where + is Shift and =
            result.addDefaultKeypress (juce::KeyPress::numberPadAdd, ctrl);
            result.setActive (step < numZoomSteps - 1);
            return true;

        case zoomOut:
            result.setInfo ("Zoom Out", "Show the windows smaller", "Setup", 0);
            result.addDefaultKeypress ('-', ctrl);
            result.addDefaultKeypress (juce::KeyPress::numberPadSubtract, ctrl);
            result.setActive (step > 0);
            return true;

        default:
            break;
    }

    const int index = commandID - firstZoomStep;

    if (index < 0 || index >= numZoomSteps)
        return false;

    const auto percent = UserSettings::zoomSteps[(size_t) index];
    result.setInfo (juce::String (percent) + " %", "Show the windows at " + juce::String (percent) + " %", "Setup", 0);
    result.setTicked (index == step);

    if (index == 0)
        result.addDefaultKeypress ('0', ctrl);

    return true;
}

bool ViewOptions::perform (juce::CommandID commandID)
{
    const auto step = zoomStepIndex();

    switch (commandID)
    {
        case knobDragCircular: setVerticalKnobDrag (false); return true;
        case knobDragVertical: setVerticalKnobDrag (true); return true;
        case zoomIn: setZoomPercent (UserSettings::zoomSteps[(size_t) juce::jmin (step + 1, numZoomSteps - 1)]); return true;
        case zoomOut: setZoomPercent (UserSettings::zoomSteps[(size_t) juce::jmax (step - 1, 0)]); return true;
        default: break;
    }

    const int index = commandID - firstZoomStep;

    if (index < 0 || index >= numZoomSteps)
        return false;

    setZoomPercent (UserSettings::zoomSteps[(size_t) index]);
    return true;
}

void ViewOptions::setVerticalKnobDrag (bool shouldDragVertically)
{
    settings.setVerticalKnobDrag (shouldDragVertically);
    VeskKnob::setDragMode (shouldDragVertically ? VeskKnob::DragMode::vertical : VeskKnob::DragMode::circular);
    commandManager.commandStatusChanged();
}

void ViewOptions::setZoomPercent (int percent)
{
    settings.setZoomPercent (percent);
    applyZoom (settings.getZoomPercent());
    commandManager.commandStatusChanged();
}

int ViewOptions::zoomStepIndex() const
{
    const auto& steps = UserSettings::zoomSteps;
    return (int) (std::find (steps.begin(), steps.end(), settings.getZoomPercent()) - steps.begin());
}

void ViewOptions::applyZoom (int percent)
{
    auto& desktop = juce::Desktop::getInstance();
    const auto oldScale = desktop.getGlobalScaleFactor();
    const auto newScale = (float) percent / 100.0f;

    if (juce::approximatelyEqual (oldScale, newScale))
        return;

    // A new scale leaves each window's size in screen pixels as it was and
    // shrinks or grows its content instead; the content keeps its size here.
    std::vector<std::pair<juce::Component::SafePointer<juce::Component>, juce::Rectangle<int>>> windows;

    for (int i = 0; i < desktop.getNumComponents(); ++i)
        windows.emplace_back (desktop.getComponent (i), desktop.getComponent (i)->getBounds());

    desktop.setGlobalScaleFactor (newScale);

    for (auto& [window, bounds] : windows)
    {
        if (window == nullptr)
            continue;

        auto newBounds = bounds.withPosition ((bounds.getPosition().toFloat() * oldScale / newScale).roundToInt());

        if (auto* display = desktop.getDisplays().getDisplayForRect (newBounds))
            newBounds = newBounds.constrainedWithin (display->userArea);

        window->setBounds (newBounds);
    }
}
