#include "VeskNames.h"
#include "VeskImage.h"

// Built on first use; function statics are initialised once, thread-safely.
#define VESK_NAME_LIST(name, ...)                             \
    const juce::StringArray& VeskNames::name()                \
    {                                                         \
        static const juce::StringArray items { __VA_ARGS__ }; \
        return items;                                         \
    }

VESK_NAME_LIST (partTypes, "Line In", "Lead", "Bass", "Rythm", "Filter", "Isolator", "Phaser", "Slicer")
VESK_NAME_LIST (loopCtrls, "Off", "Pitch", "Trig", "Divide")
VESK_NAME_LIST (lfoWaves, "TRI", "SQR", "SAW", "S-H")
VESK_NAME_LIST (waves, "TRI", "SAW", "P10", "P20", "P30", "P1S", "P2S", "P3S", "P1D", "P2D", "P3D")
VESK_NAME_LIST (filterTypes, "LP1", "BP1", "HP1", "LP2", "BP2", "HP2")
VESK_NAME_LIST (effectTypes, "OD1", "OD2", "DS1", "DS2", "PH1", "PH2", "PH3", "PH4", "SL1", "SL2", "OFF")
VESK_NAME_LIST (kits, "808", "Clap", "Funk", "Standard", "Rim Shot", "BreakBeats", "909 Synth", "Electro", "Cowbell", "Latin Perc.")
VESK_NAME_LIST (stepTypes, "Normal", "Tie", "Slide", "Rest", "Accent")
VESK_NAME_LIST (rythmStepTypes, "C ", "O ", "CA", "OA", "  ")

