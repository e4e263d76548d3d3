#include "VeskCli.h"
#include "model/BoundedFileReader.h"
#include "platform/ProcessSetup.h"

#include <iostream>

int main (int argc, char* argv[])
{
    // The same bytes as on any other system: UTF-8, and "\n" ends a line.
    ProcessSetup::writeStandardStreamsAsBytes();
    const auto args = ProcessSetup::commandLineArguments (argc, argv);

    // A shell's <(...) is a pipe, and vesk is asked to read one now and then;
    // but never for ever.
    BoundedFileReader::Policy reading;
    reading.pipes = true;
    BoundedFileReader::setPolicy (reading);

    VeskCli cli (std::cout, std::cerr);
    return cli.run (args);
}
