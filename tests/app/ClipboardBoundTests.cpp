#include "app/ClipboardReader.h"

#include <gtest/gtest.h>

// What the program itself put on the clipboard reads back the same way on
// every system: whole up to the bound (counted in UTF-8 bytes), refused over it.
TEST (ClipboardReader, TextIsReadWholeUpToTheBoundAndRefusedOverIt)
{
    constexpr size_t bound = 64 * 1024;
    const auto atBound = juce::String::repeatedString ("ab", (int) bound / 2);
    const auto snowmen = juce::String::repeatedString (juce::String::fromUTF8 ("\xe2\x98\x83"), (int) bound / 3 + 1); // 3 bytes each

    struct Case
    {
        const char* what;
        juce::String text;
        ClipboardReader::Outcome outcome;
    };

    for (const auto& c : { Case { "exactly the bound", atBound, ClipboardReader::Outcome::text },
                           Case { "one byte over", atBound + "c", ClipboardReader::Outcome::tooLarge },
                           Case { "fewer characters than the bound, more bytes", snowmen, ClipboardReader::Outcome::tooLarge },
                           Case { "a line", "A-01 lead\n", ClipboardReader::Outcome::text } })
    {
        juce::SystemClipboard::copyTextToClipboard (c.text);
        const auto read = ClipboardReader::readText (bound);
        EXPECT_EQ (read.outcome, c.outcome) << c.what;
        EXPECT_EQ (read.text, c.outcome == ClipboardReader::Outcome::text ? c.text : juce::String()) << c.what;
    }
}
