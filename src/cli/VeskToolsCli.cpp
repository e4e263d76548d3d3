// vesk transform, generate, set and get: the pattern tools and single
// fields on the command line.
#include "VeskToolsCli.h"
#include "model/Plural.h"
#include "model/VeskFieldTable.h"
#include "model/VeskFields.h"
#include "model/VeskNames.h"
#include "model/VeskStepTools.h"

using namespace VeskImage;

namespace
{
    using Refusal = VeskToolResult::Refusal;

    juce::String noStepsIn (const VeskBlock& slot) { return slot.name() + " is a Line In pattern: it has no steps to change"; }

    bool isNumber (const juce::String& text) { return VeskArguments::isNumber (text); }

    std::optional<std::uint64_t> seedIn (const juce::String& text)
    {
        if (! text.containsOnly ("0123456789") || text.isEmpty() || text.length() > 20)
            return std::nullopt;

        std::uint64_t seed = 0;

        for (auto c : text)
        {
            const auto digit = (std::uint64_t) (c - '0');

            if (seed > (UINT64_MAX - digit) / 10)
                return std::nullopt;

            seed = seed * 10 + digit;
        }

        return seed;
    }

    std::optional<int> lanesIn (const juce::String& text)
    {
        int lanes = 0;

        for (auto& name : juce::StringArray::fromTokens (text, ",", ""))
        {
            const auto lane = name.trim().toLowerCase();
            const int bit = lane == "note" ? VeskStepTools::noteLane : lane == "level" ? VeskStepTools::levelLane
                                                                   : lane == "gate"    ? VeskStepTools::gateLane
                                                                   : lane == "type"    ? VeskStepTools::typeLane
                                                                                       : 0;
            if (bit == 0)
                return std::nullopt;

            lanes |= bit;
        }

        return lanes;
    }

    std::optional<VeskStepTools::Scale> scaleIn (const juce::String& text)
    {
        using Scale = VeskStepTools::Scale;
        const std::pair<const char*, Scale> names[] = { { "chromatic", Scale::chromatic }, { "major", Scale::major }, { "minor", Scale::minor }, { "minor-pentatonic", Scale::minorPentatonic } };

        for (auto& [name, scale] : names)
            if (text.equalsIgnoreCase (name))
                return scale;

        return std::nullopt;
    }

    /** A pitch class by name ("C", "F#") or number 0-11. */
    std::optional<int> rootIn (const juce::String& text)
    {
        static const juce::StringArray names { "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B" };

        if (const int index = names.indexOf (text.trim(), true); index >= 0)
            return index;

        if (isNumber (text) && text.getIntValue() >= 0 && text.getIntValue() < 12)
            return text.getIntValue();

        return std::nullopt;
    }

    /** The field's entry as the block now has it: a record's type decides what its fields mean. */
    const VeskFieldTable::Entry& entryOf (VeskBlock slot, VeskField field, const juce::uint8* block)
    {
        return slot.isSystem() ? VeskFieldTable::system (field.offset) : VeskFieldTable::pattern (field.offset, block);
    }
}

//==============================================================================
int VeskToolsCli::run (const juce::String& name, const VeskArguments& arguments)
{
    command = name;
    positional = arguments.words;
    options = arguments.values;
    raw = arguments.has ("--raw");

    if (command == "transform")
        return transform();

    if (command == "generate")
        return generate();

    return command == "set" ? setField() : getField();
}

int VeskToolsCli::usage (const juce::String& message)
{
    return cli.usageError (message, command);
}

bool VeskToolsCli::readSlot (bool allowSystem, Image& image, VeskBlock& slot)
{
    const auto found = VeskBlock::fromName (positional[1], allowSystem);

    if (! found.has_value())
    {
        usage ("'" + positional[1] + "' is not a slot: temp or 1 to 20" + (allowSystem ? juce::String (", or system") : juce::String()));
        return false;
    }

    slot = *found;
    return cli.readLibrary (positional[0], image);
}

