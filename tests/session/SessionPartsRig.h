#pragma once

#include "SessionTestSupport.h"

/** The session's parts wired as the session wires them, without the front,
    on a recorder in virtual time; a step's pattern is shown by hand. */
struct SessionParts
{
    explicit SessionParts (bool startGateOpen = true) : link (clock, false, &out, startGateOpen)
    {
        history.showPattern = [this] (VeskBlock pattern, bool selectOnUnit)
        {
            shown.push_back ({ pattern, selectOnUnit });
            model.showBlock (pattern);
        };

        link.connect (model, { &history, &jobs.getTransfer(), listeners.fromReceivers() });
    }

    VirtualClock clock;
    RecordingMidiOut out;
    SessionListeners listeners;
    VeskUnitLink link;
    VeskModel model { link.getOutput() };
    UnitJobs jobs { model, clock, link, listeners };
    EditHistory history { model, clock, jobs, listeners };
    FileExchange files { model, jobs, history, listeners };
    std::vector<std::pair<VeskBlock, bool>> shown; // what the history showed, and whether selected on the unit
};
