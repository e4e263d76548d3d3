#include "VeskSlotSteps.h"
#include "model/VeskFields.h"
#include "model/VeskPatternSlots.h"

namespace
{
    juce::String copyName (int from, int to)
    {
        return "Copy " + VeskFields::recordName (from) + " to " + VeskFields::recordName (to);
    }
}

SessionResult VeskSlotSteps::copy (VeskSession& session, int from, int to)
{
    auto* image = session.getModel().image;
    return session.changeRecords (copyName (from, to), { from, to }, [=]
                                  { VeskPatternSlots::copy (image, from, to); });
}

SessionResult VeskSlotSteps::copyFrom (VeskSession& session, const juce::uint8* otherImage, int from, int to)
{
    auto* image = session.getModel().image;
    return session.changeRecords (copyName (from, to), { from, to }, [=]
                                  { VeskPatternSlots::copy (image, otherImage, from, to); });
}

SessionResult VeskSlotSteps::swap (VeskSession& session, int a, int b)
{
    auto* image = session.getModel().image;
    return session.changeRecords ("Swap " + VeskFields::recordName (a) + " and " + VeskFields::recordName (b), { a, b }, [=]
                                  { VeskPatternSlots::swap (image, a, b); });
}

SessionResult VeskSlotSteps::initialise (VeskSession& session, int slot)
{
    auto* image = session.getModel().image;
    return session.changeRecords ("Initialise " + VeskFields::recordName (slot), { slot }, [=]
                                  { VeskPatternSlots::initialise (image, slot); });
}
