// The file exchange on its own: a .syx file in and out, each import one step
// that sends nothing, and what it says about the library.

#include "SessionPartsRig.h"

TEST (FileExchange, ASyxFileGoesOutAndComesBackAsOneStepThatSendsNothing)
{
    SessionParts from, to;
    const int offset = VeskImage::userPatternOffset (9) + VeskImage::Pattern::level;
    from.model.image[offset] = 77;

    juce::TemporaryFile syx (".syx");
    ASSERT_TRUE (from.files.exportSyx (syx.getFile()).wasOk());

    const struct
    {
        const char* what;
        const char* says;
        int steps;
    } imports[] = {
        { "first", "The library is marked changed", 1 },
        { "again", "already held every byte", 1 },
    };

    for (const auto& i : imports)
    {
        SCOPED_TRACE (i.what);
        to.out.clear();
        const auto imported = to.files.importSyx (syx.getFile());
        ASSERT_TRUE (imported.wasOk()) << imported.getText();
        EXPECT_TRUE (imported.getText().contains (i.says)) << imported.getText();
        EXPECT_TRUE (to.out.messages.empty());
        EXPECT_EQ (to.model.image[offset], 77);
        EXPECT_EQ (to.history.getSteps().getNumDone(), i.steps);
    }

    // A file without a dump of this unit is refused and changes nothing.
    juce::TemporaryFile junk (".syx");
    ASSERT_TRUE (junk.getFile().replaceWithText ("not a dump"));
    const auto refused = to.files.importSyx (junk.getFile());
    EXPECT_EQ (refused.getRefusal(), SessionResult::Refusal::failed);
    EXPECT_TRUE (refused.getText().contains ("left as it was")) << refused.getText();
    EXPECT_EQ (to.history.getSteps().getNumSteps(), 1);
}
