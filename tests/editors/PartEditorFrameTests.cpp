#include "EditorTestSupport.h"
#include "VeskPanelPictures.h"
#include "editors/MyGroupComponent.h"
#include "editors/PanelPictures.h"
#include "editors/PatternsComponent.h"
#include "editors/VeskLineinComponent.h"

#include <map>

using namespace VeskImage;

namespace
{
    juce::Colour pixel (juce::Component& c, int x, int y)
    {
        return c.createComponentSnapshot (c.getLocalBounds(), false, 1.0f).getPixelAt (x, y);
    }

    struct LineInEditor : ModelFixture
    {
        LineInEditor()
        {
            model.currentPattern[Pattern::type] = PartType::lineIn;
            model.currentPattern[Pattern::level] = 77;
        }
    };
}

TEST_F (LineInEditor, LevelKnobStoresAndSendsController7)
{
    VeskLineinComponent editor (session);
    editor.updateFromPattern (0);
    EXPECT_DOUBLE_EQ (editor.levelSlider->getValue(), 77.0);
    EXPECT_TRUE (out.messages.empty());

    editor.levelSlider->setValue (90.0, juce::sendNotificationSync);

    EXPECT_EQ (model.currentPattern[Pattern::level], 90);
    ASSERT_EQ (out.messages.size(), 1u);
    EXPECT_EQ (out.hexAt (0), "B0 07 5A");
}

TEST_F (LineInEditor, AnyRefreshReReadsTheLevelAndSendsNothing)
{
    VeskLineinComponent editor (session);

    for (int controller : { 7, 0, 74 })
    {
        model.currentPattern[Pattern::level] = (juce::uint8) (10 + controller);
        editor.updateFromPattern (controller);
        EXPECT_DOUBLE_EQ (editor.levelSlider->getValue(), 10.0 + controller);
    }

    editor.showSequencer (true);
    EXPECT_TRUE (editor.paramsGroup->isVisible());
    EXPECT_TRUE (out.messages.empty());
}

TEST_F (LineInEditor, SitsBelowTheBandAndPaintsItsPicture)
{
    PatternsComponent page (session);
    auto* editor = dynamic_cast<VeskLineinComponent*> (page.partEditor);
    ASSERT_NE (editor, nullptr);

    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (1, 91, 45, 84));
    EXPECT_EQ (editor->outputGroup->getBounds(), juce::Rectangle<int> (0, 0, 45, 84));
    EXPECT_EQ (editor->levelSlider->getBounds(), juce::Rectangle<int> (0, 32, 45, 45));

    // Title bar stripes and body stripes of "outputGroup", away from the text.
    EXPECT_EQ (pixel (page, 1 + 44, 91 + 0).getARGB(), 0xFF990000u);
    EXPECT_EQ (pixel (page, 1 + 44, 91 + 1).getARGB(), 0xFFCC0000u);
    EXPECT_EQ (pixel (page, 1 + 0, 91 + 18).getARGB(), 0xFF262626u);
}

TEST (MyGroupComponent, PaintsItsPictureOrFlatGrey)
{
    MyGroupComponent group ("paramsGroup", nullptr);
    group.setSize (45, 84);
    EXPECT_EQ (pixel (group, 10, 10).getARGB(), 0xFF666666u);

    auto picture = VeskTypeComponent::panelPicture ("outputGroup");
    group.backgroundImage = &picture;
    group.repaint();
    EXPECT_EQ (pixel (group, 44, 0).getARGB(), 0xFF990000u);

    auto other = VeskTypeComponent::panelPicture ("commonGroup");
    group.backgroundImage = &other;
    group.repaint();
    EXPECT_EQ (pixel (group, 44, 20).getARGB(), 0xFF262626u);
    EXPECT_EQ (pixel (group, 44, 21).getARGB(), 0xFF333333u);
}

