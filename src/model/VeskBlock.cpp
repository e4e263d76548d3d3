#include "VeskBlock.h"

std::optional<VeskBlock> VeskBlock::user (int userNumber) noexcept
{
    if (userNumber < 1 || userNumber > VeskImage::numUserPatterns)
        return std::nullopt;

    return VeskBlock (userNumber);
}

std::optional<VeskBlock> VeskBlock::fromRecord (int record) noexcept
{
    if (record < 0 || record >= numPatterns)
        return std::nullopt;

    return VeskBlock (record);
}

std::optional<VeskBlock> VeskBlock::fromPatternIndex (int currentPatternIndex) noexcept
{
    return fromRecord (currentPatternIndex + 1);
}

std::optional<VeskBlock> VeskBlock::fromAddress (int area, int index) noexcept
{
    switch (area)
    {
        case VeskImage::Area::system: return system();
        case VeskImage::Area::temporaryPattern: return temporary();
        case VeskImage::Area::userPattern: return user (index + 1);
        default: return std::nullopt;
    }
}

std::optional<VeskBlock> VeskBlock::fromName (const juce::String& text, bool allowSystem)
{
    if (text == "temp")
        return temporary();

    if (text == "system")
        return allowSystem ? std::optional<VeskBlock> (system()) : std::nullopt;

    // One or two digits: "7" and "07" are user pattern 7, "007" and "+7" are no name.
    if (text.isEmpty() || text.length() > 2 || ! text.containsOnly ("0123456789"))
        return std::nullopt;

    return user (text.getIntValue());
}

std::vector<VeskBlock> VeskBlock::patterns()
{
    std::vector<VeskBlock> blocks;

    for (int record = 0; record < numPatterns; ++record)
        blocks.push_back (VeskBlock (record));

    return blocks;
}

std::vector<VeskBlock> VeskBlock::all()
{
    auto blocks = patterns();
    blocks.insert (blocks.begin(), system());
    return blocks;
}

int VeskBlock::record() const noexcept
{
    jassert (isPattern());
    return juce::jmax (0, number);
}

int VeskBlock::patternIndex() const noexcept
{
    jassert (isPattern());
    return juce::jmax (0, number) - 1;
}

int VeskBlock::addressArea() const noexcept
{
    return isSystem() ? VeskImage::Area::system : (isTemporary() ? VeskImage::Area::temporaryPattern : VeskImage::Area::userPattern);
}

int VeskBlock::imageOffset() const noexcept
{
    return isSystem() ? VeskImage::systemBlockOffset : VeskImage::patternRecordOffset (number);
}

juce::String VeskBlock::name() const
{
    if (isSystem())
        return "System";

    return isTemporary() ? juce::String ("Temporary") : "User " + juce::String (number).paddedLeft ('0', 2);
}

juce::String VeskBlock::cliName() const
{
    return isSystem() ? juce::String ("system") : (isTemporary() ? juce::String ("temp") : juce::String (number));
}
