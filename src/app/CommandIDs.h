#pragma once

#include "UserSettings.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Every command of the main window. Each part that handles commands owns a
    block of numbers, and the window hands a command to the part whose block
    holds it (see CommandDispatch), so no part is asked about another's and
    the order they were made in does not matter. The blocks are checked below
    not to overlap, and each part's commands to lie inside its block.
*/
struct CommandRange
{
    juce::CommandID first, end; // first up to, not including, end

    constexpr bool contains (juce::CommandID id) const noexcept { return id >= first && id < end; }
    constexpr bool overlaps (CommandRange other) const noexcept { return first < other.end && other.first < end; }
};

namespace CommandBlocks
{
    // ContentComp's own.
    constexpr CommandRange file { 0x2000, 0x2100 };
    constexpr CommandRange unit { 0x2100, 0x2200 };
    constexpr CommandRange setup { 0x2200, 0x2300 };
    constexpr CommandRange edit { 0x2400, 0x2500 };

    constexpr CommandRange view { 0x2300, 0x2400 };
    constexpr CommandRange library { 0x2500, 0x2600 };
    constexpr CommandRange steps { 0x2600, 0x2700 };
    constexpr CommandRange collectionPage { 0x2700, 0x2800 };
    constexpr CommandRange collection { 0x2a00, 0x2b00 };

    constexpr CommandRange all[] { file, unit, setup, edit, view, library, steps, collectionPage, collection };

    constexpr bool noneOverlap()
    {
        for (const auto& a : all)
        {
            if (a.first >= a.end || a.first <= 0)
                return false;

            int overlapping = 0;

            for (const auto& b : all)
                overlapping += a.overlaps (b) ? 1 : 0;

            if (overlapping != 1) // itself
                return false;
        }

        return true;
    }

    static_assert (noneOverlap(), "two parts of the window would take the same commands");
}

/** File, Unit, Setup and Edit's Undo and Redo (ContentComp). */
struct WindowCommandIDs
{
    enum CommandIDs
    {
        newLibrary = CommandBlocks::file.first,
        openLibrary,
        closeLibrary,
        saveLibrary,
        saveLibraryAs,
        midiSettings,
        autoUpdate,
        showHelp,
        showAbout,
        endOfFile,

        getAllFromUnit = CommandBlocks::unit.first,
        sendAllToUnit,
        verifyUnit,
        findUnit,
        useVirtualUnit,
        importSyx,
        exportSyx,
        exportMidi,
        importMidi,
        endOfUnit,

        resetUnitAtStart = CommandBlocks::setup.first,
        clearRecentFiles,

        // Menu items of File > Open Recent, not commands.
        firstRecentFile = CommandBlocks::setup.first + 0x10,
        endOfRecentFiles = firstRecentFile + UserSettings::maxRecentFiles,

        undoEdit = CommandBlocks::edit.first,
        redoEdit,
        endOfEdit
    };
};

static_assert (WindowCommandIDs::endOfFile <= CommandBlocks::file.end && WindowCommandIDs::endOfUnit <= CommandBlocks::unit.end
               && WindowCommandIDs::clearRecentFiles < WindowCommandIDs::firstRecentFile
               && WindowCommandIDs::endOfRecentFiles <= CommandBlocks::setup.end && WindowCommandIDs::endOfEdit <= CommandBlocks::edit.end);

/** Setup > Knob Drag and Zoom (ViewOptions). */
struct ViewCommandIDs
{
    enum CommandIDs
    {
        knobDragCircular = CommandBlocks::view.first,
        knobDragVertical,

        zoomIn = CommandBlocks::view.first + 0x10,
        zoomOut,

        firstZoomStep = CommandBlocks::view.first + 0x20, // one per UserSettings::zoomSteps, in their order
        endOfZoomSteps = firstZoomStep + (int) UserSettings::zoomSteps.size()
    };
};

static_assert (ViewCommandIDs::knobDragVertical < ViewCommandIDs::zoomIn && ViewCommandIDs::zoomOut < ViewCommandIDs::firstZoomStep
               && ViewCommandIDs::endOfZoomSteps <= CommandBlocks::view.end);

/** The Library page's Edit commands (LibraryCommands). */
struct LibraryCommandIDs
{
    enum CommandIDs
    {
        copyPatterns = CommandBlocks::library.first,
        pastePatterns,
        swapPatternWith,
        initialisePatterns,
        openOtherLibrary,
        closeOtherLibrary,
        endOfLibrary
    };
};

static_assert (LibraryCommandIDs::endOfLibrary <= CommandBlocks::library.end);

/** The Steps menu (StepsCommands). */
struct StepsCommandIDs
{
    enum CommandIDs
    {
        rotateLeft = CommandBlocks::steps.first,
        rotateRight,
        reverseSteps,
        transposeUp,
        transposeDown,
        octaveUp,
        octaveDown,
        doubleLength,
        clearSteps,
        humanize,
        randomize,
        mutate,
        euclid,
        variations,
        randomizeSound,
        mutateSound,
        blend,
        endOfSteps
    };
};

static_assert (StepsCommandIDs::endOfSteps <= CommandBlocks::steps.end);

/** The Collection page's Edit commands (CollectionPageCommands). */
struct CollectionPageCommandIDs
{
    enum CommandIDs
    {
        findInCollection = CommandBlocks::collectionPage.first,
        auditionPattern,
        copyToSlot,
        findSimilar,
        newLibraryFromSelection,
        endOfCollectionPage
    };
};

static_assert (CollectionPageCommandIDs::endOfCollectionPage <= CommandBlocks::collectionPage.end);

/** Add Folder to Collection and the collection's switch (CollectionCommands). */
struct CollectionCommandIDs
{
    enum CommandIDs
    {
        addFolderToCollection = CommandBlocks::collection.first,
        addToCollectionByItself,
        endOfCollection
    };
};

static_assert (CollectionCommandIDs::endOfCollection <= CommandBlocks::collection.end);
