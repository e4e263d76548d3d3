#include "VeskArguments.h"
#include "model/Plural.h"

bool VeskArguments::has (const juce::String& option) const
{
    return values.count (option) != 0 || switches.contains (option);
}

std::optional<juce::String> VeskArguments::value (const juce::String& option) const
{
    if (const auto found = values.find (option); found != values.end())
        return found->second;

    return std::nullopt;
}

bool VeskArguments::isNumber (const juce::String& text)
{
    const auto digits = text.trimCharactersAtStart ("+-");
    return text.length() - digits.length() <= 1 && digits.isNotEmpty() && digits.containsOnly ("0123456789");
}

juce::String VeskArguments::missingValue (const VeskOption& option)
{
    return juce::String (option.name) + " needs " + option.needs;
}

VeskArguments VeskArguments::parse (const VeskCommand& command, const juce::StringArray& args)
{
    VeskArguments parsed;
    bool optionsEnded = false;

    auto wrong = [&parsed] (const juce::String& problem)
    {
        parsed.outcome = Outcome::wrong;
        parsed.problem = problem;
        return parsed;
    };

    for (int i = 0; i < args.size(); ++i)
    {
        const auto& arg = args[i];

        // "rotate -1", "set ... pan -20": where a command takes numbers, a negative one is no option.
        if (optionsEnded || ! arg.startsWith ("-") || arg == "-" || (command.numbersAreWords && isNumber (arg)))
        {
            parsed.words.add (arg);
            continue;
        }

        if (arg == "--")
        {
            optionsEnded = true;
            continue;
        }

        if (arg == "--help" || arg == "-h")
        {
            parsed.outcome = Outcome::help;
            return parsed;
        }

        const auto* option = command.option (arg);

        if (option == nullptr)
            return wrong ("unknown option '" + arg + "'");

        if (option->needs == nullptr)
        {
            parsed.switches.addIfNotAlreadyThere (arg);
            continue;
        }

        // A second value would silently win over the first.
        if (parsed.values.count (arg) != 0)
            return wrong (arg + " is given twice");

        if (++i >= args.size() || args[i].isEmpty())
            return wrong (missingValue (*option));

        parsed.values[arg] = args[i];
    }

    const int given = parsed.words.size();

    if (command.maxWords >= 0 && (given < command.minWords || given > command.maxWords))
        return wrong (juce::String (command.name) + " takes " + (command.minWords == command.maxWords ? "" : "at least ")
                      + plural (command.minWords, command.wordNoun) + ", got " + juce::String (given));

    return parsed;
}
