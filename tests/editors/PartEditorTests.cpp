// The lead, bass and rhythm part editors, driven as a user drives them, on the
// recording MidiOut.

#include "EditorTestSupport.h"
#include "editors/PatternsComponent.h"
#include "editors/VeskBassComponent.h"
#include "editors/VeskLeadComponent.h"
#include "editors/VeskLineinComponent.h"
#include "editors/VeskRythmComponent.h"
#include "model/VeskDecoder.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>

using namespace VeskImage;

namespace
{
    /** One group or control: where it sits, and for a control what a user's
        value stores where and sends. Rows of one parent are in construction
        order; a row without a parent only drives a control again. */
    struct Row
    {
        const char* name;
        const char* parent;
        juce::Rectangle<int> bounds;
        int value = 0; // knob value or item index
        int offset = -1; // field, -1 for groups
        int stored = 0;
        int controller = 0; // 0: a data set of the stored byte
    };

    // clang-format off
    const std::vector<Row> leadRows {
        { "paramsGroup", "", { 0, 0, 389, 311 } },
        { "lfoGroup", "paramsGroup", { 0, 0, 59, 311 } },
        { "oscGroup", "paramsGroup", { 60, 0, 329, 56 } },
        { "filterGroup", "paramsGroup", { 60, 57, 329, 84 } },
        { "amplifierGroup", "paramsGroup", { 60, 142, 238, 84 } },
        { "outputGroup", "paramsGroup", { 299, 142, 90, 84 } },
        { "effectGroup", "paramsGroup", { 60, 227, 194, 84 } },
        { "lfoRateSlider", "lfoGroup", { 7, 259, 45, 45 }, 100, Pattern::lfoRate, 100 },
        { "lfoWaveCombo", "lfoGroup", { 7, 226, 45, 17 }, 3, Pattern::lfoWave, 3 },
        { "vibratoDepthSlider", "lfoGroup", { 7, 32, 45, 45 }, 5, Pattern::vibratoDepth, 5 },
        { "filterLfoDepthSlider", "lfoGroup", { 7, 93, 45, 45 }, 6, Pattern::filterLfoDepth, 6 },
        { "amplifierLfoDepthSlider", "lfoGroup", { 7, 154, 45, 45 }, 7, Pattern::amplifierLfoDepth, 7 },
        { "waveCombo", "oscGroup", { 7, 32, 45, 17 }, 10, Pattern::wave, 10 },
        { "toneCombo", "oscGroup", { 59, 32, 263, 17 }, 127, Pattern::toneOrKit, 127 },
        { "filterAttackSlider", "filterGroup", { 0, 32, 45, 45 }, 11, Pattern::filterAttack, 11 },
        { "filterDecaySlider", "filterGroup", { 45, 32, 45, 45 }, 12, Pattern::filterDecayOrHhLevel, 12, 83 },
        { "filterSustainSlider", "filterGroup", { 90, 32, 45, 45 }, 13, Pattern::filterSustain, 13 },
        { "filterReleaseSlider", "filterGroup", { 135, 32, 45, 45 }, 14, Pattern::filterRelease, 14 },
        { "filterTypeCombo", "filterGroup", { 277, 46, 45, 17 }, 5, Pattern::filterType, 5 },
        { "filterCutoffSlider", "filterGroup", { 180, 32, 45, 45 }, 100, Pattern::filterCutoffOrBdLevel, 100, 74 },
        { "filterResonanceSlider", "filterGroup", { 225, 32, 45, 45 }, 15, Pattern::filterResonanceOrSdLevel, 15, 71 },
        { "amplifierAttackSlider", "amplifierGroup", { 0, 32, 45, 45 }, 16, Pattern::amplifierAttack, 16 },
        { "amplifierDecaySlider", "amplifierGroup", { 45, 32, 45, 45 }, 17, Pattern::amplifierDecay, 17 },
        { "amplifierSustainSlider", "amplifierGroup", { 90, 32, 45, 45 }, 18, Pattern::amplifierSustain, 18 },
        { "amplifierReleaseSlider", "amplifierGroup", { 135, 32, 45, 45 }, 19, Pattern::amplifierRelease, 19 },
        { "amplifierEnvDepthSlider", "amplifierGroup", { 193, 32, 45, 45 }, 20, Pattern::amplifierEnvDepth, 20 },
        { "levelSlider", "outputGroup", { 0, 32, 45, 45 }, 90, Pattern::level, 90, 7 },
        { "panSlider", "outputGroup", { 45, 32, 45, 45 }, -64, Pattern::pan, 0, 10 },
        { "effectTypeCombo", "effectGroup", { 142, 46, 45, 17 }, 10, Pattern::vintageOrEffectType, 10 },
        { "effectParam1Slider", "effectGroup", { 0, 32, 45, 45 }, 21, Pattern::tuneOrEffectParam1, 21, 16 },
        { "effectParam2Slider", "effectGroup", { 45, 32, 45, 45 }, 22, Pattern::envModOrEffectParam2, 22, 17 },
        { "effectParam3Slider", "effectGroup", { 90, 32, 45, 45 }, 23, Pattern::accentOrEffectParam3, 23, 18 },
        { "toneCombo", nullptr, {}, 0, Pattern::toneOrKit, 0 },
        { "panSlider", nullptr, {}, 63, Pattern::pan, 127, 10 },
        { "panSlider", nullptr, {}, 0, Pattern::pan, 64, 10 },
    };

