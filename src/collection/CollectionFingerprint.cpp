#include "CollectionFingerprint.h"

#include "Sha256.h"
#include "model/VeskStepTypes.h"

namespace
{
    namespace P = VeskImage::Pattern;

    /** A step that is neither silent nor held; a damaged byte past the types counts, as it always has. */
    bool startsNote (int partType, int stepType) noexcept
    {
        return stepType != VeskStepTypes::silent (partType) && ! VeskStepTypes::holds (partType, stepType);
    }

    bool isHeardHeader (int type, int offset) noexcept
    {
        if (offset <= P::type || offset == P::level)
            return true;

        switch (type)
        {
            case VeskImage::PartType::lineIn:
                return false;
            case VeskImage::PartType::rythm:
                return offset == P::toneOrKit || (offset >= P::filterCutoffOrBdLevel && offset <= P::pan);
            default:
                return true;
        }
    }
}

CollectionFingerprint::Hash CollectionFingerprint::hash (const CollectionBytes& bytes)
{
    return Sha256::of (bytes.data(), bytes.size());
}

juce::String CollectionFingerprint::toHex (const Hash& digest)
{
    return juce::String::toHexString (digest.data(), (int) digest.size(), 0);
}

juce::String CollectionFingerprint::id (const CollectionBytes& bytes)
{
    return toHex (hash (bytes));
}

int CollectionFingerprint::playedSteps (const CollectionBytes& bytes)
{
    return P::playedSteps (bytes.data());
}

juce::int64 CollectionFingerprint::play (const CollectionBytes& bytes)
{
    // What is unheard is left out altogether (not zeroed), with a marker per
    // step so that moving a sound from one step to the next still counts.
    std::vector<std::uint8_t> heard;
    heard.reserve (bytes.size() + 32);

    const int type = bytes[P::type];

    for (int offset = 0; offset < P::stepNote; ++offset)
        if (isHeardHeader (type, offset))
            heard.push_back (bytes[(size_t) offset]);

    const int steps = playedSteps (bytes);

    for (int s = 0; s < steps; ++s)
    {
        const auto stepType = bytes[(size_t) (P::stepType + s)];
        heard.push_back (0x80);
        heard.push_back (stepType);

        if (stepType == VeskStepTypes::silent (type))
            continue;

        if (! VeskStepTypes::holds (type, stepType))
            heard.push_back (bytes[(size_t) (P::stepNote + s)]);

        heard.push_back (bytes[(size_t) (P::stepLevel + s)]);
        heard.push_back (bytes[(size_t) (P::stepGate + s)]);
    }

    const auto digest = Sha256::of (heard.data(), heard.size());
    std::uint64_t value = 0;

    for (size_t i = 0; i < 8; ++i)
        value = (value << 8) | digest[i];

    return (juce::int64) value;
}

juce::String CollectionFingerprint::playHex (juce::int64 playValue)
{
    return juce::String::toHexString ((juce::int64) playValue).paddedLeft ('0', 16);
}

std::uint32_t CollectionFingerprint::onsets (const CollectionBytes& bytes)
{
    std::uint32_t mask = 0;
    const int steps = playedSteps (bytes);

    for (int s = 0; s < steps; ++s)
        if (startsNote (bytes[P::type], bytes[(size_t) (P::stepType + s)]))
            mask |= 1u << s;

    return mask;
}

int CollectionFingerprint::onsetDistance (std::uint32_t a, std::uint32_t b, int length, int& rotation)
{
    length = juce::jlimit (1, 32, length);
    const auto full = length == 32 ? 0xffffffffu : (1u << length) - 1u;
    a &= full;
    b &= full;

    int best = length + 1;
    rotation = 0;

    for (int r = 0; r < length; ++r)
    {
        const auto rotated = r == 0 ? b : (((b << r) | (b >> (length - r))) & full);
        const int distance = __builtin_popcount (a ^ rotated);

        if (distance < best)
        {
            best = distance;
            rotation = r;
        }
    }

    return best;
}
