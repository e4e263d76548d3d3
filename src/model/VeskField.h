#pragma once

#include "VeskImage.h"

/**
    A value the user edits: a byte of the system block, a byte of the pattern
    in edit (its steps included), or the tempo, which is one number kept in two
    bytes. What a field holds is a stored value, never a control's position:
    the tempo in tenths of a beat, a signed knob with its +64.
*/
struct VeskField
{
    enum class Block
    {
        system,
        pattern
    };

    Block block = Block::pattern;
    int offset = 0; // within the system block or the pattern record
    int width = 1; // bytes; 2 for the tempo

    static constexpr VeskField system (int offset) noexcept { return { Block::system, offset, 1 }; }
    static constexpr VeskField pattern (int offset) noexcept { return { Block::pattern, offset, 1 }; }
    static constexpr VeskField tempo() noexcept { return { Block::pattern, VeskImage::Pattern::tempoHigh, 2 }; }

    /** One byte of a step array (stepNote, stepLevel, stepGate or stepType) for step 0-31. */
    static constexpr VeskField step (int array, int stepIndex) noexcept { return pattern (array + stepIndex); }

    bool isSystem() const noexcept { return block == Block::system; }

    bool operator== (const VeskField& other) const noexcept
    {
        return block == other.block && offset == other.offset && width == other.width;
    }

    bool operator!= (const VeskField& other) const noexcept { return ! operator== (other); }
};
