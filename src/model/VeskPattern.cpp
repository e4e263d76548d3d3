#include "VeskPattern.h"
#include "VeskFieldTable.h"
#include "VeskNames.h"

namespace Pattern = VeskImage::Pattern;

juce::String VeskPattern::bpmText (int tenths)
{
    return juce::String (tenths / 10) + "." + juce::String (tenths % 10);
}

juce::String VeskPattern::typeName() const
{
    const auto name = VeskNames::item (VeskNames::partTypes(), type());
    return name.isNotEmpty() ? name : "type " + juce::String (type());
}

bool VeskPattern::tempoIsPlayable() const noexcept
{
    return VeskFieldTable::pattern (Pattern::tempoHigh, type()).holds (tempo());
}

juce::String VeskPattern::tempoText() const
{
    // Whole beats, as the pattern page's tempo shows them; a damaged tempo is
    // marked, not shown as a speed the unit cannot play.
    return tempoIsPlayable() ? juce::String ((int) bpm (tempo())) : VeskFieldTable::pattern (Pattern::tempoHigh, type()).text (tempo());
}

juce::String VeskPattern::lengthText() const
{
    return juce::String (bars()) + " x " + juce::String (stepsPerBar());
}

juce::String VeskPattern::soundText() const
{
    return VeskNames::sound (type(), bytes[Pattern::toneOrKit]);
}

juce::String VeskPattern::summary() const
{
    auto text = typeName() + ", " + tempoText() + (tempoIsPlayable() ? " BPM, " : ", ") + lengthText();
    const auto sound = soundText();
    return sound.isEmpty() ? text : text + ", " + sound;
}
