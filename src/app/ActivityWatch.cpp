#include "ActivityWatch.h"

ActivityWatch::ActivityWatch (juce::Component& windowToWatch, std::function<void()> onActivityToCall)
    : window (&windowToWatch),
      onActivity (std::move (onActivityToCall))
{
    windowToWatch.addMouseListener (this, true);
    juce::Desktop::getInstance().addFocusChangeListener (this);
}

ActivityWatch::~ActivityWatch()
{
    juce::Desktop::getInstance().removeFocusChangeListener (this);

    if (window != nullptr)
        window->removeMouseListener (this);
}

bool ActivityWatch::othersOpen (const juce::Component* ignored) const
{
    auto& desktop = juce::Desktop::getInstance();

    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* c = desktop.getComponent (i); c != window.getComponent() && c != ignored && c->isVisible())
            return true;

    return false;
}
