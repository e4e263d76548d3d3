#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

/**
    Layout of the unit's editable memory as the editor keeps it: a system block,
    the temporary pattern (the unit's edit buffer), 20 user patterns and a
    reserved tail that is carried byte for byte but never interpreted.

    Every byte of the image is a 7-bit value, so any part of it can travel in an
    exclusive message unchanged.
*/
namespace VeskImage
{
    constexpr int imageSize = 7449;

    constexpr int systemBlockOffset = 0;
    constexpr int systemBlockSize = 13;

    constexpr int patternSize = 159;
    constexpr int numUserPatterns = 20;
    constexpr int temporaryPatternOffset = 13;
    constexpr int userPatternsOffset = temporaryPatternOffset + patternSize; // 172

    constexpr int reservedAreaOffset = userPatternsOffset + numUserPatterns * patternSize; // 3352
    constexpr int reservedAreaSize = imageSize - reservedAreaOffset; // 4097

    /** Record 0 is the temporary pattern, records 1 to 20 are user patterns 1 to 20. */
    constexpr int numPatternRecords = numUserPatterns + 1;
    constexpr int patternRecordOffset (int record) noexcept { return temporaryPatternOffset + patternSize * record; }

    /** Image offset of user pattern index 0-19 (user pattern 1-20). */
    constexpr int userPatternOffset (int index) noexcept { return userPatternsOffset + patternSize * index; }

    static_assert (reservedAreaOffset == 3352 && reservedAreaSize == 4097, "image layout");

    /** Offsets within the system block. */
    namespace System
    {
        enum : int
        {
            masterTune = 0,
            receiveProgramChange = 1,
            receiveControlChange = 3,
            receivePitchBend = 6,
            midiChannel = 8,
            transmitProgramChange = 9,
            transpose = 12
        };

        /** The stored channel byte that means "off"; 0-15 are channels 1-16. */
        constexpr int channelOff = 16;

        /** The unit's defaults: 440 Hz, every receive and transmit on, channel 1, no transpose. */
        constexpr std::uint8_t defaults[systemBlockSize] = { 63, 1, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 12 };
    }

    /** Offsets within a pattern record. */
    namespace Pattern
    {
        enum : int
        {
            tempoHigh = 0,
            tempoLow = 1,
            patternLength = 2,
            stepsPerBar = 3,
            loopCtrl = 4,
            type = 5,
            toneOrKit = 6,
            tuneOrEffectParam1 = 7,
            envModOrEffectParam2 = 8,
            accentOrEffectParam3 = 9,
            filterCutoffOrBdLevel = 10,
            filterResonanceOrSdLevel = 11,
            filterDecayOrHhLevel = 12,
            level = 13,
            pan = 14,
            lfoRate = 15,
            lfoWave = 16,
            wave = 17,
            vibratoDepth = 18,
            filterType = 19,
            filterAttack = 20,
            filterSustain = 21,
            filterRelease = 22,
            filterLfoDepth = 23,
            amplifierEnvDepth = 24,
            amplifierAttack = 25,
            amplifierDecay = 26,
            amplifierSustain = 27,
            amplifierRelease = 28,
            amplifierLfoDepth = 29,
            vintageOrEffectType = 30,
            stepNote = 31,
            stepLevel = 63,
            stepGate = 95,
            stepType = 127
        };

        constexpr int numSteps = 32;
        constexpr int maxGate = 105;

        /** Defaults of offsets 0-30; the step arrays follow from stepDefaults. */
        constexpr std::uint8_t headerDefaults[31] = { 10, 20, 0, 1, 0, 1, 0, 64, 127, 64, 64, 64, 64, 127, 64, 121,
                                                      0, 1, 0, 3, 8, 0, 8, 0, 127, 0, 64, 64, 8, 0, 2 };
        constexpr std::uint8_t defaultStepNote = 64;
        constexpr std::uint8_t defaultStepLevel = 64;
        constexpr std::uint8_t defaultStepGate = 80;
        constexpr std::uint8_t defaultStepType = 0;

        /** The tempo in tenths of a beat per minute, kept in two 7-bit bytes. */
        constexpr int tempo (const std::uint8_t* record) noexcept { return record[tempoHigh] * 128 + record[tempoLow]; }

        /** Stores a tempo in tenths, limited to what the two bytes hold. */
        constexpr void storeTempo (std::uint8_t* record, int tenths) noexcept
        {
            const int t = tenths < 0 ? 0 : (tenths > 0x3FFF ? 0x3FFF : tenths);
            record[tempoHigh] = (std::uint8_t) (t >> 7);
            record[tempoLow] = (std::uint8_t) (t & 0x7F);
        }
    }

    /** Values of the pattern's type field. */
    namespace PartType
    {
        enum : int
        {
            lineIn = 0,
            lead,
            bass,
            rythm,
            filter,
            isolator,
            phaser,
            slicer,
            numTypes
        };
    }

    /** Values of a step's type. */
    namespace StepType
    {
        enum : int
        {
            normal = 0,
            tie,
            slide,
            rest,
            accent,
            numTypes
        };
    }

    /** Exclusive-message address areas. */
    namespace Area
    {
        enum : int
        {
            system = 0,
            temporaryPattern = 1,
            userPattern = 2
        };
    }

    /** The image of a new library, as a reset leaves it: the system defaults,
        every record at the pattern defaults, the reserved tail zero. */
    constexpr std::array<std::uint8_t, imageSize> makeDefaults() noexcept
    {
        std::array<std::uint8_t, imageSize> image {};

        for (int i = 0; i < systemBlockSize; ++i)
            image[(std::size_t) (systemBlockOffset + i)] = System::defaults[i];

        for (int record = 0; record < numPatternRecords; ++record)
        {
            const auto at = (std::size_t) patternRecordOffset (record);

            for (int i = 0; i < Pattern::stepNote; ++i)
                image[at + (std::size_t) i] = Pattern::headerDefaults[i];

            for (int s = 0; s < Pattern::numSteps; ++s)
            {
                image[at + (std::size_t) (Pattern::stepNote + s)] = Pattern::defaultStepNote;
                image[at + (std::size_t) (Pattern::stepLevel + s)] = Pattern::defaultStepLevel;
                image[at + (std::size_t) (Pattern::stepGate + s)] = Pattern::defaultStepGate;
                image[at + (std::size_t) (Pattern::stepType + s)] = Pattern::defaultStepType;
            }
        }

        return image;
    }

    inline constexpr std::array<std::uint8_t, imageSize> defaults = makeDefaults();
}
