#pragma once

#include "VeskSession.h"

/**
    Patterns moved between the library's slots (0 the temporary pattern, 1-20
    the user patterns) as undo steps of the session: each names itself
    ("Copy User 03 to User 07") and sends what it changed to the unit.
*/
struct VeskSlotSteps
{
    static SessionResult copy (VeskSession& session, int from, int to);

    /** A record of another library (its whole image) onto slot to. */
    static SessionResult copyFrom (VeskSession& session, const juce::uint8* otherImage, int from, int to);

    static SessionResult swap (VeskSession& session, int a, int b);

    /** The slot back to the pattern defaults. */
    static SessionResult initialise (VeskSession& session, int slot);
};
