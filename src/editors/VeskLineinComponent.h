#pragma once

#include "MyGroupComponent.h"
#include "VeskTypeComponent.h"

/** The part editor of a line-in pattern: its output level, and no step grid. */
class VeskLineinComponent : public VeskTypeComponent,
                            public juce::Slider::Listener
{
public:
    explicit VeskLineinComponent (VeskSession& sessionToUse);
    ~VeskLineinComponent() override;

    void updateFromPattern (int controllerNumber) override;
    void showSequencer (bool) override {}

    void resized() override;
    void sliderValueChanged (juce::Slider* slider) override;

    MyGroupComponent* paramsGroup = nullptr;
    MyGroupComponent* outputGroup = nullptr;
    juce::Slider* levelSlider = nullptr;

    static constexpr int editorWidth = 45, editorHeight = 84;

private:
    juce::Image outputPicture;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VeskLineinComponent)
};