std::optional<long long> VeskToolsCli::number (const juce::String& text, long long lowest, long long highest, const juce::String& what)
{
    if (isNumber (text) && text.length() <= 12 && text.getLargeIntValue() >= lowest && text.getLargeIntValue() <= highest)
        return text.getLargeIntValue();

    usage ("'" + text + "' is not " + what + ": " + juce::String (lowest) + " to " + juce::String (highest));
    return std::nullopt;
}

/** An option's whole number, fallback when it is not given; nothing (and said) when it is wrong. */
std::optional<int> VeskToolsCli::option (const juce::String& name, int lowest, int highest, int fallback)
{
    const auto found = options.find (name);

    if (found == options.end())
        return fallback;

    if (auto value = number (found->second, lowest, highest, "a value of " + name))
        return (int) *value;

    return std::nullopt;
}

//==============================================================================
int VeskToolsCli::transform()
{
    static const juce::StringArray withArgument { "rotate", "transpose", "humanize", "mutate" };
    static const juce::StringArray without { "reverse", "double", "clear", "randomize" };
    const auto op = positional[2];

    if (positional.size() < 3 || (! withArgument.contains (op) && ! without.contains (op)))
        return usage (positional.size() < 3 ? "transform takes FILE.vsk SLOT OP" : "unknown transform '" + op + "'");

    if (positional.size() != (withArgument.contains (op) ? 4 : 3))
        return usage (op + (withArgument.contains (op) ? " takes one number" : " takes no argument") + ", got "
                      + juce::String (positional.size() - 3));

    // An option the operation does not use would be ignored without a word.
    const bool seeded = op == "humanize" || op == "randomize" || op == "mutate";

    for (const auto& [name, value] : options)
        if ((! seeded && name != "--density") || (name == "--density" && op != "randomize")
            || ((name == "--scale" || name == "--root") && op == "humanize"))
            return usage (name + " does nothing for " + op);

    std::uint64_t seed = (std::uint64_t) juce::Random::getSystemRandom().nextInt64();

    if (options.count ("--seed") != 0)
    {
        const auto given = seedIn (options["--seed"]);

        if (! given.has_value())
            return usage ("'" + options["--seed"] + "' is not a seed: a whole number from 0 to " + juce::String ((juce::uint64) UINT64_MAX));

        seed = *given;
    }

    const auto lanes = options.count ("--lock") != 0 ? lanesIn (options["--lock"]) : std::optional<int> (0);
    const auto scale = options.count ("--scale") != 0 ? scaleIn (options["--scale"]) : VeskStepTools::Scale::chromatic;
    const auto root = options.count ("--root") != 0 ? rootIn (options["--root"]) : std::optional<int> (0);

    if (! lanes.has_value())
        return usage ("'" + options["--lock"] + "' is not a list of lanes: note, level, gate, type, joined by commas");

    if (! scale.has_value())
        return usage ("'" + options["--scale"] + "' is not a scale: chromatic, major, minor or minor-pentatonic");

    if (! root.has_value())
        return usage ("'" + options["--root"] + "' is not a root: C, C#, D ... B, or 0 to 11");

    const auto density = option ("--density", 0, 100, 75);

    if (! density.has_value())
        return VeskCli::exitUsage;

    const auto limits = op == "mutate" ? std::make_pair (0LL, 100LL) : op == "humanize" ? std::make_pair (0LL, 127LL)
                                                                                        : std::make_pair (-10000LL, 10000LL);
    const auto argument = positional.size() > 3 ? number (positional[3], limits.first, limits.second, "a number for " + op)
                                                : std::optional<long long> (0);

    Image image;
    VeskBlock slot = VeskBlock::temporary();

    if (! argument.has_value() || ! readSlot (false, image, slot))
        return VeskCli::exitUsage;

    const auto* record = image.data() + slot.imageOffset();
    const int n = (int) *argument;
    VeskToolResult result;
    juce::String what;

    if (op == "rotate")
        result = VeskStepTools::rotate (record, n), what = "rotated by " + plural (n, "step");
    else if (op == "reverse")
        result = VeskStepTools::reverse (record), what = "reversed";
    else if (op == "transpose")
        result = VeskStepTools::transpose (record, n), what = "transposed by " + plural (n, "semitone");
    else if (op == "double")
        result = VeskStepTools::doubleLength (record), what = "doubled to 2 bars";
    else if (op == "clear")
        result = VeskStepTools::clear (record), what = "cleared";
    else if (op == "humanize")
        result = VeskStepTools::humanize (record, n, seed, *lanes), what = "humanized by up to " + juce::String (n);
    else if (op == "mutate")
        result = VeskStepTools::mutate (record, n, seed, *lanes, *scale, *root), what = "mutated " + juce::String (n) + " %";
    else
    {
        VeskStepTools::RandomizeOptions choices;
        choices.scale = *scale;
        choices.root = *root;
        choices.density = *density;
        result = VeskStepTools::randomize (record, choices, seed, *lanes), what = "randomized";
    }

    if (result.refused())
    {
        cli.report (positional[0], (result.refusal == Refusal::noSteps          ? noStepsIn (slot)
                                    : result.refusal == Refusal::alreadyTwoBars ? slot.name() + " already has 2 bars, the most a pattern has"
                                                                                : op + " cannot be done with these values")
                                       + "; " + positional[0] + " left as it was");
        return VeskCli::exitUsage;
    }

    const auto before = image;
    std::copy (result.record.begin(), result.record.end(), image.begin() + slot.imageOffset());

    auto printed = slot.name() + ": " + what + (seeded ? " (seed " + juce::String ((juce::uint64) seed) + ")" : juce::String()) + "; "
                   + juce::String (result.changed) + " of " + plural (Pattern::playedSteps (record), "played step") + " changed";

    if (result.clamped > 0)
        printed << "; " << plural (result.clamped, "note") << " stopped at " << (n > 0 ? "127" : "0");

    return cli.finishLibrary (positional[0], image, image == before, printed + "\n");
}