    const std::vector<Row> bassRows {
        { "paramsGroup", "", { 0, 0, 434, 311 } },
        { "lfoGroup", "paramsGroup", { 0, 0, 59, 311 } },
        { "oscGroup", "paramsGroup", { 60, 0, 374, 84 } },
        { "filterGroup", "paramsGroup", { 60, 85, 374, 84 } },
        { "amplifierGroup", "paramsGroup", { 60, 170, 283, 84 } },
        { "outputGroup", "paramsGroup", { 344, 170, 90, 84 } },
        { "vintageGroup", "paramsGroup", { 60, 255, 96, 56 } },
        { "lfoRateSlider", "lfoGroup", { 7, 259, 45, 45 }, 100, Pattern::lfoRate, 100 },
        { "lfoWaveCombo", "lfoGroup", { 7, 226, 45, 17 }, 2, Pattern::lfoWave, 2 },
        { "vibratoDepthSlider", "lfoGroup", { 7, 32, 45, 45 }, 5, Pattern::vibratoDepth, 5 },
        { "filterLfoDepthSlider", "lfoGroup", { 7, 93, 45, 45 }, 6, Pattern::filterLfoDepth, 6 },
        { "amplifierLfoDepthSlider", "lfoGroup", { 7, 154, 45, 45 }, 7, Pattern::amplifierLfoDepth, 7 },
        { "waveCombo", "oscGroup", { 7, 46, 45, 17 }, 4, Pattern::wave, 4 },
        { "toneCombo", "oscGroup", { 59, 46, 263, 17 }, 127, Pattern::toneOrKit, 127 },
        { "tuneSlider", "oscGroup", { 330, 32, 45, 45 }, -64, Pattern::tuneOrEffectParam1, 0, 16 },
        { "filterAttackSlider", "filterGroup", { 0, 32, 45, 45 }, 11, Pattern::filterAttack, 11 },
        { "filterDecaySlider", "filterGroup", { 45, 32, 45, 45 }, 12, Pattern::filterDecayOrHhLevel, 12, 83 },
        { "filterSustainSlider", "filterGroup", { 90, 32, 45, 45 }, 13, Pattern::filterSustain, 13 },
        { "filterReleaseSlider", "filterGroup", { 135, 32, 45, 45 }, 14, Pattern::filterRelease, 14 },
        { "filterTypeCombo", "filterGroup", { 322, 46, 45, 17 }, 0, Pattern::filterType, 0 },
        { "filterCutoffSlider", "filterGroup", { 180, 32, 45, 45 }, 100, Pattern::filterCutoffOrBdLevel, 100, 74 },
        { "filterResonanceSlider", "filterGroup", { 225, 32, 45, 45 }, 15, Pattern::filterResonanceOrSdLevel, 15, 71 },
        { "envModSlider", "filterGroup", { 270, 32, 45, 45 }, 30, Pattern::envModOrEffectParam2, 30, 17 },
        { "amplifierAttackSlider", "amplifierGroup", { 0, 32, 45, 45 }, 16, Pattern::amplifierAttack, 16 },
        { "amplifierDecaySlider", "amplifierGroup", { 45, 32, 45, 45 }, 17, Pattern::amplifierDecay, 17 },
        { "amplifierSustainSlider", "amplifierGroup", { 90, 32, 45, 45 }, 18, Pattern::amplifierSustain, 18 },
        { "amplifierReleaseSlider", "amplifierGroup", { 135, 32, 45, 45 }, 19, Pattern::amplifierRelease, 19 },
        { "amplifierEnvDepthSlider", "amplifierGroup", { 193, 32, 45, 45 }, 20, Pattern::amplifierEnvDepth, 20 },
        { "accentSlider", "amplifierGroup", { 238, 32, 45, 45 }, 31, Pattern::accentOrEffectParam3, 31, 18 },
        { "levelSlider", "outputGroup", { 0, 32, 45, 45 }, 90, Pattern::level, 90, 7 },
        { "panSlider", "outputGroup", { 45, 32, 45, 45 }, 63, Pattern::pan, 127, 10 },
        { "On / Off", "vintageGroup", { 7, 24, 74, 24 } },
        { "tuneSlider", nullptr, {}, 63, Pattern::tuneOrEffectParam1, 127, 16 },
        { "tuneSlider", nullptr, {}, 0, Pattern::tuneOrEffectParam1, 64, 16 },
    };

