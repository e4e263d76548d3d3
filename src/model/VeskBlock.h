#pragma once

#include "VeskImage.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

/**
    Which block of the image something is about: the system block, the
    temporary pattern or user pattern 1 to 20.

    The program meets these blocks numbered in several ways: records in image
    order, the document's currentPatternIndex, the pattern selector's items,
    the unit's addresses, vesk's slot names. Each numbering converts here and
    nowhere else; inside the program a block is a VeskBlock.
*/
class VeskBlock
{
public:
    static constexpr VeskBlock system() noexcept { return VeskBlock (-1); }
    static constexpr VeskBlock temporary() noexcept { return VeskBlock (0); }

    /** User pattern number 1-20. */
    static std::optional<VeskBlock> user (int number) noexcept;

    /** A pattern record in image order: 0 the temporary pattern, 1-20 user patterns. */
    static std::optional<VeskBlock> fromRecord (int record) noexcept;

    /** The document's currentPatternIndex: -1 the temporary pattern, 0-19 user patterns. */
    static std::optional<VeskBlock> fromPatternIndex (int currentPatternIndex) noexcept;

    /** The pattern selector's item index: 0 "Temporary", 1-20 "User 01" to "User 20". */
    static std::optional<VeskBlock> fromSelectorIndex (int itemIndex) noexcept { return fromRecord (itemIndex); }

    /** A data set's address bytes: area 0 system, 1 temporary, 2 user pattern index 0-19. */
    static std::optional<VeskBlock> fromAddress (int area, int index) noexcept;

    /** vesk's names: "temp", "1" to "20" (also "01"), and "system" where allowed. */
    static std::optional<VeskBlock> fromName (const juce::String& text, bool allowSystem = false);

    /** The 21 pattern records in image order, then all 22 blocks with the system block first. */
    static std::vector<VeskBlock> patterns();
    static std::vector<VeskBlock> all();

    static constexpr int numPatterns = VeskImage::numPatternRecords;

    constexpr bool isSystem() const noexcept { return number < 0; }
    constexpr bool isTemporary() const noexcept { return number == 0; }
    constexpr bool isUser() const noexcept { return number > 0; }
    constexpr bool isPattern() const noexcept { return number >= 0; }

    /** -1 the system block, 0 the temporary pattern, 1-20 user patterns: the image's order. */
    constexpr int index() const noexcept { return number; }

    /** The record in image order (0-20); not for the system block. */
    int record() const noexcept;

    /** 1-20 for a user pattern, 0 otherwise. */
    constexpr int userNumber() const noexcept { return isUser() ? number : 0; }

    /** currentPatternIndex: -1 the temporary pattern, 0-19; not for the system block. */
    int patternIndex() const noexcept;

    /** The pattern selector's item index; not for the system block. */
    int selectorIndex() const noexcept { return record(); }

    /** The address bytes that name the block's start to the unit. */
    int addressArea() const noexcept;
    int addressIndex() const noexcept { return isUser() ? number - 1 : 0; }

    /** Where the block lies in the image. */
    int imageOffset() const noexcept;
    int size() const noexcept { return isSystem() ? VeskImage::systemBlockSize : VeskImage::patternSize; }

    /** "System", "Temporary", "User 01" ... "User 20", as the pages name them. */
    juce::String name() const;

    /** "system", "temp", "1" ... "20", as vesk takes them. */
    juce::String cliName() const;

    constexpr bool operator== (VeskBlock other) const noexcept { return number == other.number; }
    constexpr bool operator!= (VeskBlock other) const noexcept { return number != other.number; }
    constexpr bool operator<(VeskBlock other) const noexcept { return number < other.number; }

private:
    constexpr explicit VeskBlock (int indexToUse) noexcept : number (indexToUse) {}

    int number;
};
