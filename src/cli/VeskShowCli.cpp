// What vesk show and diff print: every field as the editor shows it, as
// aligned text or as JSON, and the fields two libraries differ in.
#include "VeskShowCli.h"
#include "model/VeskFields.h"

using namespace VeskImage;

namespace
{
    juce::var rawAndValue (int raw, const juce::String& value)
    {
        auto* object = new juce::DynamicObject();
        object->setProperty ("raw", raw);
        object->setProperty ("value", value);
        return object;
    }

    juce::var patternJson (const juce::uint8* image, VeskBlock block)
    {
        const auto* record = image + block.imageOffset();
        auto* object = new juce::DynamicObject();
        object->setProperty ("name", block.name());
        // Scripts read the tempo's two bytes by their names; "tempo" is the
        // number they make, in tenths, as vesk get --raw tempo prints it.
        object->setProperty ("tempo", rawAndValue (Pattern::tempo (record), VeskFields::patternValue (record, Pattern::tempoHigh)));

        for (auto& field : VeskFields::patternFields())
            object->setProperty (field.name, rawAndValue (record[field.offset], VeskFields::patternValue (record, field.offset)));

        juce::Array<juce::var> steps;

        for (int s = 0; s < Pattern::numSteps; ++s)
        {
            auto* step = new juce::DynamicObject();
            step->setProperty ("step", s + 1);

            for (auto& field : VeskFields::stepFields())
                step->setProperty (field.name, rawAndValue (record[field.offset + s], VeskFields::patternValue (record, field.offset + s)));

            steps.add (step);
        }

        object->setProperty ("steps", steps);
        return object;
    }

    juce::String padded (const juce::String& text, int width) { return text.paddedRight (' ', width); }

    constexpr int nameWidth = 26;
}

int VeskShowCli::show (const juce::String& path, bool json)
{
    Image image;

    if (! output.readLibrary (path, image))
        return VeskCliOutput::exitFailed;

    if (json)
        showJson (path, image);
    else
        showText (path, image);

    return VeskCliOutput::exitOk;
}

void VeskShowCli::showText (const juce::String& path, const Image& image)
{
    auto row = [this] (const juce::String& name, const juce::String& value)
    {
        output.out << "  " << padded (name, nameWidth) << value << "\n";
    };

    output.out << "Library " << path << "\n\nSystem\n";

    for (int offset = 0; offset < systemBlockSize; ++offset)
    {
        const auto name = VeskFields::systemFieldName (offset);

        // Reserved bytes are listed only when something put a value there.
        if (! name.startsWith ("reserved") || image[(size_t) offset] != 0)
            row (name, VeskFields::systemValue (image.data(), offset));
    }

    for (const auto block : VeskBlock::patterns())
    {
        auto* pattern = image.data() + block.imageOffset();
        output.out << "\n"
                   << block.name() << "\n";

        // The tempo's two bytes make one number: one row, not two of the same text.
        for (auto& field : VeskFields::patternFields())
            if (field.offset != Pattern::tempoLow)
                row (field.offset == Pattern::tempoHigh ? "tempo" : field.name, VeskFields::patternValue (pattern, field.offset));

        juce::String header ("  step");

        for (auto& field : VeskFields::stepFields())
            header << "  " << padded (field.name, 9);

        output.out << header.trimEnd() << "\n";

        for (int s = 0; s < Pattern::numSteps; ++s)
        {
            auto line = "  " + juce::String (s + 1).paddedLeft (' ', 4);

            for (auto& field : VeskFields::stepFields())
                line << "  " << padded (VeskFields::patternValue (pattern, field.offset + s), 9);

            output.out << line.trimEnd() << "\n";
        }
    }

    int nonZero = 0;

    for (int offset = reservedAreaOffset; offset < imageSize; ++offset)
        nonZero += image[(size_t) offset] != 0 ? 1 : 0;

    output.out << "\nReserved\n";
    row ("reservedArea", juce::String (reservedAreaSize) + " bytes, "
                             + (nonZero == 0 ? juce::String ("all zero") : juce::String (nonZero) + " not zero"));
}

void VeskShowCli::showJson (const juce::String& path, const Image& image)
{
    auto* root = new juce::DynamicObject();
    juce::var document (root);
    root->setProperty ("file", path);

    auto* system = new juce::DynamicObject();

    for (auto& field : VeskFields::systemFields())
        system->setProperty (field.name, rawAndValue (image[(size_t) field.offset], VeskFields::systemValue (image.data(), field.offset)));

    juce::Array<juce::var> reserved;

    for (int offset = 0; offset < systemBlockSize; ++offset)
    {
        if (VeskFields::systemFieldName (offset).startsWith ("reserved"))
        {
            auto* byte = new juce::DynamicObject();
            byte->setProperty ("offset", offset);
            byte->setProperty ("raw", image[(size_t) offset]);
            reserved.add (byte);
        }
    }

    system->setProperty ("reserved", reserved);
    root->setProperty ("systemBlock", system);
    root->setProperty ("temporaryPattern", patternJson (image.data(), VeskBlock::temporary()));

    juce::Array<juce::var> users;

    for (const auto block : VeskBlock::patterns())
        if (block.isUser())
            users.add (patternJson (image.data(), block));

    root->setProperty ("userPatterns", users);

    auto* area = new juce::DynamicObject();
    area->setProperty ("offset", reservedAreaOffset);
    area->setProperty ("size", reservedAreaSize);
    area->setProperty ("raw", juce::String::toHexString (image.data() + reservedAreaOffset, reservedAreaSize, 0));
    root->setProperty ("reservedArea", area);

    output.out << juce::JSON::toString (document) << "\n";
}

int VeskShowCli::diff (const juce::String& pathA, const juce::String& pathB)
{
    Image a, b;

    if (! output.readLibrary (pathA, a) || ! output.readLibrary (pathB, b))
        return VeskCliOutput::exitUsage;

    const auto differences = VeskFields::differences (a.data(), b.data());

    for (auto& d : differences)
        output.out << padded (d.where, 10) << padded (d.field, nameWidth) << d.valueA << " -> " << d.valueB << "\n";

    return differences.empty() ? VeskCliOutput::exitOk : VeskCliOutput::exitFailed;
}
