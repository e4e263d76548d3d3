#include "DecimalNumber.h"

#include <charconv>

std::optional<double> DecimalNumber::read (const juce::String& text)
{
    const auto negative = text.startsWithChar ('-');
    const auto digits = negative || text.startsWithChar ('+') ? text.substring (1) : text;

    if (! digits.containsAnyOf ("0123456789") || ! digits.containsOnly ("0123456789.")
        || digits.indexOfChar ('.') != digits.lastIndexOfChar ('.'))
        return std::nullopt;

    // ASCII only by now, so its UTF-8 is the text itself.
    const auto* begin = digits.toRawUTF8();
    const auto* end = begin + digits.getNumBytesAsUTF8();
    double value = 0.0;
    const auto [rest, error] = std::from_chars (begin, end, value, std::chars_format::fixed);

    if (error != std::errc() || rest != end)
        return std::nullopt;

    return negative ? -value : value;
}
