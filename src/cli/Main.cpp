#include "VeskCli.h"
#include "model/BoundedFileReader.h"

#include <iostream>

int main (int argc, char* argv[])
{
    juce::StringArray args;

    for (int i = 1; i < argc; ++i)
        args.add (juce::CharPointer_UTF8 (argv[i]));

    // A shell's <(...) is a pipe, and vesk is asked to read one now and then;
    // but never for ever.
    BoundedFileReader::Policy reading;
    reading.pipes = true;
    BoundedFileReader::setPolicy (reading);

    VeskCli cli (std::cout, std::cerr);
    return cli.run (args);
}
