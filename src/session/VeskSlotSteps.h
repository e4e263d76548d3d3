#pragma once

#include "VeskSession.h"

/**
    Patterns moved between the library's slots (the temporary pattern and the
    user patterns) as undo steps of the session: each names itself
    ("Copy User 03 to User 07") and sends what it changed to the unit.
*/
struct VeskSlotSteps
{
    using Record = VeskPattern::Record;

    static SessionResult copy (VeskSession& session, VeskBlock from, VeskBlock to);

    /** A record of another library (its whole image) onto slot to. */
    static SessionResult copyFrom (VeskSession& session, const juce::uint8* otherImage, VeskBlock from, VeskBlock to);

    static SessionResult swap (VeskSession& session, VeskBlock a, VeskBlock b);

    /** Records onto consecutive slots from first on, as one step called name;
        refused, changing nothing, when they would run past User 20. */
    static SessionResult putFrom (VeskSession& session, const juce::String& name, const std::vector<Record>& records, VeskBlock first);

    /** records[i] onto slots[i], as one step called name. */
    static SessionResult put (VeskSession& session, const juce::String& name, const std::vector<Record>& records,
                              const std::vector<VeskBlock>& slots);

    /** count slots in record order from first, or none when they would run past the last. */
    static std::vector<VeskBlock> slotsFrom (VeskBlock first, size_t count);

    /** How putFrom refuses count records from first. */
    static SessionResult pastTheEnd (size_t count, VeskBlock first);

    /** The slot back to the pattern defaults. */
    static SessionResult initialise (VeskSession& session, VeskBlock slot);

    /** The slots back to the pattern defaults, as one step. */
    static SessionResult initialise (VeskSession& session, const std::vector<VeskBlock>& slots);

    /** A copy's step name: "Copy " what " to " the slot. */
    static juce::String copyName (const juce::String& what, VeskBlock to);

    /** Slots as a step names them: "User 03", or "3 slots". */
    static juce::String slotsName (const std::vector<VeskBlock>& slots);
};