    const std::vector<Row> rythmRows {
        { "paramsGroup", "", { 0, 0, 135, 217 } },
        { "kitGroup", "paramsGroup", { 0, 0, 104, 47 } },
        { "kitCombo", "kitGroup", { 7, 23, 90, 17 }, 3, Pattern::toneOrKit, 3 },
        { "levelsGroup", "paramsGroup", { 0, 48, 135, 84 } },
        { "BDLevelSlider", "levelsGroup", { 0, 32, 45, 45 }, 100, Pattern::filterCutoffOrBdLevel, 100, 74 },
        { "SDLevelSlider", "levelsGroup", { 45, 32, 45, 45 }, 101, Pattern::filterResonanceOrSdLevel, 101, 71 },
        { "HHLevelSlider", "levelsGroup", { 90, 32, 45, 45 }, 102, Pattern::filterDecayOrHhLevel, 102, 83 },
        { "outputGroup", "paramsGroup", { 0, 133, 90, 84 } },
        { "levelSlider", "outputGroup", { 0, 32, 45, 45 }, 90, Pattern::level, 90, 7 },
        { "panSlider", "outputGroup", { 45, 32, 45, 45 }, -64, Pattern::pan, 0, 10 },
        { "kitCombo", nullptr, {}, 0, Pattern::toneOrKit, 0 },
    };
    // clang-format on

    juce::Component* find (juce::Component& root, const juce::String& name)
    {
        for (auto* child : root.getChildren())
        {
            if (child->getName() == name)
                return child;

            if (auto* found = find (*child, name))
                return found;
        }

        return nullptr;
    }

    template <typename Control>
    Control& control (juce::Component& editor, const juce::String& name)
    {
        auto* c = dynamic_cast<Control*> (find (editor, name));

        if (c == nullptr)
            throw std::runtime_error ("no control " + name.toStdString());

        return *c;
    }

    /** What the unit hears for one row. */
    std::string expectedMessage (const Row& row)
    {
        if (row.controller == 0)
            return ModelFixture::dataSet (0x01, row.offset, row.stored);

        return hexOf (juce::MidiMessage::controllerEvent (1, row.controller, row.stored));
    }

    /** The value a control shows, whatever kind it is. */
    double shown (juce::Component& editor, const Row& row)
    {
        if (auto* combo = dynamic_cast<juce::ComboBox*> (find (editor, row.name)))
            return combo->getSelectedItemIndex();

        return control<juce::Slider> (editor, row.name).getValue();
    }

    /** What a control shows for the byte stored in its field. */
    double expectedShown (juce::Component& editor, const Row& row, const juce::uint8* pattern)
    {
        const int stored = pattern[row.offset];

        if (auto* combo = dynamic_cast<juce::ComboBox*> (find (editor, row.name)))
            return stored < combo->getNumItems() ? stored : -1;

        return control<juce::Slider> (editor, row.name).getMinimum() < 0.0 ? stored - 64 : stored;
    }

