#pragma once

#include "VeskBlock.h"
#include "VeskField.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

/**
    The named fields of the image and the values a person reads for them
    ("440.0 Hz", "Rythm", "C# 4" ...), as the editor's pages show them; the
    texts are those of VeskFieldTable.

    Values depend on the record they are read from (a pattern's type decides
    whether offset 6 is a tone or a kit), so every lookup takes the whole
    block. Any byte gives a text; bytes outside a field's range are shown as
    their number with "(out of range)".
*/
struct VeskFields
{
    struct Field
    {
        const char* name;
        int offset; // within the system block or the pattern record
    };

    /** The system block's named fields in offset order; offsets 2, 4, 5, 7, 10
        and 11 are reserved and have no name. */
    static const std::vector<Field>& systemFields();

    /** A pattern record's fields 0-30; the step arrays follow at stepNote. */
    static const std::vector<Field>& patternFields();

    /** The four per-step arrays: stepNote, stepLevel, stepGate, stepType. */
    static const std::vector<Field>& stepFields();

    static juce::String systemValue (const juce::uint8* systemBlock, int offset);

    /** Any record offset 0-158, steps included. */
    static juce::String patternValue (const juce::uint8* record, int offset);

    /** "masterTune", "reserved 2"... for a system offset. */
    static juce::String systemFieldName (int offset);

    /** "tempoHigh" ... for offsets 0-30, "stepNote 1" ... "stepType 32" for the steps. */
    static juce::String patternFieldName (int offset);

    /** A field by its name: a system field's (with system true), or a
        pattern field's as `vesk show --json` names it, "tempo" for the tempo's
        two bytes and "stepNote 3" (or "stepNote3") for step 3's note. Names
        match in any case; nothing for an unknown name or step. */
    static std::optional<VeskField> named (const juce::String& name, bool system);

    /** A byte that differs between two images, named as the pages show it. */
    struct Difference
    {
        std::optional<VeskBlock> block; // none for the reserved area
        juce::String where; // "System", "Temporary", "User 01" ... "Reserved"
        juce::String field; // "masterTune", "stepNote 3", "image offset 4000"
        juce::String valueA, valueB;
    };

    /** A field as its control is captioned, for the Edit menu: "Cutoff" (or
        "BD Level" on a rhythm pattern), "Master Tune", "Step 5 Note". */
    static juce::String controlName (VeskField field, const juce::uint8* record);

    /** Every byte of a that differs from b, in image order. */
    static std::vector<Difference> differences (const juce::uint8* imageA, const juce::uint8* imageB);
};