int VeskToolsCli::generate()
{
    if (positional.size() != 5 || positional[2] != "euclid")
        return usage (positional.size() > 2 && positional[2] != "euclid" ? "unknown generator '" + positional[2] + "'"
                                                                         : "generate takes FILE.vsk SLOT euclid HITS STEPS");

    const auto hits = number (positional[3], 0, Pattern::numSteps, "a number of hits");
    const auto steps = hits.has_value() ? number (positional[4], 1, Pattern::numSteps, "a number of steps") : std::nullopt;
    const auto rotation = steps.has_value() ? option ("--rotate", -10000, 10000, 0) : std::nullopt;
    std::optional<int> note;

    if (options.count ("--note") != 0 && rotation.has_value())
    {
        if (const auto given = number (options["--note"], 0, 127, "a note"))
            note = (int) *given;
        else
            return VeskCli::exitUsage;
    }

    Image image;
    VeskBlock slot = VeskBlock::temporary();

    if (! rotation.has_value() || ! readSlot (false, image, slot))
        return VeskCli::exitUsage;

    const auto* record = image.data() + slot.imageOffset();
    const auto result = VeskStepTools::euclid (record, (int) *hits, (int) *steps, *rotation, note);
    const int played = Pattern::playedSteps (record);

    if (result.refused())
    {
        const auto why = result.refusal == Refusal::noSteps           ? noStepsIn (slot)
                         : result.refusal == Refusal::stepsOverPlayed ? "a cycle of " + plural ((int) *steps, "step") + " is longer than the "
                                                                            + plural (played, "step") + " " + slot.name() + " plays"
                                                                      : plural ((int) *hits, "hit") + " do not fit in " + plural ((int) *steps, "step");
        cli.report (positional[0], why + "; " + positional[0] + " left as it was");
        return VeskCli::exitUsage;
    }

    const auto before = image;
    std::copy (result.record.begin(), result.record.end(), image.begin() + slot.imageOffset());
    const auto printed = slot.name() + ": " + plural ((int) *hits, "hit") + " over " + plural ((int) *steps, "step")
                         + (*rotation != 0 ? ", rotated by " + juce::String (*rotation) : juce::String()) + "; "
                         + juce::String (result.changed) + " of " + plural (played, "played step") + " changed\n";

    return cli.finishLibrary (positional[0], image, image == before, printed);
}

