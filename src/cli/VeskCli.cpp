#include "VeskCli.h"
#include "VeskArguments.h"
#include "VeskCollectionCli.h"
#include "VeskShowCli.h"
#include "VeskToolsCli.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"
#include "model/WholeFileWriter.h"

#include <cerrno>

namespace
{
    // Long lists of problems are cut here; the summary line still counts them all.
    constexpr size_t maxDetailLines = 20;

    constexpr size_t maxDumpBodySize = (size_t) VeskProtocol::patternBulkBodySize;
}

VeskCli::VeskCli (std::ostream& o, std::ostream& e)
    : output (o, e)
{
}

//==============================================================================
int VeskCli::run (const juce::StringArray& args)
{
    errno = 0;
    const int status = runCommand (args);

    // What was printed has to have arrived: a full disk or a closed pipe
    // behind the standard output is a failure like any other.
    output.out.flush();

    if (! output.out.good())
    {
        output.reportOutputFailure (errno);
        return failureStatus;
    }

    return status;
}

int VeskCli::runCommand (const juce::StringArray& args)
{
    if (args.isEmpty())
    {
        VeskCommands::printHelp (output.err, juce::String());
        return exitUsage;
    }

    const auto& first = args[0];

    if (first == "--help" || first == "-h" || first == "help")
    {
        VeskCommands::printHelp (output.out, args.size() > 1 ? args[1] : juce::String());
        return exitOk;
    }

    if (first == "--version")
    {
        output.out << "vesk " << JUCE_APPLICATION_VERSION_STRING << "\n";
        return exitOk;
    }

    if (first == "collection")
        return VeskCollectionCli (output).run (juce::StringArray (args.begin() + 1, args.size() - 1));

    const auto* command = VeskCommands::find (first);

    if (command == nullptr || command->isCollection())
        return output.usageError ("unknown command '" + first + "'", {});

    // diff's 1 means "they differ", so its failures are 2.
    if (first == "diff")
        failureStatus = exitUsage;

    const auto arguments = VeskArguments::parse (*command, juce::StringArray (args.begin() + 1, args.size() - 1));

    if (arguments.outcome == VeskArguments::Outcome::help)
    {
        VeskCommands::printHelp (output.out, *command);
        return exitOk;
    }

    if (arguments.outcome == VeskArguments::Outcome::wrong)
        return output.usageError (arguments.problem, command->name);

    return dispatch (command->name, arguments);
}

int VeskCli::dispatch (const juce::String& name, const VeskArguments& arguments)
{
    const auto& files = arguments.words;
    const bool force = arguments.has ("--force");

    if (name == "transform" || name == "generate" || name == "set" || name == "get")
        return VeskToolsCli (output).run (name, arguments);

    if (name == "new")
        return newLibrary (files, force);

    if (name == "show")
        return VeskShowCli (output).show (files[0], arguments.has ("--json"));

    if (name == "export-syx")
        return exportSyx (files[0], files[1], force);

    if (name == "import-syx")
        return importSyx (files[0], files[1]);

    if (name == "copy")
        return copyPattern (files, arguments.value ("--from").value_or (juce::String()));

    if (name == "swap")
        return swapPatterns (files);

    if (name == "init")
        return initialisePattern (files);

    if (name == "export-mid")
        return exportMid (files, force);

    if (name == "import-mid")
        return importMid (files, arguments.value ("--track").value_or (juce::String()), arguments.value ("--bar").value_or (juce::String()),
                          arguments.value ("--channel").value_or (juce::String()));

    return VeskShowCli (output).diff (files[0], files[1]);
}

//==============================================================================
int VeskCli::newLibrary (const juce::StringArray& files, bool force)
{
    const auto& path = files[0];

    if (VeskCliOutput::resolve (path).existsAsFile() && ! force)
    {
        output.report (path, "already exists (use --force to replace it)");
        return exitFailed;
    }

    const auto bytes = VeskLibraryFile::encode (VeskCliOutput::defaults().data());
    return output.finish (path, bytes, VeskCliOutput::holdsExactly (path, bytes));
}

int VeskCli::exportSyx (const juce::String& libraryPath, const juce::String& syxPath, bool force)
{
    // Also through a link or another name for the same folder: not even
    // --force lets the export take the library's place.
    if (WholeFileWriter::isSameFile (VeskCliOutput::resolve (libraryPath), VeskCliOutput::resolve (syxPath)))
    {
        output.report (syxPath, "is the library itself (" + libraryPath + "); choose another output file");
        return exitFailed;
    }

    Image image;

    if (! output.readLibrary (libraryPath, image))
        return exitFailed;

    if (VeskCliOutput::resolve (syxPath).existsAsFile() && ! force)
    {
        output.report (syxPath, "already exists (use --force to replace it)");
        return exitFailed;
    }

    const auto bytes = VeskSyxFile::encodeImage (image.data());
    return output.finish (syxPath, bytes, VeskCliOutput::holdsExactly (syxPath, bytes));
}

int VeskCli::importSyx (const juce::String& syxPath, const juce::String& libraryPath)
{
    if (WholeFileWriter::isSameFile (VeskCliOutput::resolve (syxPath), VeskCliOutput::resolve (libraryPath)))
    {
        output.report (libraryPath, "is the .syx file being imported (" + syxPath + "); choose a library file");
        return exitFailed;
    }

    Image image = VeskCliOutput::defaults();
    const bool existed = VeskCliOutput::resolve (libraryPath).exists();

    if (existed && ! output.readLibrary (libraryPath, image))
        return exitFailed;

    const auto before = image;
    VeskSyxFile::Contents contents;
    auto readResult = VeskSyxFile::read (VeskCliOutput::resolve (syxPath), maxDumpBodySize, contents);

    if (readResult.failed())
    {
        output.report (syxPath, readResult.getErrorMessage());
        return exitFailed;
    }

    auto import = VeskSyxFile::applyDumps (contents, image.data());
    // Details in file order, cut short; the summary counts everything.
    const auto description = VeskSyxFile::describeImport (contents, import, maxDetailLines);

    for (auto& detail : description.details)
        output.report (syxPath, detail);

    output.report (syxPath, description.summary);

    if (import.applied == 0)
    {
        output.report (syxPath, "holds no dump of this unit; " + libraryPath + " left as it was");
        return exitFailed;
    }

    return output.finishLibrary (libraryPath, image, existed && image == before);
}