    /** Types text into a knob's box and presses Return, as a user does. */
    void typeInto (juce::Slider& knob, const juce::String& text)
    {
        for (auto* child : knob.getChildren())
            if (auto* box = dynamic_cast<juce::Label*> (child))
            {
                box->showEditor();
                auto* editor = box->getCurrentTextEditor();
                ASSERT_NE (editor, nullptr);
                editor->setText (text, false);
                editor->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
                dispatchPendingMessages(); // the box reports Return asynchronously
                return;
            }

        FAIL() << "knob without a text box";
    }

    struct EditorCase
    {
        const char* name;
        int partType;
        const std::vector<Row>* rows;
        std::function<std::unique_ptr<VeskTypeComponent> (VeskSession&)> make;
    };

    const std::vector<EditorCase>& editorCases()
    {
        static const std::vector<EditorCase> cases {
            { "lead", PartType::lead, &leadRows, [] (VeskSession& m)
              { return std::make_unique<VeskLeadComponent> (m); } },
            { "bass", PartType::bass, &bassRows, [] (VeskSession& m)
              { return std::make_unique<VeskBassComponent> (m); } },
            { "rythm", PartType::rythm, &rythmRows, [] (VeskSession& m)
              { return std::make_unique<VeskRythmComponent> (m); } },
        };
        return cases;
    }

    struct PartEditors : ModelFixture
    {
        std::unique_ptr<VeskTypeComponent> make (const EditorCase& c)
        {
            std::copy (defaults.begin(), defaults.end(), model.image); // each case starts afresh
            model.currentPattern[Pattern::type] = (juce::uint8) c.partType;
            auto editor = c.make (session);
            editor->resized();
            editor->updateFromPattern (0);
            out.clear();
            return editor;
        }

        std::vector<juce::uint8> image() const { return { model.image, model.image + imageSize }; }

        const std::vector<juce::uint8> defaults = image();
    };
}

TEST_F (PartEditors, GroupsAndControlsSitAtTheirBoundsInConstructionOrder)
{
    for (auto& c : editorCases())
    {
        SCOPED_TRACE (c.name);
        auto editor = make (c);
        std::map<juce::String, int> lastIndex;

        for (auto& row : *c.rows)
        {
            if (row.parent == nullptr)
                continue;

            SCOPED_TRACE (row.name);
            auto* component = find (*editor, row.name);
            ASSERT_NE (component, nullptr);
            auto* parent = component->getParentComponent();
            EXPECT_EQ (parent->getName(), juce::String (row.parent) == "" ? editor->getName() : juce::String (row.parent));
            EXPECT_EQ (component->getBounds(), row.bounds);
            EXPECT_TRUE (component->isVisible());

            const int index = parent->getIndexOfChildComponent (component);
            EXPECT_GT (index, lastIndex.count (row.parent) > 0 ? lastIndex[row.parent] : -1);
            lastIndex[row.parent] = index;
        }
    }
}

TEST_F (PartEditors, EveryControlStoresItsByteAndSendsItsMessage)
{
    for (auto& c : editorCases())
    {
        SCOPED_TRACE (c.name);
        auto editor = make (c);

        for (auto& row : *c.rows)
        {
            if (row.offset < 0)
                continue;

            SCOPED_TRACE (row.name + juce::String (" = ") + juce::String (row.value));
            out.clear();
            auto before = image();

            if (auto* combo = dynamic_cast<juce::ComboBox*> (find (*editor, row.name)))
                combo->setSelectedItemIndex (row.value, juce::sendNotificationSync);
            else
                control<juce::Slider> (*editor, row.name).setValue (row.value, juce::sendNotificationSync);

            before[(size_t) (temporaryPatternOffset + row.offset)] = (juce::uint8) row.stored;
            EXPECT_EQ (image(), before); // that byte and no other
            ASSERT_EQ (out.messages.size(), 1u);
            EXPECT_EQ (out.hexAt (0), expectedMessage (row));
        }
    }
}

