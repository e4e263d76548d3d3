#include "VeskPatternSource.h"
#include "VeskLibraryFile.h"
#include "VeskModel.h"
#include "VeskProtocol.h"
#include "VeskSyxFile.h"

#include <algorithm>

juce::Result VeskPatternSource::read (const juce::File& file, VeskPatternSource& source)
{
    auto read = std::make_unique<VeskPatternSource>();
    read->file = file;
    juce::Result result = juce::Result::ok();

    if (file.hasFileExtension ("syx"))
    {
        VeskSyxFile::Contents contents;
        result = VeskSyxFile::read (file, (size_t) VeskProtocol::patternBulkBodySize, contents);

        if (result.wasOk())
        {
            // Slots the file does not hold keep the defaults, shown greyed.
            VeskModel::writeDefaults (read->image.data());

            for (const auto& dump : VeskSyxFile::applyDumps (contents, read->image.data()).appliedDumps)
                if (dump.block->isPattern())
                    read->held[(size_t) dump.block->record()] = true;

            if (std::find (read->held.begin(), read->held.end(), true) == read->held.end())
                result = juce::Result::fail ("holds no pattern of this unit");
        }
    }
    else
    {
        result = VeskLibraryFile::read (file, read->image.data());
        read->held.fill (true);
    }

    if (result.failed())
        return juce::Result::fail ("\"" + file.getFileName() + "\": " + result.getErrorMessage() + ".");

    source = *read;
    return result;
}
