#include "VeskToolSettings.h"

namespace
{
    /** The index of the name text is (optionName's form, in any case); -1 for none. */
    int indexNamed (const juce::StringArray& names, const juce::String& text)
    {
        for (int i = 0; i < names.size(); ++i)
            if (text.equalsIgnoreCase (VeskToolSettings::optionName (names[i])))
                return i;

        return -1;
    }

    /** The names in their option form, listed: "a, b, c or d". */
    juce::String listed (const juce::StringArray& names, const juce::String& lastJoin)
    {
        juce::StringArray forms;

        for (const auto& name : names)
            forms.add (VeskToolSettings::optionName (name));

        const auto last = forms[forms.size() - 1];
        forms.remove (forms.size() - 1);
        return forms.joinIntoString (", ") + lastJoin + last;
    }
}

const juce::StringArray& VeskToolSettings::scaleNames()
{
    static const juce::StringArray names { "Chromatic", "Major", "Minor", "Minor Pentatonic" };
    return names;
}

const juce::StringArray& VeskToolSettings::rootNames()
{
    static const juce::StringArray names { "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B" };
    return names;
}

const juce::StringArray& VeskToolSettings::laneNames()
{
    static const juce::StringArray names { "Note", "Level", "Gate", "Type" };
    return names;
}

const juce::StringArray& VeskToolSettings::panelNames()
{
    static const juce::StringArray names { "LFO", "Oscillator", "Filter", "Amplifier", "Effect", "Output" };
    return names;
}

juce::String VeskToolSettings::optionName (const juce::String& name)
{
    return name.toLowerCase().replaceCharacter (' ', '-');
}

juce::String VeskToolSettings::readSeed (const juce::String& text)
{
    const auto given = VeskSeed::parse (text);

    if (! given.has_value())
        return VeskSeed::whyNot (text);

    seed = *given;
    return {};
}

juce::String VeskToolSettings::readScale (const juce::String& text)
{
    const int index = indexNamed (scaleNames(), text);

    if (index < 0)
        return "'" + text + "' is not a scale: " + listed (scaleNames(), " or ");

    scale = (VeskStepTools::Scale) index;
    return {};
}

juce::String VeskToolSettings::readRoot (const juce::String& text)
{
    int index = indexNamed (rootNames(), text.trim());
    const auto digits = text.trimCharactersAtStart ("+-");

    // One sign at most, as vesk's other numbers take it.
    if (index < 0 && text.length() - digits.length() <= 1 && digits.isNotEmpty() && digits.containsOnly ("0123456789")
        && text.getIntValue() >= 0 && text.getIntValue() < rootNames().size())
        index = text.getIntValue();

    if (index < 0)
        return "'" + text + "' is not a root: " + rootNames().joinIntoString (", ", 0, 3) + " ... " + rootNames()[rootNames().size() - 1]
               + ", or 0 to " + juce::String (rootNames().size() - 1);

    root = index;
    return {};
}

juce::String VeskToolSettings::readLockedLanes (const juce::String& text)
{
    int lanes = 0;

    for (const auto& name : juce::StringArray::fromTokens (text, ",", ""))
    {
        const int index = indexNamed (laneNames(), name.trim());

        if (index < 0)
            return "'" + text + "' is not a list of lanes: " + listed (laneNames(), ", ") + ", joined by commas";

        lanes |= 1 << index;
    }

    lockedLanes = lanes;
    return {};
}
