#include "ClipboardReader.h"

// Windows hands the owner's text over in one block, already in our memory.
ClipboardReader::Read ClipboardReader::readText (size_t maxBytes, int)
{
    return bounded (juce::SystemClipboard::getTextFromClipboard(), maxBytes);
}
