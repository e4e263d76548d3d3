#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/**
    A row's face in the pattern lists: named after what it shows (so a
    layout report and the end-to-end tests can find it), painted by its
    list; the list box's row underneath takes the mouse.
*/
class ListRowFace : public juce::Component
{
public:
    using Painter = std::function<void (juce::Graphics&, int width, int height, bool selected)>;

    ListRowFace()
    {
        setInterceptsMouseClicks (false, false);
        setOpaque (true);
    }

    /** For ListBoxModel::refreshComponentForRow: existing when it is a face, else a new one. */
    static ListRowFace* reuse (juce::Component* existing)
    {
        if (auto* face = dynamic_cast<ListRowFace*> (existing))
            return face;

        delete existing;
        return new ListRowFace();
    }

    void show (const juce::String& name, bool isSelected, Painter painterToUse)
    {
        if (getName() != name)
            setName (name);

        selected = isSelected;
        painter = std::move (painterToUse);
        repaint();
    }

    void paint (juce::Graphics& g) override
    {
        if (painter != nullptr)
            painter (g, getWidth(), getHeight(), selected);
    }

    /** How both pattern lists set up their list box. */
    static void setUpList (juce::ListBox& listBox, juce::ListBoxModel* model, int rowHeight, juce::Colour background)
    {
        listBox.setModel (model);
        listBox.setRowHeight (rowHeight);
        listBox.setMultipleSelectionEnabled (true);
        listBox.setColour (juce::ListBox::backgroundColourId, background);
        listBox.setOutlineThickness (0);
    }

private:
    Painter painter;
    bool selected = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ListRowFace)
};