TEST (PanelPictures, EachDecodesAtItsGroupSizeInTheSharedStyleAndSharpAtTwiceThat)
{
    struct Expected
    {
        int width, height;
        bool hasCaptions;
    };

    const std::map<juce::String, Expected> pictures {
        { "commonGroup", { 342, 89, true } }, { "lineinOutputGroup", { 45, 84, true } }, { "outputGroup", { 90, 84, true } }, { "lfoGroup", { 59, 311, true } }, { "leadOscGroup", { 329, 56, true } }, { "leadFilterGroup", { 329, 84, true } }, { "leadAmplifierGroup", { 238, 84, true } }, { "driveEffectGroup", { 194, 84, true } }, { "phaserEffectGroup", { 194, 84, true } }, { "slicerEffectGroup", { 194, 84, true } }, { "bassOscGroup", { 374, 84, true } }, { "bassFilterGroup", { 374, 84, true } }, { "bassAmplifierGroup", { 283, 84, true } }, { "vintageGroup", { 96, 56, false } }, { "kitGroup", { 104, 47, false } }, { "levelsGroup", { 135, 84, true } }
    };

    // Each picture twice: as laid out, and sharp.
    ASSERT_EQ ((size_t) VeskPanelPictures::namedResourceListSize, 2 * pictures.size());

    // Stripes one layout row high, so scale pixel rows each.
    auto expectStyle = [] (const juce::Image& image, int scale, bool hasCaptions)
    {
        const int x = image.getWidth() - 1; // clear of title and captions

        for (int py = 0; py < image.getHeight(); ++py)
        {
            const int y = py / scale;
            const auto argb = image.getPixelAt (x, py).getARGB();

            if (y < 15)
                EXPECT_EQ (argb, y % 2 == 0 ? 0xFF990000u : 0xFFCC0000u) << "row " << py;
            else if (y == 15)
                EXPECT_EQ (argb, 0x40FFFFFFu) << "row " << py;
            else
                EXPECT_EQ (argb, y % 2 == 0 ? 0xFF262626u : 0xFF333333u) << "row " << py;
        }

        // Title text in the bar's line rhythm, caption text in the body.
        int titlePixels = 0, captionPixels = 0;

        for (int py = 0; py < image.getHeight(); ++py)
            for (int px = 0; px < image.getWidth(); ++px)
            {
                const int y = py / scale;
                const auto argb = image.getPixelAt (px, py).getARGB();
                titlePixels += (y < 15 && argb == (y % 2 == 0 ? 0xFF999999u : 0xFFCCCCCCu)) ? 1 : 0;
                captionPixels += (y > 15 && argb == 0xFFCCCCCCu) ? 1 : 0;
            }

        EXPECT_GT (titlePixels, 10 * scale * scale);
        EXPECT_EQ (captionPixels > 5 * scale * scale, hasCaptions);
    };

    for (auto& [name, expected] : pictures)
    {
        SCOPED_TRACE (name);
        auto image = VeskTypeComponent::panelPicture (name);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), expected.width);
        EXPECT_EQ (image.getHeight(), expected.height);
        EXPECT_EQ (image.getFormat(), juce::Image::SingleChannel) << "kept as its letters, coloured when painted";

        // The same data is decoded once and shared.
        EXPECT_EQ (image, VeskTypeComponent::panelPicture (name));
        expectStyle (PanelPictures::render (image), 1, expected.hasCaptions);

        SCOPED_TRACE ("sharp");
        const auto sharp = PanelPictures::getSharp (image);
        ASSERT_TRUE (sharp.isValid());
        EXPECT_EQ (sharp.getWidth(), 2 * expected.width);
        EXPECT_EQ (sharp.getHeight(), 2 * expected.height);
        EXPECT_EQ (sharp, PanelPictures::getSharp (VeskTypeComponent::panelPicture (name)));
        expectStyle (PanelPictures::render (sharp), 2, expected.hasCaptions);
    }

    EXPECT_FALSE (VeskTypeComponent::panelPicture ("noSuchGroup").isValid());

    for (const auto& other : { juce::Image (juce::Image::ARGB, 45, 84, true), juce::Image (juce::Image::SingleChannel, 45, 84, true) })
    {
        EXPECT_FALSE (PanelPictures::getSharp (other).isValid()) << "not a panel picture";
        EXPECT_FALSE (PanelPictures::render (other).isValid());
        EXPECT_TRUE (PanelPictures::nameOf (other).isEmpty());
    }
}

