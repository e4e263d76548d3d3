#include "VeskMidiSteps.h"

#include <algorithm>
#include <cstring>

using namespace VeskImage;

const std::vector<juce::uint8>& VeskMidiSteps::prefix()
{
    static const std::vector<juce::uint8> bytes { 0x7D, 'V', 'e', 's', 'k' };
    return bytes;
}

bool VeskMidiSteps::holdsOnlyValidSteps (const juce::uint8* record)
{
    if (record[Pattern::stepsPerBar] > 1 || record[Pattern::patternLength] > 1)
        return false;

    for (int s = 0; s < Pattern::playedSteps (record); ++s)
        if (record[Pattern::stepNote + s] > 127 || record[Pattern::stepLevel + s] > 127
            || record[Pattern::stepGate + s] > Pattern::maxGate || record[Pattern::stepType + s] >= StepType::numTypes)
            return false;

    return true;
}

std::vector<juce::uint8> VeskMidiSteps::write (const juce::uint8* record)
{
    auto data = prefix();
    data.push_back (version);
    const int n = Pattern::playedSteps (record);
    data.push_back (record[Pattern::stepsPerBar]);
    data.push_back (record[Pattern::patternLength]);

    for (auto array : stepArrays)
        data.insert (data.end(), record + array, record + array + n);

    return data;
}

std::optional<VeskMidiSteps::Carried> VeskMidiSteps::read (const std::vector<juce::uint8>& data, const juce::uint8* target)
{
    if (data.size() < 3 || (data[0] != version && data[0] != leadMeaningVersion))
        return {};

    Carried carried;
    auto& record = carried.record;
    carried.version = data[0];
    std::memcpy (record.data(), target, record.size());
    record[Pattern::stepsPerBar] = data[1];
    record[Pattern::patternLength] = data[2];
    const auto n = (size_t) Pattern::playedSteps (record.data());

    if (data.size() != 3 + 4 * n)
        return {};

    for (size_t i = 0; i < 4; ++i)
        std::copy (data.begin() + (std::ptrdiff_t) (3 + i * n), data.begin() + (std::ptrdiff_t) (3 + (i + 1) * n), record.begin() + stepArrays[i]);

    if (! holdsOnlyValidSteps (record.data()))
        return {};

    return carried;
}