// clang-format off
VESK_NAME_LIST (tones,
        "01 - SAW 1 Ds1 Off",
        "02 - SAW Detune SAW 1 Ds1 Off",
        "03 - SAW Detune SAW 2 Ds1 Off",
        "04 - SAW Detune SAW 3 Ds1 Off",
        "05 - SAW Detune SAW 4 Ds1 Off",
        "06 - SAW 2 Ds1 Off",
        "07 - SAW Detune SAW 5 Ds1 Off",
        "08 - SAW Detune SAW 6 Ds1 Off",
        "09 - SAW Detune SAW 7 Ds1 Off",
        "10 - SAW Detune SAW 8 Ds1 Off",
        "11 - SAW 3 Ds1 Off",
        "12 - SAW Detune SAW 9 Ds1 Off",
        "13 - SAW Detune SAW 10 Ds1 Off",
        "14 - SAW Detune SAW 11 Ds1 Off",
        "15 - SAW Detune SAW 12 Ds1 Off",
        "16 - SAW Ring Ds1 Off",
        "17 - SAW Detune SAW Ring 1 Ds1 Off",
        "18 - SAW Detune SAW Ring 2 Ds1 Off",
        "19 - SAW Detune SAW Ring 3 Ds1 Off",
        "20 - SAW Detune SAW Ring 4 Ds1 Off",
        "21 - TRI Detune PLS 1 Ds1 Off",
        "22 - TRI Detune PLS 2 Ds1 Off",
        "23 - TRI Detune PLS 3 Ds1 Off",
        "24 - TRI XMod 1 Ds1 Off",
        "25 - TRI XMod 2 Ds1 Off",
        "26 - TRI XMod 3 Ds1 Off",
        "27 - TRI XMod 4 Ds1 Off",
        "28 - TRI XMod 5 Ds1 Off",
        "29 - TRI XMod 6 Ds1 Off",
        "30 - TRI XMod 7 Ds1 Off",
        "31 - TRI XMod 8 Ds1 Off",
        "32 - TRI XMod 9 Ds1 Off",
        "33 - SAW Detune PLS 1 Ds1 Off",
        "34 - SAW Detune PLS 2 Ds1 Off",
        "35 - SAW Detune PLS 3 Ds1 Off",
        "36 - SAW XMod 1 Ds1 Off",
        "37 - SAW XMod 2 Ds1 Off",
        "38 - SAW XMod 3 Ds1 Off",
        "39 - SAW XMod 4 Ds1 Off",
        "40 - SAW XMod 5 Ds1 Off",
        "41 - SAW XMod 6 Ds1 Off",
        "42 - SAW XMod 7 Ds1 Off",
        "43 - SAW XMod 8 Ds1 Off",
        "44 - SAW XMod 9 Ds1 Off",
        "45 - PLS Detune PLS 1 Ds1 Off",
        "46 - PLS Detune PLS 2 Ds1 Off",
        "47 - PLS Detune PLS 3 Ds1 Off",
        "48 - PLS XMod 1 Ds1 Off",
        "49 - PLS XMod 2 Ds1 Off",
        "50 - PLS XMod 3 Ds1 Off",
        "51 - PLS XMod 4 Ds1 Off",
        "52 - PLS XMod 5 Ds1 Off",
        "53 - PLS XMod 6 Ds1 Off",
        "54 - SAW XMod 10 Ds1 Off",
        "55 - SAW XMod 11 Ds1 Off",
        "56 - SAW XMod 12 Ds1 Off",
        "57 - Noise 1 Ds1 Off",
        "58 - SAW Noise Ds1 Off",
        "59 - SAW Noise XMod 1 Ds1 Off",
        "60 - SAW Noise XMod 2 Ds1 Off",
        "61 - SAW Detune SAW 13 Ds1 Off",
        "62 - SAW Detune SAW 14 Ds1 Off",
        "63 - PLS Detune PLS 4 Ds1 Off",
        "64 - SAW Detune SAW 15 Ds1 Off",
        "65 - SAW Detune SAW 16 Ds1 Off",
        "66 - SAW 4 Ds1 On",
        "67 - TRI Detune TRI XMod Ring 1 Ds1 Off",
        "68 - SAW Detune SAW 17 Ds1 Off",
        "69 - SAW 5 Ds1 Off",
        "70 - SAW Detune SAW 18 Ds1 Off",
        "71 - SAW Detune SAW 19 Ds1 On",
        "72 - SAW Detune SAW 20 Ph2 On",
        "73 - SAW Detune SAW 21 Ph2 Off",
        "74 - SAW Detune SAW 22 Ph2 Off",
        "75 - TRI Detune SAW XMod 1 Ph2 Off",
        "76 - SAW Detune PLS 4 Ph2 Off",
        "77 - Noise 2 Ph2 Off",
        "78 - PLS 1 Ph2 Off",
        "79 - SAW 6 Sl2 On",
        "80 - TRI Detune TRI XMod Ring 2 Sl2 Off",
        "81 - SAW Detune SAW 23 Od1 Off",
        "82 - SAW Detune SAW 24 Od1 Off",
        "83 - SAW Detune SAW 25 Od1 Off",
        "84 - PLS Detune PLS 5 Od1 Off",
        "85 - SAW Detune SAW 26 Od1 Off",
        "86 - SAW Detune SAW 27 Od1 Off",
        "87 - SAW Detune SAW 28 Od1 Off",
        "88 - SAW 7 Od1 Off",
        "89 - PLS 2 Od1 Off",
        "90 - TRI 1 Od1 Off",
        "91 - PLS Detune SAW 1 Ds1 Off",
        "92 - SAW Detune PLS 5 Ds1 Off",
        "93 - TRI Detune TRI XMod 1 Ds1 Off",
        "94 - SAW Detune SAW 29 Ds1 Off",
        "95 - TRI Detune TRI XMod 2 Ds1 Off",
        "96 - TRI Detune TRI XMod 3 Ds1 Off",
        "97 - PLS Detune PLS XMod 1 Ds1 Off",
        "98 - SAW Detune SAW 30 Ds1 Off",
        "99 - SAW Detune SAW 31 Ds1 Off",
        "100 - SAW Detune TRI XMod Ring Ds1 Off",
        "101 - SAW Detune SAW 32 Ds1 Off",
        "102 - SAW 8 Ds1 Off",
        "103 - TRI Detune TRI XMod Ring 3 Ds1 Off",
        "104 - TRI Detune TRI XMod 4 Ds1 Off",
        "105 - PLS Detune PLS XMod Ring Ds1 Off",
        "106 - SAW 9 Ds1 Off",
        "107 - SAW Detune SAW 33 Ds1 Off",
        "108 - TRI XMod 10 Ds1 Off",
        "109 - TRI Detune SAW XMod 2 Ds1 On",
        "110 - SAW Detune TRI Ds1 Off",
        "111 - SAW Detune SAW 34 Ds1 Off",
        "112 - PLS Detune PLS XMod 2 Ds1 Off",
        "113 - TRI Detune PLS XMod Ring Ds1 Off",
        "114 - SAW Detune PLS 6 Ds1 Off",
        "115 - SAW Detune SAW 35 Ds1 Off",
        "116 - SAW Detune SAW 36 Ds1 Off",
        "117 - SAW Detune SAW 37 Ds1 Off",
        "118 - Noise 3 Ds1 Off",
        "119 - PLS 3 Ds1 Off",
        "120 - TRI 2 Ds1 Off",
        "121 - PLS Detune SAW 2 Ph2 Off",
        "122 - SAW Detune PLS 7 Ph2 Off",
        "123 - TRI Detune TRI XMod 5 Ph2 Off",
        "124 - SAW Detune SAW 38 Ph2 Off",
        "125 - TRI Detune TRI XMod 6 Ph2 Off",
        "126 - TRI Detune TRI XMod 7 Ph2 Off",
        "127 - PLS Detune PLS XMod 3 Ph2 Off",
        "128 - SAW Detune SAW 39 Ph2 Off")
// clang-format on

#undef VESK_NAME_LIST

juce::String VeskNames::item (const juce::StringArray& items, int index)
{
    return juce::isPositiveAndBelow (index, items.size()) ? items[index] : juce::String();
}

juce::String VeskNames::sound (int partType, int toneOrKit)
{
    switch (partType)
    {
        case VeskImage::PartType::lead:
        case VeskImage::PartType::bass: return item (tones(), toneOrKit);
        case VeskImage::PartType::rythm: return item (kits(), toneOrKit);
        default: return {};
    }
}

juce::String VeskNames::noteLabel (int partType, int note)
{
    if (! juce::isPositiveAndBelow (note, 128))
        return {};

    int firstOctave = 0;

    if (partType == VeskImage::PartType::lead)
        firstOctave = -1;
    else if (partType == VeskImage::PartType::bass)
        firstOctave = -4;
    else
        return {};

    static const char* const names[] = { "C ", "C#", "D ", "D#", "E ", "F ", "F#", "G ", "G#", "A ", "A#", "B " };
    const int octave = firstOctave + note / 12;
    return juce::String (names[note % 12]) + (octave < 0 ? juce::String (octave) : " " + juce::String (octave));
}
