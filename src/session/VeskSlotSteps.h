#pragma once

#include "VeskSession.h"

/**
    Patterns moved between the library's slots (the temporary pattern and the
    user patterns) as undo steps of the session: each names itself
    ("Copy User 03 to User 07") and sends what it changed to the unit.
*/
struct VeskSlotSteps
{
    static SessionResult copy (VeskSession& session, VeskBlock from, VeskBlock to);

    /** A record of another library (its whole image) onto slot to. */
    static SessionResult copyFrom (VeskSession& session, const juce::uint8* otherImage, VeskBlock from, VeskBlock to);

    static SessionResult swap (VeskSession& session, VeskBlock a, VeskBlock b);

    /** The slot back to the pattern defaults. */
    static SessionResult initialise (VeskSession& session, VeskBlock slot);
};
