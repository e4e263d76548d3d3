#include "platform/SecureRandom.h"

#include <vector>

juce::String SecureRandom::hex (size_t count)
{
    std::vector<juce::uint8> bytes (count);
    return fill (bytes.data(), count) ? juce::String::toHexString (bytes.data(), (int) count, 0) : juce::String();
}
