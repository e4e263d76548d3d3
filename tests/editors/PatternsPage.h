#pragma once

#include "EditorTestSupport.h"
#include "editors/PatternsComponent.h"

// Outside an anonymous namespace: the test files that share it are compiled apart.
struct PatternsPage : ModelFixture
{
    std::unique_ptr<PatternsComponent> makePage()
    {
        auto page = std::make_unique<PatternsComponent> (session);
        dispatchPendingMessages();
        out.clear();
        return page;
    }

    void setType (juce::uint8* record, int type) { record[VeskImage::Pattern::type] = (juce::uint8) type; }
};
