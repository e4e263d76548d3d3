#pragma once

#include "SleepingTooltips.h"
#include "X11EventGuard.h"

#include <juce_gui_extra/juce_gui_extra.h>

class ContentComp;

/**
    The main window: owns the command manager and the colour scheme, carries
    the menu bar and holds the ContentComp.
*/
class MainWindow : public juce::DocumentWindow
{
public:
    /** The window without its pages: shown first, it is on its way to the
        screen while they are built. */
    MainWindow();
    ~MainWindow() override;

    /** Builds the pages, the menu bar and the commands, once. */
    void addContent();

    void closeButtonPressed() override;
    void paint (juce::Graphics& g) override;

    /** Posted to the message thread once the window has been painted for the
        first time: what the first look at the program need not wait for. */
    std::function<void()> onFirstPaint;

    /** Installs the program's colours on a look-and-feel. */
    static void applyColours (juce::LookAndFeel& lf);

    juce::ApplicationCommandManager& getCommandManager() noexcept { return *commandManager; }

    ContentComp& getContentComp() noexcept;

private:
    /** The classic light scheme the panels and dialogs are drawn for, with the
        program's sans-serif typefaces. */
    struct WindowLookAndFeel : public juce::LookAndFeel_V2
    {
        juce::Typeface::Ptr getTypefaceForFont (const juce::Font& font) override;
        void drawLabel (juce::Graphics& g, juce::Label& label) override;

        // A menu item keeps a margin at its right, so a shortcut does not touch the menu's edge.
        void getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight, int& idealWidth,
                                        int& idealHeight) override;
        void drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator, bool isActive, bool isHighlighted,
                                bool isTicked, bool hasSubMenu, const juce::String& text, const juce::String& shortcutKeyText,
                                const juce::Drawable* icon, const juce::Colour* textColour) override;

        static int rightMargin (int itemHeight) { return itemHeight / 2; }
    };

    WindowLookAndFeel lookAndFeel;
    std::unique_ptr<juce::ApplicationCommandManager> commandManager;
    X11EventGuard x11EventGuard { *this }; // repaints and refocuses after dialogs without a window manager
    SleepingTooltips tooltips { *this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};