TEST (MyGroupComponent, PaintsThePictureWithAsManyPixelsAsTheScreenShows)
{
    auto picture = VeskTypeComponent::panelPicture ("leadFilterGroup");
    const auto sharp = PanelPictures::getSharp (picture);
    MyGroupComponent group ("filterGroup", &picture);
    group.setSize (picture.getWidth(), picture.getHeight());

    auto differingPixels = [] (const juce::Image& a, const juce::Image& b)
    {
        int count = 0;

        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                count += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;

        return count;
    };

    const auto plain = group.createComponentSnapshot (group.getLocalBounds(), false, 1.0f);
    const auto doubled = group.createComponentSnapshot (group.getLocalBounds(), false, 2.0f);
    ASSERT_EQ (doubled.getBounds(), sharp.getBounds());
    EXPECT_EQ (differingPixels (plain, PanelPictures::render (picture)), 0);
    EXPECT_EQ (differingPixels (doubled, PanelPictures::render (sharp)), 0) << "the sharp picture, pixel for pixel";

    // A repaint of any part of it (a knob moving) gives that part's pixels,
    // whatever rows and columns it starts and ends at.
    for (const auto area : { juce::Rectangle<int> (0, 0, 45, 84), juce::Rectangle<int> (37, 5, 50, 40), juce::Rectangle<int> (200, 14, 129, 3), juce::Rectangle<int> (1, 15, 1, 1), juce::Rectangle<int> (90, 31, 45, 53) })
    {
        SCOPED_TRACE (area.toString());
        const auto part = group.createComponentSnapshot (area, false, 1.0f);
        EXPECT_EQ (differingPixels (part, PanelPictures::render (picture).getClippedImage (area)), 0);
    }

    // In between, the sharp picture scaled down rather than the plain one stretched.
    const auto between = group.createComponentSnapshot (group.getLocalBounds(), false, 1.5f);

    auto drawnAt150 = [&] (const juce::Image& source, int sourceScale)
    {
        juce::Image image (juce::Image::ARGB, between.getWidth(), between.getHeight(), true);
        juce::Graphics g (image);
        g.addTransform (juce::AffineTransform::scale ((float) image.getWidth() / (float) group.getWidth(), (float) image.getHeight() / (float) group.getHeight()));
        g.drawImage (source, 0, 0, group.getWidth(), group.getHeight(), 0, 0, group.getWidth() * sourceScale, group.getHeight() * sourceScale);
        return image;
    };

    EXPECT_EQ (differingPixels (between, drawnAt150 (PanelPictures::render (sharp), 2)), 0);
    EXPECT_GT (differingPixels (between, drawnAt150 (PanelPictures::render (picture), 1)), 100);
}

TEST (VeskTypeComponent, SharedKnobAndComboConstruction)
{
    std::unique_ptr<juce::Slider> knob (VeskTypeComponent::createKnob ("filterCutoffSlider", nullptr, false));
    std::unique_ptr<juce::Slider> signedKnob (VeskTypeComponent::createKnob ("tuneSlider", nullptr, true));
    std::unique_ptr<juce::ComboBox> combo (VeskTypeComponent::createCombo ("waveCombo", nullptr, { "TRI", "SAW" }));

    EXPECT_EQ (knob->getName(), "filterCutoffSlider");
    EXPECT_EQ (knob->getSliderStyle(), juce::Slider::SliderStyle::Rotary);
    EXPECT_EQ (knob->getTextBoxPosition(), juce::Slider::TextEntryBoxPosition::TextBoxBelow);
    EXPECT_DOUBLE_EQ (knob->getMaximum(), 127.0);
    EXPECT_DOUBLE_EQ (signedKnob->getMinimum(), -64.0);
    EXPECT_DOUBLE_EQ (signedKnob->getMaximum(), 63.0);
    EXPECT_NEAR (knob->getRotaryParameters().startAngleRadians, 3.7699115f, 1e-5f);
    EXPECT_NEAR (knob->getRotaryParameters().endAngleRadians, 8.796459f, 1e-5f);

    EXPECT_EQ (combo->getItemId (1), 2);
    EXPECT_EQ (combo->getItemText (1), "SAW");
    EXPECT_EQ (combo->findColour (juce::ComboBox::textColourId), juce::Colour (0xFFFF0000));
}