TEST_F (PartEditors, AControllerNumberReReadsOnlyItsControlAndSendsNothing)
{
    for (auto& c : editorCases())
    {
        for (int controller : { 7, 10, 16, 17, 18, 71, 74, 83, 1, 5, 0 })
        {
            SCOPED_TRACE (c.name + juce::String (", controller ") + juce::String (controller));
            auto editor = make (c);
            std::map<juce::String, double> before;

            for (auto& row : *c.rows)
                if (row.offset >= 0)
                    before[row.name] = shown (*editor, row);

            // Every byte differs from its default; the lead's effect "OFF" disables
            // the effect knobs, which are still re-read.
            for (int offset = Pattern::toneOrKit; offset <= Pattern::vintageOrEffectType; ++offset)
                model.currentPattern[offset] = (juce::uint8) (offset == Pattern::vintageOrEffectType ? 10 : 40 + offset);

            editor->updateFromPattern (controller);
            const int carried = VeskDecoder::patternOffsetForController (controller);

            for (auto& row : *c.rows)
            {
                if (row.offset < 0 || row.parent == nullptr)
                    continue;

                if (controller == 0 || row.offset == carried)
                    EXPECT_DOUBLE_EQ (shown (*editor, row), expectedShown (*editor, row, model.currentPattern)) << row.name;
                else
                    EXPECT_DOUBLE_EQ (shown (*editor, row), before[row.name]) << row.name;
            }

            EXPECT_TRUE (out.messages.empty());
        }
    }
}

// A byte beyond a combo box's list (a tone left in a rhythm pattern's kit field)
// shows no item; a change notification in that state must not write -1 back.
TEST_F (PartEditors, AComboBoxShowingNoItemStoresAndSendsNothing)
{
    for (auto& c : editorCases())
    {
        auto editor = make (c);

        for (auto& row : *c.rows)
        {
            auto* combo = dynamic_cast<juce::ComboBox*> (find (*editor, row.name));

            if (combo == nullptr || row.parent == nullptr)
                continue;

            SCOPED_TRACE (c.name + juce::String (" ") + row.name);

            // The user picks an item; before its notification arrives, the unit's
            // byte beyond the list is read in.
            combo->setSelectedItemIndex (1, juce::sendNotificationAsync);
            model.currentPattern[row.offset] = (juce::uint8) (combo->getNumItems() < 128 ? 127 : 0);
            editor->updateFromPattern (0);
            out.clear();
            const auto before = image();
            dispatchPendingMessages();

            if (combo->getNumItems() < 128)
            {
                EXPECT_EQ (combo->getSelectedItemIndex(), -1);
                EXPECT_EQ (combo->getText(), "");
                EXPECT_EQ (image(), before);
                EXPECT_TRUE (out.messages.empty());
            }
            else
            {
                ASSERT_EQ (out.messages.size(), 1u); // the tone list holds every byte: it is stored as shown
                EXPECT_EQ (out.hexAt (0), dataSet (0x01, row.offset, 0));
            }
        }
    }
}

TEST_F (PartEditors, TypedKnobValuesAreSnappedAndLimitedAndNonNumbersIgnored)
{
    struct Typed
    {
        const char* knob;
        const char* text;
        int stored; // -1: nothing stored or sent
    };

    // Each text is typed over a value it would change if it were read as a number.
    const Typed cases[] = {
        { "levelSlider", "12.6", 13 },
        { "levelSlider", "200", 127 },
        { "levelSlider", "abc", -1 },
        { "levelSlider", "", -1 },
        { "levelSlider", "7x", -1 },
        { "levelSlider", " 40 ", 40 },
        { "levelSlider", "-5", 0 },
        { "panSlider", "-80", 0 },
        { "panSlider", "+5", 69 },
        { "lfoRateSlider", "1e9", -1 },
        { "lfoRateSlider", "300", 127 },
        { "lfoRateSlider", "1.2.3", -1 },
        { "lfoRateSlider", "--4", -1 },
        { "lfoRateSlider", "4,4", 4 },
    };

    auto editor = make (editorCases()[0]);

    for (auto& typed : cases)
    {
        SCOPED_TRACE (typed.knob + juce::String (" <- \"") + typed.text + "\"");
        auto& knob = control<juce::Slider> (*editor, typed.knob);
        const auto shownBefore = knob.getValue();
        const auto before = image();
        out.clear();

        typeInto (knob, typed.text);

        if (typed.stored < 0)
        {
            EXPECT_DOUBLE_EQ (knob.getValue(), shownBefore);
            EXPECT_EQ (knob.getTextFromValue (knob.getValue()), juce::String (knob.getValue())); // box shows the value again
            EXPECT_EQ (image(), before);
            EXPECT_TRUE (out.messages.empty());
        }
        else
        {
            const int offset = knob.getName() == "levelSlider" ? Pattern::level : (knob.getName() == "panSlider" ? Pattern::pan : Pattern::lfoRate);
            EXPECT_EQ (model.currentPattern[offset], typed.stored);
            EXPECT_EQ (out.messages.size(), 1u);
        }
    }
}

