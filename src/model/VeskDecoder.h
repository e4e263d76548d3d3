#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/**
    Turns what the unit sends into changes of the image: exclusive dumps of the
    system block or of a pattern record, controller moves and pattern changes.
    It has no GUI; the caller refreshes whatever shows the changed bytes.
*/
struct VeskDecoder
{
    enum class DumpResult
    {
        systemBlock, // system block replaced
        temporaryPattern, // temporary pattern replaced
        userPattern, // user pattern userPatternIndex replaced
        notThisUnit, // another maker's, model's or command's message
        unknownAddress, // area other than 0, 1 or 2, or a user pattern index above 19
        truncated, // shorter than the dump its address names
        badChecksum,
        notSevenBit, // holds a byte with the top bit set
        otherDevice, // another device ID than the unit's (checked for whole records only)
        notRecordStart // addressed past a record's first byte (checked for whole records only)
    };

    static constexpr int numDumpResults = (int) DumpResult::notRecordStart + 1;

    /** What a dump must be to be applied. */
    enum class Check
    {
        /** What the unit sends over the wire: its own dumps are taken as the
            unit means them, without looking at the device ID or at the
            address past a record's area and index. */
        asReceived,

        /** Pasted text and files, which anything may have written: only a
            whole record of this unit's device ID, addressed at its start. */
        wholeRecord
    };

    struct Dump
    {
        DumpResult result = DumpResult::notThisUnit;
        int userPatternIndex = -1; // 0-19 for a user-pattern dump

        /** The block the address names, read even when the dump is refused for
            its length, data or checksum (so a transfer can tell which answer
            failed): -1 system block, 0 temporary, 1-20 user patterns, or
            noBlock when the message names none. */
        int addressedBlock = noBlock;
        static constexpr int noBlock = -2;

        bool applied() const noexcept
        {
            return result == DumpResult::systemBlock || result == DumpResult::temporaryPattern
                   || result == DumpResult::userPattern;
        }

        /** Image record touched: -1 system block, 0 temporary, 1-20 user patterns. */
        int patternRecord() const noexcept
        {
            return result == DumpResult::userPattern ? userPatternIndex + 1 : (result == DumpResult::temporaryPattern ? 0 : -1);
        }
    };

    /** Verifies an exclusive body (without F0 / F7) and, when it is a valid dump
        of this unit, copies it into the image. Nothing else is written. */
    static Dump applyDump (juce::uint8* image, const juce::uint8* body, int length, Check check = Check::asReceived);

    /** A short reason for a dump that was not applied ("bad checksum" ...). */
    static juce::String describe (DumpResult result);

    struct ChannelAction
    {
        enum class Kind
        {
            ignored, // wrong channel, channel off, or nothing this editor reads
            bankSelect, // the caller's bank-select state changed
            controllerStored, // a byte of the current pattern changed: refresh controller
            selectPattern // the pattern selector should show patternItem
        };

        Kind kind = Kind::ignored;
        int controller = 0; // for controllerStored
        int patternItem = 0; // for selectPattern: 0 "Temporary", 1-20 "User 01" to "User 20"
    };

    /** Applies a controller or program change on the unit's channel.

        bankSelect is the last bank select seen on the message's input; the
        caller keeps one per input. A program change after bank 85 selects
        user pattern program + 1; any other selects the temporary pattern, and
        so does a program number that names no user pattern. */
    static ChannelAction applyChannelMessage (const juce::uint8* systemBlock,
                                              juce::uint8* currentPattern,
                                              const juce::MidiMessage& message,
                                              int& bankSelect);

    /** Pattern-record offset carried by a controller, or -1. */
    static int patternOffsetForController (int controllerNumber) noexcept;

    static constexpr int userPatternBank = 85;
};
