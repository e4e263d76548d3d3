#include "VeskCli.h"

#include <iostream>

int main (int argc, char* argv[])
{
    juce::StringArray args;

    for (int i = 1; i < argc; ++i)
        args.add (juce::CharPointer_UTF8 (argv[i]));

    VeskCli cli (std::cout, std::cerr);
    return cli.run (args);
}
