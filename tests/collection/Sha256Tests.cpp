#include "CollectionTestSupport.h"

#include "collection/CollectionFingerprint.h"
#include "collection/Sha256.h"

TEST (Sha256, GivesTheStandardsDigests)
{
    const auto hex = [] (const Sha256::Digest& d)
    { return juce::String::toHexString (d.data(), (int) d.size(), 0); };
    const juce::String million (juce::String::repeatedString ("a", 1000000));

    const struct
    {
        juce::String message;
        const char* digest;
    } cases[] = {
        { "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855" },
        { "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad" },
        { "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1" },
        { "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
          "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1" },
        { million, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0" },
        { juce::String::repeatedString ("x", 55), nullptr }, // the padding's edges: 55, 56 and 64 bytes
        { juce::String::repeatedString ("x", 56), nullptr },
        { juce::String::repeatedString ("x", 64), nullptr },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.message.substring (0, 60).toStdString());
        const auto* utf8 = c.message.toRawUTF8();
        const auto size = std::strlen (utf8);
        const auto whole = Sha256::of (utf8, size);

        if (c.digest != nullptr)

        {
            EXPECT_EQ (hex (whole), c.digest);
        }

        // In uneven pieces it is the same.
        Sha256 pieces;
        for (size_t at = 0, step = 1; at < size; at += step, step = step * 3 % 97 + 1)
            pieces.update (utf8 + at, std::min (step, size - at));
        EXPECT_EQ (hex (pieces.finish()), hex (whole));
    }
}

TEST (CollectionFingerprint, PlayIgnoresOnlyWhatIsNotHeard)
{
    namespace P = VeskImage::Pattern;
    const auto base = patternBytes (3); // a Lead, one bar of 16 steps

    const struct
    {
        const char* what;
        std::function<void (CollectionBytes&)> change;
        bool heard;
    } cases[] = {
        { "a step past the played length", [] (auto& b)
          { b[P::stepNote + 20] = 1; b[P::stepType + 20] = 4; },
          false },
        { "the note of a rest", [] (auto& b)
          { b[P::stepType + 2] = VeskImage::StepType::rest; b[P::stepNote + 2] = 99; },
          false },
        { "the gate of a rest", [] (auto& b)
          { b[P::stepType + 2] = VeskImage::StepType::rest; b[P::stepGate + 2] = 1; },
          false },
        { "the note of a tie", [] (auto& b)
          { b[P::stepType + 5] = VeskImage::StepType::tie; b[P::stepNote + 5] = 3; },
          false },
        { "a Rythm pattern's filter envelope", [] (auto& b)
          { b[P::type] = VeskImage::PartType::rythm; b[P::filterAttack] = 90; },
          false },
        { "a Line In pattern's tone", [] (auto& b)
          { b[P::type] = VeskImage::PartType::lineIn; b[P::toneOrKit] = 9; },
          false },
        { "a played note", [] (auto& b)
          { b[P::stepNote] = 11; },
          true },
        { "a step that plays now", [] (auto& b)
          { b[P::stepType + 1] = VeskImage::StepType::rest; },
          true },
        { "the tempo", [] (auto& b)
          { P::storeTempo (b.data(), 1301); },
          true },
        { "a second bar", [] (auto& b)
          { b[P::patternLength] = 1; },
          true },
        { "a Lead's filter", [] (auto& b)
          { b[P::filterAttack] = 90; },
          true },
        { "a Rythm pattern's kit", [] (auto& b)
          { b[P::type] = VeskImage::PartType::rythm; b[P::toneOrKit] = 2; },
          true },
        { "the level", [] (auto& b)
          { b[P::level] = 3; },
          true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        auto changed = base;
        c.change (changed);

        // Compared with the same pattern before the change, with the type changed alike.
        auto reference = base;
        reference[P::type] = changed[P::type];
        if (changed[P::stepType + 2] == VeskImage::StepType::rest && ! c.heard)
            reference[P::stepType + 2] = VeskImage::StepType::rest;
        if (changed[P::stepType + 5] == VeskImage::StepType::tie)
            reference[P::stepType + 5] = VeskImage::StepType::tie;

        ASSERT_NE (CollectionFingerprint::id (changed), CollectionFingerprint::id (reference));
        EXPECT_EQ (CollectionFingerprint::play (changed) == CollectionFingerprint::play (reference), ! c.heard);
    }

    EXPECT_EQ (CollectionFingerprint::id (base).length(), 64);
    EXPECT_EQ (CollectionFingerprint::playHex (CollectionFingerprint::play (base)).length(), 16);
}

TEST (CollectionFingerprint, AKnownPatternPlaysAsAFixedValueForEachType)
{
    // A collection of an earlier build holds these: a changed recipe would
    // no longer match the same sound.
    namespace P = VeskImage::Pattern;
    auto bytes = patternBytes (3);

    for (int s = 0; s < 16; ++s)
        bytes[(size_t) (P::stepType + s)] = (juce::uint8) (s % 5);

    const std::pair<int, const char*> pinned[] = {
        { VeskImage::PartType::lineIn, "f0c29c62adcb728f" },
        { VeskImage::PartType::lead, "778093caed560b22" },
        { VeskImage::PartType::bass, "bc993c76ae1281da" },
        { VeskImage::PartType::rythm, "cbd5f5273e86dcfb" }, // since its steps play as the grid labels them
        { VeskImage::PartType::filter, "5a4c1501d6c7d29c" },
    };

    for (const auto& [type, play] : pinned)
    {
        SCOPED_TRACE (type);
        bytes[P::type] = (juce::uint8) type;
        EXPECT_EQ (CollectionFingerprint::playHex (CollectionFingerprint::play (bytes)), play);
    }
}

TEST (CollectionFingerprint, ARythmPatternsStepsAreHeardAsTheGridLabelsThem)
{
    namespace P = VeskImage::Pattern;
    auto base = patternBytes (5);
    base[P::type] = VeskImage::PartType::rythm;

    // "C ", "O ", "CA", "OA" on steps 1 to 4, every other step blank.
    for (int s = 0; s < P::numSteps; ++s)
        base[(size_t) (P::stepType + s)] = (juce::uint8) (s < 4 ? s : 4);

    EXPECT_EQ (CollectionFingerprint::onsets (base), 0xfu);

    for (int s = 0; s < 6; ++s)
    {
        SCOPED_TRACE (s);
        auto changed = base;
        changed[(size_t) (P::stepNote + s)] ^= 0x11;
        EXPECT_EQ (CollectionFingerprint::play (changed) != CollectionFingerprint::play (base), s < 4);
    }
}
