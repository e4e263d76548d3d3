#include "Plural.h"
#include "WholeFileWriter.h"

juce::String plural (juce::int64 count, const juce::String& one, const juce::String& many)
{
    return WholeFileWriter::formatCount (count) + " " + (count == 1 ? one : many.isNotEmpty() ? many
                                                                                              : one + "s");
}
