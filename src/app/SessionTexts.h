#pragma once

#include "session/VeskSession.h"

/**
    The sentences the app makes of what the session reports: they name the
    program's menus and windows, which the session knows nothing of.
*/
struct SessionTexts
{
    /** What a person reads of a command's result: its report, why it failed,
        or why it was refused. */
    static juce::String describe (const SessionResult& result);

    /** The next steps after a Find Unit that found no single pair. */
    static const VeskUnitFinder::Advice& finderAdvice();
};