TEST_F (LineInEditor, KnobsFillTheirAreaAndShowTheValueAsAnArcOverTheTrack)
{
    PatternsComponent page (session);
    auto& lf = page.pageLookAndFeel;
    const auto arcColour = lf.findColour (juce::Slider::rotarySliderFillColourId);
    const auto trackColour = lf.findColour (juce::Slider::rotarySliderOutlineColourId);
    const auto pointerColour = lf.findColour (juce::Slider::thumbColourId);
    ASSERT_TRUE (arcColour != trackColour && pointerColour != arcColour && pointerColour != trackColour);

    auto* level = dynamic_cast<VeskLineinComponent*> (page.partEditor)->levelSlider;
    std::unique_ptr<juce::Slider> signedKnob (VeskTypeComponent::createKnob ("tuneSlider", nullptr, true));
    page.addAndMakeVisible (*signedKnob);
    signedKnob->setBounds (0, 0, 45, 45);

    auto near = [] (juce::Colour a, juce::Colour b)
    { return std::abs (a.getRed() - b.getRed()) + std::abs (a.getGreen() - b.getGreen()) + std::abs (a.getBlue() - b.getBlue()) < 24; };

    // The knob is drawn in the 45 x 30 above its text box, centred at (22.5, 15).
    auto colourAt = [] (const juce::Image& image, juce::Slider& knob, double proportion, float radius)
    {
        const auto& p = knob.getRotaryParameters();
        const auto angle = p.startAngleRadians + (float) proportion * (p.endAngleRadians - p.startAngleRadians);
        const auto at = juce::Point<float> (22.5f, 15.0f).getPointOnCircumference (radius, angle);
        return image.getPixelAt (juce::roundToInt (at.x - 0.5f), juce::roundToInt (at.y - 0.5f));
    };

    struct Case
    {
        juce::Slider* knob;
        double value, proportion;
        bool onArc;
    };

    const Case cases[] = {
        { level, 32, 0.1, true }, { level, 32, 0.9, false }, { level, 127, 0.9, true }, { level, 0, 0.1, false },
        // A signed knob's arc runs from zero, the top of the knob.
        { signedKnob.get(), 0, 0.1, false },
        { signedKnob.get(), 0, 0.9, false },
        { signedKnob.get(), -40, 0.3, true },
        { signedKnob.get(), -40, 0.7, false },
        { signedKnob.get(), 40, 0.7, true }
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.knob->getName() + " at " + juce::String (c.value) + ", ring at " + juce::String (c.proportion));
        c.knob->setValue (c.value, juce::dontSendNotification);
        const auto image = c.knob->createComponentSnapshot (c.knob->getLocalBounds(), false, 1.0f);

        const auto ring = colourAt (image, *c.knob, c.proportion, 12.3f);
        EXPECT_TRUE (near (ring, c.onArc ? arcColour : trackColour)) << ring.toDisplayString (true);
        EXPECT_TRUE (near (colourAt (image, *c.knob, c.knob->valueToProportionOfLength (c.value), 7.0f), pointerColour));

        // About 28 pixels across: drawn 13 pixels from the centre every way.
        for (auto edge : { juce::Point<int> (9, 15), { 35, 15 }, { 22, 2 }, { 22, 28 } })
            EXPECT_GT (image.getPixelAt (edge.x, edge.y).getAlpha(), 0) << edge.toString();
    }

    // The value box shows the widest values whole, at a height that fits the box.
    auto* box = dynamic_cast<juce::Label*> (level->getChildComponent (0));
    ASSERT_NE (box, nullptr);
    const auto inner = box->getBorderSize().subtractedFrom (box->getLocalBounds());
    EXPECT_LE (box->getFont().getHeight(), (float) inner.getHeight());
    EXPECT_LE (box->getFont().getStringWidthFloat ("-64"), (float) inner.getWidth());
    EXPECT_LE (box->getFont().getStringWidthFloat ("127"), (float) inner.getWidth());
    EXPECT_EQ (box->getText(), "0");
}
