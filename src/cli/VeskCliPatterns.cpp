// The commands that move whole patterns between slots: copy, swap and init.
#include "VeskCli.h"
#include "model/VeskModel.h"
#include "model/VeskPatternSlots.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"

#include <algorithm>

int VeskCli::copyPattern (const juce::StringArray& args, const juce::String& otherPath)
{
    std::vector<VeskBlock> slots;
    Image image, other;

    if (! parseSlots (args, "copy", slots, 2) || ! output.readLibrary (args[0], image))
        return exitUsage;

    // Read before anything is written, so --from may name the library itself.
    if (otherPath.isNotEmpty() && ! readPatternSource (otherPath, slots[0], other))
        return exitUsage;

    const auto before = image;
    VeskPatternSlots::copy (image.data(), (otherPath.isEmpty() ? before : other).data(), slots[0], slots[1]);
    return output.finishLibrary (args[0], image, image == before);
}

int VeskCli::swapPatterns (const juce::StringArray& args)
{
    std::vector<VeskBlock> slots;
    Image image;

    if (! parseSlots (args, "swap", slots, 2) || ! output.readLibrary (args[0], image))
        return exitUsage;

    const auto before = image;
    VeskPatternSlots::swap (image.data(), slots[0], slots[1]);
    return output.finishLibrary (args[0], image, image == before);
}

int VeskCli::initialisePattern (const juce::StringArray& args)
{
    std::vector<VeskBlock> slots;
    Image image;

    if (! parseSlots (args, "init", slots, 1) || ! output.readLibrary (args[0], image))
        return exitUsage;

    const auto before = image;
    VeskPatternSlots::initialise (image.data(), slots[0]);
    return output.finishLibrary (args[0], image, image == before);
}

bool VeskCli::parseSlots (const juce::StringArray& args, const juce::String& command, std::vector<VeskBlock>& slots, int numSlots)
{
    slots.clear();

    for (int i = 0; i < numSlots; ++i)
    {
        const auto& text = args[i + 1];
        const auto slot = VeskBlock::fromName (text);

        if (! slot.has_value())
        {
            output.usageError ("'" + text + "' is not a slot: temp or 1 to 20", command);
            return false;
        }

        slots.push_back (*slot);
    }

    return true;
}

bool VeskCli::readPatternSource (const juce::String& path, VeskBlock slot, Image& image)
{
    if (! path.endsWithIgnoreCase (".syx"))
        return output.readLibrary (path, image);

    const auto file = VeskCliOutput::resolve (path);

    if (! file.exists())
    {
        output.report (path, "does not exist");
        return false;
    }

    VeskSyxFile::Contents contents;
    auto result = VeskSyxFile::read (file, (size_t) VeskProtocol::patternBulkBodySize, contents);

    if (result.failed())
    {
        output.report (path, result.getErrorMessage());
        return false;
    }

    VeskModel::writeDefaults (image.data());
    const auto import = VeskSyxFile::applyDumps (contents, image.data());
    const auto& dumps = import.appliedDumps;

    if (std::none_of (dumps.begin(), dumps.end(), [slot] (auto& d)
                      { return d.block == slot; }))
    {
        output.report (path, "holds no dump of " + slot.name());
        return false;
    }

    return true;
}
