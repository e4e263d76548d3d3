#include "VeskSlotSteps.h"
#include "model/VeskPatternSlots.h"

namespace
{
    juce::String copyName (VeskBlock from, VeskBlock to)
    {
        return "Copy " + from.name() + " to " + to.name();
    }
}

SessionResult VeskSlotSteps::copy (VeskSession& session, VeskBlock from, VeskBlock to)
{
    auto* image = session.getModel().image;
    return session.changeRecords (copyName (from, to), { from, to }, [=]
                                  { VeskPatternSlots::copy (image, from, to); });
}

SessionResult VeskSlotSteps::copyFrom (VeskSession& session, const juce::uint8* otherImage, VeskBlock from, VeskBlock to)
{
    auto* image = session.getModel().image;
    return session.changeRecords (copyName (from, to), { from, to }, [=]
                                  { VeskPatternSlots::copy (image, otherImage, from, to); });
}

SessionResult VeskSlotSteps::swap (VeskSession& session, VeskBlock a, VeskBlock b)
{
    auto* image = session.getModel().image;
    return session.changeRecords ("Swap " + a.name() + " and " + b.name(), { a, b }, [=]
                                  { VeskPatternSlots::swap (image, a, b); });
}

SessionResult VeskSlotSteps::initialise (VeskSession& session, VeskBlock slot)
{
    auto* image = session.getModel().image;
    return session.changeRecords ("Initialise " + slot.name(), { slot }, [=]
                                  { VeskPatternSlots::initialise (image, slot); });
}
