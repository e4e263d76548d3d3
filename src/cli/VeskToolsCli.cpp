// vesk transform, generate, set and get: the pattern tools and single
// fields on the command line.
#include "VeskToolsCli.h"
#include "model/Plural.h"
#include "model/VeskFieldTable.h"
#include "model/VeskFields.h"
#include "model/VeskNames.h"
#include "model/VeskToolRunner.h"

using namespace VeskImage;

namespace
{
    using Tool = VeskToolRunner::Tool;

    bool isNumber (const juce::String& text) { return VeskArguments::isNumber (text); }

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
    static const std::map<juce::String, Tool> tools { { "rotate", Tool::rotate }, { "reverse", Tool::reverse }, { "transpose", Tool::transpose }, { "double", Tool::doubleLength }, { "clear", Tool::clear }, { "humanize", Tool::humanize }, { "randomize", Tool::randomize }, { "mutate", Tool::mutate } };
    const auto op = positional[2];
    const auto found = tools.find (op);

    if (positional.size() < 3 || found == tools.end())
        return usage (positional.size() < 3 ? "transform takes FILE.vsk SLOT OP" : "unknown transform '" + op + "'");

    // The tool's one number: its shift or its amount.
    const auto tool = found->second;
    const bool takesNumber = VeskToolRunner::takes (tool, VeskToolRunner::takesShift) || VeskToolRunner::takes (tool, VeskToolRunner::takesAmount);

    if (positional.size() != (takesNumber ? 4 : 3))
        return usage (op + (takesNumber ? " takes one number" : " takes no argument") + ", got " + juce::String (positional.size() - 3));

    // An option the operation does not use would be ignored without a word.
    const std::pair<const char*, VeskToolRunner::Takes> meanings[] = { { "--seed", VeskToolRunner::takesSeed }, { "--lock", VeskToolRunner::takesLanes }, { "--scale", VeskToolRunner::takesScale }, { "--root", VeskToolRunner::takesScale }, { "--density", VeskToolRunner::takesDensity } };

    for (const auto& [name, meaning] : meanings)
        if (options.count (name) != 0 && ! VeskToolRunner::takes (tool, meaning))
            return usage (juce::String (name) + " does nothing for " + op);

    VeskToolSettings settings;
    settings.seed = VeskSeed::make();
    const std::pair<const char*, juce::String (VeskToolSettings::*) (const juce::String&)> readers[] = { { "--seed", &VeskToolSettings::readSeed }, { "--lock", &VeskToolSettings::readLockedLanes }, { "--scale", &VeskToolSettings::readScale }, { "--root", &VeskToolSettings::readRoot } };

    for (const auto& [name, read] : readers)
        if (options.count (name) != 0)
            if (const auto problem = (settings.*read) (options[name]); problem.isNotEmpty())
                return usage (problem);

    const auto density = option ("--density", 0, 100, settings.density);

    if (! density.has_value())
        return VeskCli::exitUsage;

    const auto limits = VeskToolRunner::takes (tool, VeskToolRunner::takesAmount) ? VeskToolRunner::amountRange (tool) : std::make_pair (-10000, 10000);
    const auto argument = takesNumber ? number (positional[3], limits.first, limits.second, "a number for " + op) : std::optional<long long> (0);

    Image image;
    VeskBlock slot = VeskBlock::temporary();

    if (! argument.has_value() || ! readSlot (false, image, slot))
        return VeskCli::exitUsage;

    const auto* record = image.data() + slot.imageOffset();
    const int n = (int) *argument;
    settings.density = *density;
    settings.shift = settings.amount = n;
    const auto result = VeskToolRunner::run (tool, record, settings);

    if (result.refused())
    {
        cli.report (positional[0], VeskToolRunner::whyRefused (tool, result.refusal, record, settings, slot.name()) + "; " + positional[0] + " left as it was");
        return VeskCli::exitUsage;
    }

    const std::map<Tool, juce::String> done { { Tool::rotate, "rotated by " + plural (n, "step") }, { Tool::reverse, "reversed" }, { Tool::transpose, "transposed by " + plural (n, "semitone") }, { Tool::doubleLength, "doubled to 2 bars" }, { Tool::clear, "cleared" }, { Tool::humanize, "humanized by up to " + juce::String (n) }, { Tool::mutate, "mutated " + juce::String (n) + " %" }, { Tool::randomize, "randomized" } };
    const bool seeded = VeskToolRunner::takes (tool, VeskToolRunner::takesSeed);
    const auto before = image;
    std::copy (result.record.begin(), result.record.end(), image.begin() + slot.imageOffset());

    auto printed = slot.name() + ": " + done.at (tool) + (seeded ? " (seed " + juce::String (settings.seed) + ")" : juce::String()) + "; "
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

    VeskToolSettings settings;
    const auto hits = number (positional[3], 0, Pattern::numSteps, "a number of hits");
    const auto steps = hits.has_value() ? number (positional[4], 1, Pattern::numSteps, "a number of steps") : std::nullopt;
    const auto rotation = steps.has_value() ? option ("--rotate", -10000, 10000, 0) : std::nullopt;

    if (options.count ("--note") != 0 && rotation.has_value())
    {
        if (const auto given = number (options["--note"], 0, 127, "a note"))
            settings.note = (int) *given;
        else
            return VeskCli::exitUsage;
    }

    Image image;
    VeskBlock slot = VeskBlock::temporary();

    if (! rotation.has_value() || ! readSlot (false, image, slot))
        return VeskCli::exitUsage;

    const auto* record = image.data() + slot.imageOffset();
    settings.hits = (int) *hits;
    settings.steps = (int) *steps;
    settings.rotation = *rotation;
    const auto result = VeskToolRunner::run (Tool::euclid, record, settings);
    const int played = Pattern::playedSteps (record);

    if (result.refused())
    {
        cli.report (positional[0], VeskToolRunner::whyRefused (Tool::euclid, result.refusal, record, settings, slot.name()) + "; " + positional[0] + " left as it was");
        return VeskCli::exitUsage;
    }

    const auto before = image;
    std::copy (result.record.begin(), result.record.end(), image.begin() + slot.imageOffset());
    const auto printed = slot.name() + ": " + plural (settings.hits, "hit") + " over " + plural (settings.steps, "step")
                         + (settings.rotation != 0 ? ", rotated by " + juce::String (settings.rotation) : juce::String()) + "; "
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
