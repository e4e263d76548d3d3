#include "MainWindow.h"
#include "ContentComp.h"
#include "editors/VeskFonts.h"
#include "editors/VeskText.h"

#include <utility>

namespace
{
    // VESK_COLLECTION names another database, as it does for vesk.
    juce::File collectionFile()
    {
        const auto named = juce::SystemStats::getEnvironmentVariable ("VESK_COLLECTION", {});
        return named.isNotEmpty() ? juce::File::getCurrentWorkingDirectory().getChildFile (named) : CollectionStore::defaultFile();
    }
}

MainWindow::MainWindow()
    : juce::DocumentWindow ("Vesk Edit", juce::Colour (0xff999999), juce::DocumentWindow::allButtons)
{
    applyColours (lookAndFeel);
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);

    commandManager = std::make_unique<juce::ApplicationCommandManager>();

    setResizable (true, false);
    addKeyListener (commandManager->getKeyMappings());

    // Shown by the application once it has its size and place, then filled.
}

void MainWindow::addContent()
{
    jassert (getContentComponent() == nullptr);

    // The ports are opened, and the start-up reset sent, once the window shows.
    VeskSession::Options options;
    options.deferStart = true;
    options.collectionFile = collectionFile();
    auto content = std::make_unique<ContentComp> (*commandManager, options);

    // Without this, a key press finds no target once no window is active
    // (after a dialog closes, or with no window manager at all).
    commandManager->setFirstCommandTarget (content.get());
    commandManager->registerAllCommandsForTarget (content.get());

    if (auto* app = juce::JUCEApplication::getInstance())
        commandManager->registerAllCommandsForTarget (app);

    auto* contentComp = content.release();
    setContentOwned (contentComp, false);

    setMenuBar (contentComp);
    contentComp->setApplicationCommandManagerToWatch (commandManager.get());
}

MainWindow::~MainWindow()
{
    setMenuBar (nullptr);
    commandManager->setFirstCommandTarget (nullptr);
    clearContentComponent();
    commandManager = nullptr;

    // The look-and-feel dies with the window; nothing may keep using it.
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}

ContentComp& MainWindow::getContentComp() noexcept
{
    return *static_cast<ContentComp*> (getContentComponent());
}

void MainWindow::closeButtonPressed()
{
    juce::JUCEApplication::getInstance()->systemRequestedQuit();
}

void MainWindow::paint (juce::Graphics& g)
{
    juce::DocumentWindow::paint (g);

    if (onFirstPaint != nullptr)
        juce::MessageManager::callAsync (std::exchange (onFirstPaint, nullptr));
}

juce::Typeface::Ptr MainWindow::WindowLookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    if (auto typeface = VeskFonts::sansSerifTypefaceFor (font))
        return typeface;

    return juce::LookAndFeel_V2::getTypefaceForFont (font);
}

void MainWindow::WindowLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    VeskText::drawLabel (*this, g, label);
}

void MainWindow::WindowLookAndFeel::getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight,
                                                               int& idealWidth, int& idealHeight)
{
    juce::LookAndFeel_V2::getIdealPopupMenuItemSize (text, isSeparator, standardMenuItemHeight, idealWidth, idealHeight);

    if (! isSeparator)
        idealWidth += rightMargin (idealHeight);
}

void MainWindow::WindowLookAndFeel::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator, bool isActive,
                                                       bool isHighlighted, bool isTicked, bool hasSubMenu, const juce::String& text,
                                                       const juce::String& shortcutKeyText, const juce::Drawable* icon,
                                                       const juce::Colour* textColour)
{
    const auto itemArea = isSeparator ? area : area.withTrimmedRight (rightMargin (area.getHeight()));
    juce::LookAndFeel_V2::drawPopupMenuItem (g, itemArea, isSeparator, isActive, isHighlighted, isTicked, hasSubMenu, text, shortcutKeyText,
                                             icon, textColour);
}

void MainWindow::applyColours (juce::LookAndFeel& lf)
{
    lf.setColour (juce::ScrollBar::thumbColourId, juce::Colour (0xffcccccc));
    lf.setColour (juce::ScrollBar::trackColourId, juce::Colour (0xffcccccc));
    lf.setColour (juce::ScrollBar::backgroundColourId, juce::Colour (0xff333333));
    lf.setColour (juce::PopupMenu::backgroundColourId, juce::Colour (0xff333333));
    lf.setColour (juce::PopupMenu::textColourId, juce::Colour (0xffcccccc));
    lf.setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (0xff333333));
    lf.setColour (juce::PopupMenu::highlightedTextColourId, juce::Colour (0xffcccccc));
    lf.setColour (juce::PopupMenu::headerTextColourId, juce::Colour (0xffff0000));
}
