#include "ClipboardReader.h"

ClipboardReader::Read ClipboardReader::bounded (const juce::String& text, size_t maxBytes)
{
    if (text.getNumBytesAsUTF8() > maxBytes)
        return { Outcome::tooLarge, {} };

    return { Outcome::text, text };
}