//==============================================================================
std::optional<VeskField> VeskToolsCli::readField (const juce::String& form, Image& image, VeskBlock& slot)
{
    const int wanted = command == "set" ? 4 : 3;

    if (positional.size() != wanted)
    {
        usage (command + " takes " + form + ", got " + plural (positional.size(), "argument"));
        return std::nullopt;
    }

    if (! readSlot (true, image, slot))
        return std::nullopt;

    const auto field = VeskFields::named (positional[2], slot.isSystem());

    if (! field.has_value())
        usage ("'" + positional[2] + "' is no field of " + (slot.isSystem() ? "the system block" : "a pattern")
               + "; fields are named as vesk show --json names them" + (slot.isSystem() ? "" : ", and tempo"));

    return field;
}

juce::String VeskToolsCli::valueText (VeskBlock slot, VeskField field, const juce::uint8* block) const
{
    if (raw)
        return juce::String (field.width == 2 ? Pattern::tempo (block) : block[field.offset]);

    return entryOf (slot, field, block).textAt (block, field.offset);
}

int VeskToolsCli::getField()
{
    Image image;
    VeskBlock slot = VeskBlock::temporary();
    const auto field = readField ("FILE.vsk SLOT FIELD", image, slot);

    if (! field.has_value())
        return VeskCli::exitUsage;

    return cli.print (valueText (slot, *field, image.data() + slot.imageOffset()) + "\n") ? VeskCli::exitOk : VeskCli::exitFailed;
}

int VeskToolsCli::setField()
{
    Image image;
    VeskBlock slot = VeskBlock::temporary();
    const auto field = readField ("FILE.vsk SLOT FIELD VALUE", image, slot);

    if (! field.has_value())
        return VeskCli::exitUsage;

    auto* block = image.data() + slot.imageOffset();
    const auto& entry = entryOf (slot, *field, block);

    // One tempo byte with --raw is that byte; otherwise the tempo is one value in both. A raw
    // byte may be any the image holds, so a byte outside the field's range (the unit's own
    // default of the Bass's vintage switch is one) can be put back as it was.
    const bool oneTempoByte = raw && entry.kind == VeskFieldTable::Kind::tempo && field->width == 1;
    const bool wholeTempo = entry.kind == VeskFieldTable::Kind::tempo && ! oneTempoByte;
    const auto range = ! raw ? entry.storedRange() : std::make_pair (0, wholeTempo ? 0x3FFF : 127);
    const auto& text = positional[3];
    std::optional<int> stored;

    if (raw)
        stored = isNumber (text) && text.length() <= 6 && text.getIntValue() >= range.first && text.getIntValue() <= range.second
                     ? std::optional<int> (text.getIntValue())
                     : std::nullopt;
    else
        stored = entry.parse (text);

    if (! stored.has_value())
    {
        const auto takes = raw ? juce::String (range.first) + " to " + juce::String (range.second) + " stored"
                               : entry.text (range.first) + " to " + entry.text (range.second);
        return usage ("'" + text + "' is not a value of " + positional[2] + " here: it takes " + takes);
    }

    const auto before = image;
    const auto old = valueText (slot, *field, block);

    if (wholeTempo)
        Pattern::storeTempo (block, *stored);
    else
        block[field->offset] = (juce::uint8) *stored;

    const auto printed = slot.name() + " " + positional[2] + ": " + old + " -> " + valueText (slot, *field, block) + "\n";
    return cli.finishLibrary (positional[0], image, image == before, printed);
}