TEST_F (PartEditors, TheEffectTypeChoosesThePictureAndOffDisablesTheEffectKnobs)
{
    auto editor = make (editorCases()[0]);
    auto& lead = dynamic_cast<VeskLeadComponent&> (*editor);
    auto effectKnobsEnabled = [&]
    { return lead.effectParam1Slider->isEnabled() && lead.effectParam2Slider->isEnabled() && lead.effectParam3Slider->isEnabled(); };
    auto effectKnobsDisabled = [&]
    { return ! lead.effectParam1Slider->isEnabled() && ! lead.effectParam2Slider->isEnabled() && ! lead.effectParam3Slider->isEnabled(); };

    struct Choice
    {
        int index, picture;
    };

    // The picture shown is there to paint; the two not shown are not decoded yet.
    ASSERT_NE (lead.effectGroup->backgroundImage, nullptr);
    EXPECT_TRUE (lead.effectGroup->backgroundImage->isValid());
    EXPECT_EQ (std::count_if (std::begin (lead.effectPictures), std::end (lead.effectPictures), [] (const juce::Image* p)
                              { return p->isValid(); }),
               1);

    // PH1, then OFF keeps the phaser picture; DS2, PH4, SL1, OFF keeps the slicer's.
    for (auto choice : { Choice { 4, 1 }, Choice { 10, 1 }, Choice { 3, 0 }, Choice { 7, 1 }, Choice { 8, 2 }, Choice { 10, 2 } })
    {
        SCOPED_TRACE (choice.index);
        out.clear();
        lead.effectTypeCombo->setSelectedItemIndex (choice.index, juce::sendNotificationSync);

        EXPECT_EQ (lead.effectGroup->backgroundImage, lead.effectPictures[choice.picture]);
        EXPECT_TRUE (lead.effectGroup->backgroundImage->isValid());
        EXPECT_TRUE (choice.index == 10 ? effectKnobsDisabled() : effectKnobsEnabled());
        ASSERT_EQ (out.messages.size(), 1u);
        EXPECT_EQ (out.hexAt (0), dataSet (0x01, Pattern::vintageOrEffectType, choice.index));
    }

    const std::set<juce::ImagePixelData*> distinct { lead.effectPictures[0]->getPixelData(), lead.effectPictures[1]->getPixelData(), lead.effectPictures[2]->getPixelData() };
    EXPECT_EQ (distinct.size(), 3u);

    // A loaded pattern: OFF leaves the knobs disabled, PH2 shows the phaser picture.
    for (auto [stored, picture] : { std::pair { 10, 2 }, std::pair { 5, 1 }, std::pair { 0, 0 } })
    {
        model.currentPattern[Pattern::vintageOrEffectType] = (juce::uint8) stored;
        editor->updateFromPattern (0);
        EXPECT_EQ (lead.effectGroup->backgroundImage, lead.effectPictures[picture]);
        EXPECT_TRUE (stored == 10 ? effectKnobsDisabled() : effectKnobsEnabled());
    }
}

