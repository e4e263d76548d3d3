#include "VeskFonts.h"

// Windows' own text layout reads and kerns the fonts: JUCE's typefaces serve every font.
juce::Typeface::Ptr VeskFonts::sansSerifTypefaceFor (const juce::Font&)
{
    return nullptr;
}
