#pragma once

#include "model/VeskToolRunner.h"

#include <juce_gui_basics/juce_gui_basics.h>
/**
    The small window of a pattern tool that takes settings: the seed (shown,
    and typed to make a result again), the lanes or panels to keep, and the
    tool's own values. Its button hands the settings to onApply, which gives
    back why the tool refused them (shown in the window, which stays open)
    or nothing, and then the window closes.

    It works from the keyboard as a dialog does: Tab goes through the fields
    and buttons in the order they read, Return runs the tool from any field
    (on a focused button it presses that button), Space presses a button or
    ticks a box, and Escape closes the window.
*/
class StepToolDialog : public juce::Component,
                       private juce::FocusChangeListener
{
public:
    /** A tool that takes settings: its fields are those it takes. */
    using Kind = VeskToolRunner::Tool;
    using Settings = VeskToolSettings;

    /** title is the tool's name, which its button bears. */
    StepToolDialog (Kind kind, const juce::String& title, const Settings& initial);
    ~StepToolDialog() override;

    /** Blend's two patterns, as the Library page describes them: a takes the blend, b is mixed into it. */
    void nameBlended (const juce::String& a, const juce::String& b);

    /** The caret in the first field, to type over what it holds: done
        whenever the window has the focus but none of its fields has. */
    void focusFirstField();

    /** Why the settings were refused, or empty when the tool ran. */
    std::function<juce::String (const Settings&)> onApply;
    std::function<void()> onClose;

    void resized() override;
    void paintOverChildren (juce::Graphics& g) override;

    /** A slider whose value box Tab reaches; Return in the box is the dialog's. */
    class Field : public juce::Slider,
                  private juce::Label::Listener
    {
    public:
        juce::KeyListener* keys = nullptr;

        void lookAndFeelChanged() override;

    private:
        void labelTextChanged (juce::Label*) override {}
        void editorShown (juce::Label*, juce::TextEditor& editor) override;
    };

    juce::TextEditor seedEditor;
    juce::TextButton newSeedButton { "New Seed" }, applyButton, cancelButton { "Cancel" };
    juce::OwnedArray<juce::ToggleButton> locks;
    Field amountSlider, densitySlider, hitsSlider, stepsSlider, rotationSlider, noteSlider;
    juce::ComboBox scaleCombo, rootCombo;
    juce::ToggleButton noteToggle { "Note of the hits" };
    juce::Label refusalLabel, blendedA, blendedB;

private:
    struct Row
    {
        std::unique_ptr<juce::Label> label;
        juce::Component* control;
    };

    struct Keys : juce::KeyListener
    {
        explicit Keys (StepToolDialog& d) : dialog (d) {}
        bool keyPressed (const juce::KeyPress& key, juce::Component* origin) override;
        StepToolDialog& dialog;
    };

    void globalFocusChanged (juce::Component* focused) override;
    void addRow (const juce::String& text, juce::Component& control);
    void apply();
    std::vector<Field*> fields();

    bool takes (VeskToolRunner::Takes setting) const { return VeskToolRunner::takes (kind, setting); }

    /** The fields read into settings; why the seed typed is none, or empty. */
    juce::String read (Settings& settings) const;

    const Kind kind;
    Keys keys { *this };
    std::vector<Row> rows;
    juce::Label locksLabel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StepToolDialog)
};