TEST_F (PartEditors, VintageModeTakesExactlyNineControlsOutOfPlay)
{
    auto editor = make (editorCases()[1]);
    auto& bass = dynamic_cast<VeskBassComponent&> (*editor);
    const std::set<juce::String> nine { "filterTypeCombo", "filterLfoDepthSlider", "filterAttackSlider", "filterSustainSlider", "filterReleaseSlider",
                                        "amplifierAttackSlider", "amplifierDecaySlider", "amplifierSustainSlider", "amplifierReleaseSlider" };

    auto disabledControls = [&]
    {
        std::set<juce::String> names;

        for (auto& row : bassRows)
            if (row.parent != nullptr && ! find (*editor, row.name)->isEnabled())
                names.insert (row.name);

        return names;
    };

    // The default byte 2 at offset 30 (a lead's effect type) is not vintage mode.
    EXPECT_EQ (model.currentPattern[Pattern::vintageOrEffectType], 2);
    EXPECT_FALSE (bass.vintageButton->getToggleState());
    EXPECT_TRUE (disabledControls().empty());

    bass.vintageButton->triggerClick();
    dispatchPendingMessages();
    EXPECT_EQ (model.currentPattern[Pattern::vintageOrEffectType], 1);
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x01, Pattern::vintageOrEffectType, 1));
    EXPECT_EQ (disabledControls(), nine);

    // A received cutoff is shown on the knob and the nine stay disabled; a
    // disabled knob still shows what the pattern holds.
    model.currentPattern[Pattern::filterCutoffOrBdLevel] = 99;
    editor->updateFromPattern (74);
    EXPECT_DOUBLE_EQ (bass.filterCutoffSlider->getValue(), 99.0);
    EXPECT_EQ (disabledControls(), nine);
    model.currentPattern[Pattern::filterAttack] = 77;
    editor->updateFromPattern (0);
    EXPECT_DOUBLE_EQ (bass.filterAttackSlider->getValue(), 77.0);
    EXPECT_EQ (disabledControls(), nine);

    out.clear();
    bass.vintageButton->triggerClick();
    dispatchPendingMessages();
    EXPECT_EQ (model.currentPattern[Pattern::vintageOrEffectType], 0);
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), dataSet (0x01, Pattern::vintageOrEffectType, 0));
    EXPECT_TRUE (disabledControls().empty());

    // Received bytes: 1 turns it on with the button, 2 off.
    for (auto [stored, on] : { std::pair { 1, true }, std::pair { 2, false } })
    {
        model.currentPattern[Pattern::vintageOrEffectType] = (juce::uint8) stored;
        editor->updateFromPattern (0);
        EXPECT_EQ (bass.vintageButton->getToggleState(), on);
        EXPECT_EQ (disabledControls().size(), on ? 9u : 0u);
    }
}

TEST_F (PartEditors, EditorAndPageFollowTheGridAlsoWhenItsSizeChangesWhileShown)
{
    const std::map<int, juce::Point<int>> panelSizes { { PartType::lead, { 389, 311 } }, { PartType::bass, { 434, 311 } }, { PartType::rythm, { 135, 217 } } };

    for (auto& c : editorCases())
    {
        SCOPED_TRACE (c.name);
        std::copy (defaults.begin(), defaults.end(), model.image);
        model.currentPattern[Pattern::type] = (juce::uint8) c.partType;
        PatternsComponent page (session);
        auto* editor = page.partEditor;
        ASSERT_NE (editor, nullptr);

        auto* grid = dynamic_cast<SequencerComponent*> (editor->getChildComponent (editor->getNumChildComponents() - 1)); // added last
        ASSERT_NE (grid, nullptr);
        auto* panel = find (*editor, "paramsGroup");

        auto expectSize = [&] (int w, int h)
        {
            EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (1, 91, w, h));
            EXPECT_EQ (page.getBounds(), juce::Rectangle<int> (0, 0, juce::jmax (342, w) + 2, h + 92));
        };

        const auto panelSize = panelSizes.at (c.partType);
        expectSize (panelSize.x, panelSize.y);
        EXPECT_FALSE (grid->isVisible());

        auto click = [] (juce::Button* b)
        {
            b->triggerClick();
            dispatchPendingMessages();
        };

        click (page.synthSeqToggle);
        EXPECT_TRUE (grid->isVisible());
        EXPECT_FALSE (panel->isVisible());
        expectSize (545, 1569); // one bar of 16 steps

        click (page.twoBarsToggle);
        expectSize (1057, 1569);
        click (page.twelveStepsToggle);
        expectSize (801, 1569);
        click (page.oneBarToggle);
        expectSize (417, 1569);

        click (page.synthSeqToggle);
        EXPECT_FALSE (grid->isVisible());
        EXPECT_TRUE (panel->isVisible());
        expectSize (panelSize.x, panelSize.y);

        // The grid follows the pattern while hidden, and the editor keeps the panel's size.
        click (page.sixteenStepsToggle);
        expectSize (panelSize.x, panelSize.y);
        EXPECT_EQ (grid->getWidth(), 545);
    }
}

TEST_F (PartEditors, AnEditorBuiltWhileTheGridIsShownShowsTheGrid)
{
    model.bytesOf (*VeskBlock::user (1))[Pattern::type] = PartType::rythm;
    model.bytesOf (*VeskBlock::user (1))[Pattern::stepsPerBar] = 0;
    PatternsComponent page (session);
    page.synthSeqToggle->triggerClick();
    dispatchPendingMessages();

    page.patternsCombo->setSelectedItemIndex (1, juce::sendNotificationSync);

    auto* rythm = dynamic_cast<VeskRythmComponent*> (page.partEditor);
    ASSERT_NE (rythm, nullptr);
    EXPECT_TRUE (page.synthSeqToggle->getToggleState());
    EXPECT_TRUE (rythm->sequencer->isVisible());
    EXPECT_FALSE (rythm->paramsGroup->isVisible());
    EXPECT_EQ (rythm->getBounds(), juce::Rectangle<int> (1, 91, 417, 1569));

    // Replaced while the grid is shown, the editor takes grid, groups and controls with it.
    juce::Component::SafePointer<juce::Component> grid (rythm->sequencer), kit (rythm->kitCombo), levels (rythm->levelsGroup);
    page.typeCombo->setSelectedItemIndex (PartType::filter, juce::sendNotificationSync);
    EXPECT_TRUE (grid == nullptr && kit == nullptr && levels == nullptr);
}

// Every knob and combo box on a captioned panel has its caption in the picture
// just above it, centred over it ("Tone" stands over the long list's left end).
TEST_F (PartEditors, EachCaptionStandsOverItsControlAndSharedPanelsShareOnePicture)
{
    const std::set<juce::String> uncaptioned { "kitGroup", "vintageGroup" };
    std::map<juce::String, std::set<juce::ImagePixelData*>> picturesByGroup;

    for (auto& c : editorCases())
    {
        auto editor = make (c);

        for (auto& row : *c.rows)
        {
            auto* group = dynamic_cast<MyGroupComponent*> (find (*editor, row.parent == nullptr ? "" : row.parent));
            auto* control = find (*editor, row.name);

            if (auto* self = dynamic_cast<MyGroupComponent*> (control); self != nullptr && self->backgroundImage != nullptr)
            {
                EXPECT_EQ (self->backgroundImage->getBounds(), self->getLocalBounds()) << row.name;
                picturesByGroup[row.name].insert (self->backgroundImage->getPixelData());
            }

            if (group == nullptr || group->backgroundImage == nullptr || uncaptioned.count (group->getName()) > 0 || row.offset < 0)
                continue;

            SCOPED_TRACE (c.name + juce::String (" ") + row.name);
            const auto& picture = *group->backgroundImage;
            const auto bounds = control->getBounds();
            int left = bounds.getRight(), right = bounds.getX() - 1;

            for (int y = bounds.getY() - 10; y < bounds.getY() - 2; ++y)
                for (int x = bounds.getX(); x < juce::jmin (bounds.getRight(), picture.getWidth()); ++x)
                    if (picture.getPixelAt (x, y).getBrightness() > 0.5f)
                    {
                        left = juce::jmin (left, x);
                        right = juce::jmax (right, x);
                    }

            ASSERT_LE (left, right) << "no caption";

            if (juce::String (row.name) != "toneCombo")
            {
                EXPECT_NEAR ((left + right) / 2.0, bounds.getCentreX(), 3.0);
            }
        }
    }

    // Lead and bass share the LFO panel; all three share the output panel.
    EXPECT_EQ (picturesByGroup["lfoGroup"].size(), 1u);
    EXPECT_EQ (picturesByGroup["outputGroup"].size(), 1u);
    EXPECT_EQ (picturesByGroup["oscGroup"].size(), 2u);
    EXPECT_NE (*picturesByGroup["outputGroup"].begin(), VeskTypeComponent::panelPicture ("lineinOutputGroup").getPixelData());
}
