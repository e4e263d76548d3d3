#include "VeskCli.h"
#include "VeskCollectionCli.h"
#include "VeskToolsCli.h"
#include "model/BoundedFileReader.h"
#include "model/VeskFields.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskModel.h"
#include "model/VeskProtocol.h"
#include "model/VeskSyxFile.h"
#include "model/WholeFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <optional>
#include <utility>

namespace
{
    using namespace VeskImage;

    struct Command
    {
        const char* name;
        const char* usage;
        const char* summary;
        int numFiles;
    };

    const Command commands[] = {
        { "new", "vesk new FILE.vsk [--force]", "Writes a library of the unit's defaults. An existing FILE.vsk is kept unless --force is given.", 1 },
        { "show", "vesk show FILE.vsk [--json]", "Lists the system block and the 21 patterns with readable values. --json writes one JSON document with the raw bytes beside the values.", 1 },
        { "export-syx", "vesk export-syx FILE.vsk OUT.syx [--force]", "Writes the messages that restore the whole library into a unit: the system block, user patterns 1 to 20, then the temporary pattern. An existing OUT.syx is kept unless --force is given; FILE.vsk itself is never replaced.", 2 },
        { "import-syx", "vesk import-syx IN.syx FILE.vsk", "Applies every valid dump in IN.syx to FILE.vsk (to the defaults when FILE.vsk does not exist) and reports on stderr what was applied and what was ignored. IN.syx is never changed; one over 1 MiB is refused unread (a whole unit is 3,616 bytes).", 2 },
        { "diff", "vesk diff A.vsk B.vsk", "One line per field that differs. Exit status 0 when equal, 1 when different, 2 on error.", 2 },
        { "copy", "vesk copy FILE.vsk FROM TO [--from OTHER.vsk|OTHER.syx]", "Copies the pattern in slot FROM onto slot TO: the whole pattern, its type included. A slot is temp (the temporary pattern) or 1 to 20 (the user patterns). With --from, FROM is taken from another library, or from a .syx file that holds a dump of that pattern. Nothing else in FILE.vsk changes.", 3 },
        { "swap", "vesk swap FILE.vsk A B", "Swaps the patterns in slots A and B (temp or 1 to 20). Nothing else in FILE.vsk changes.", 3 },
        { "init", "vesk init FILE.vsk SLOT", "Sets the pattern in SLOT (temp or 1 to 20) to the pattern defaults, as a new library holds them. Nothing else in FILE.vsk changes.", 2 },
        { "export-mid", "vesk export-mid FILE.vsk SLOT OUT.mid [--force]", "Writes the steps of the pattern in SLOT (temp or 1 to 20, a Lead, Bass or Rythm pattern) as a Standard MIDI File: one note per played step, with the pattern's tempo. An existing OUT.mid is kept unless --force is given.", 3 },
        { "import-mid", "vesk import-mid IN.mid FILE.vsk SLOT [--track N] [--bar N] [--channel C]", "Reads the notes of IN.mid into the steps of the pattern in SLOT (temp or 1 to 20), with the file's tempo, and prints what was imported. The pattern's type and sound stay. --track N reads track N (from 1) instead of the first track with notes; --bar N starts at bar N (from 1, past a count-in or an intro); --channel C takes only the notes on channel C (1 to 16). A Rythm pattern takes channel 10 when the track has notes there and no channel is given. IN.mid is never changed; one over 4 MiB is refused unread.", 3 },
        { "transform", "vesk transform FILE.vsk SLOT OP [ARG] [--seed S] [--lock LANES]", "Changes the played steps of the pattern in SLOT (temp or 1 to 20). OP is rotate N (positive: later; the steps wrap), reverse, transpose N (semitones; notes stop at 0 and 127), double (bar 1 copied into bar 2 of a one-bar pattern), clear (every step a Rest; on a Rythm pattern empty), humanize AMOUNT (levels and gates moved by up to AMOUNT), randomize or mutate PERCENT (that share of the steps changed a little). humanize, randomize and mutate print their seed; --seed S makes that result again. --lock LANES keeps lanes as they are: note, level, gate, type, joined by commas. randomize and mutate take --scale chromatic|major|minor|minor-pentatonic and --root C..B; randomize --density PERCENT of the steps that sound (75).", 0 },
        { "generate", "vesk generate FILE.vsk SLOT euclid HITS STEPS [--rotate R] [--note N]", "Spreads HITS as evenly as possible over a cycle of STEPS, repeated over the played steps of the pattern in SLOT: hits become Normal steps, the others Rests (on a Rythm pattern closed hits and empty steps). STEPS is at most the steps the pattern plays, HITS at most STEPS. --rotate R moves the cycle R steps later; --note N (0 to 127) gives the hits that note, else they keep theirs.", 0 },
        { "set", "vesk set FILE.vsk SLOT FIELD VALUE [--raw]", "Sets one field of the pattern in SLOT (temp or 1 to 20), or of the system block with SLOT system. FIELD is named as vesk show --json names it, or tempo; step fields as \"stepNote 3\" or stepNote3. VALUE is written as vesk show shows it (a unit such as BPM may be left out; a list item by its name, such as Rythm), or as the stored byte (0 to 127; the tempo in tenths of a beat) with --raw. A value out of range, an unknown field or item changes nothing.", 0 },
        { "get", "vesk get FILE.vsk SLOT FIELD [--raw]", "Prints one field of the pattern in SLOT (or of the system block) as vesk show shows it, or its stored value with --raw.", 0 },
    };

    const Command* findCommand (const juce::String& name)
    {
        for (auto& c : commands)
            if (name == c.name)
                return &c;

        return nullptr;
    }

    std::ostream& operator<< (std::ostream& s, const juce::String& text) { return s << text.toRawUTF8(); }

    // The one table of exit codes: every command keeps to it.
    const char* const exitStatusHelp =
        "Exit status:\n"
        "  0  done (diff: the libraries are the same)\n"
        "  1  failed: a file could not be read, written or replaced, or the output\n"
        "     could not be printed; one line on stderr says why, and no file was\n"
        "     changed (diff: the libraries differ; collection: also a collection\n"
        "     that cannot be opened or written, a damaged file among those added,\n"
        "     or a check that finds the collection unsound)\n"
        "  2  wrong usage: no or an unknown command, an unknown option, an option\n"
        "     given twice or a wrong number of files (diff: also any failure; copy,\n"
        "     swap, init, export-mid and import-mid: also a slot other than temp or\n"
        "     1 to 20, or a file that does not exist, cannot be read or does not\n"
        "     hold that slot; export-mid and import-mid: also a pattern without\n"
        "     notes, a MIDI file that cannot be read, or an OUT.mid that exists;\n"
        "     import-mid: also a bar or channel that is none or has no notes;\n"
        "     transform, generate, set and get: also a number, field, item or\n"
        "     value out of range or unknown, or a tool that cannot be done, and\n"
        "     the file is left byte for byte as it was; collection: also an\n"
        "     unknown, ambiguous or malformed pattern ID, or a PATH to add that\n"
        "     does not exist)\n";

    bool movesPatterns (const juce::String& command)
    {
        return command == "copy" || command == "swap" || command == "init" || command.endsWith ("-mid");
    }

    bool optionAllowed (const juce::String& option, const juce::String& command)
    {
        if (option == "--json")
            return command == "show";

        if (option == "--from")
            return command == "copy";

        if (option == "--track" || option == "--bar" || option == "--channel")
            return command == "import-mid";

        if (option == "--force")
            return command == "new" || command == "export-syx" || command == "export-mid";

        return false;
    }

    // Long lists of problems are cut here; the summary line still counts them all.
    constexpr size_t maxDetailLines = 20;

    constexpr size_t maxDumpBodySize = (size_t) VeskProtocol::patternBulkBodySize;

}

VeskCli::VeskCli (std::ostream& o, std::ostream& e)
    : out (o), err (e)
{
}

//==============================================================================
int VeskCli::run (const juce::StringArray& args)
{
    errno = 0;
    const int status = runCommand (args);

    // What was printed has to have arrived: a full disk or a closed pipe
    // behind the standard output is a failure like any other.
    out.flush();

    if (! out.good())
    {
        reportOutputFailure (errno);
        return failureStatus;
    }

    return status;
}

bool VeskCli::print (const juce::String& text)
{
    if (out.good())
    {
        errno = 0;
        out << text;
        out.flush();
    }

    if (out.good())
        return true;

    reportOutputFailure (errno);
    return false;
}

void VeskCli::reportOutputFailure (int error)
{
    if (std::exchange (outputFailureReported, true))
        return;

    const auto why = error == EBADF ? juce::String ("it is closed") : SystemError::describeErrno (error);
    err << "vesk: standard output cannot be written" << (error != 0 ? " (" + why + ")" : juce::String()) << "\n";
}

int VeskCli::runCommand (const juce::StringArray& args)
{
    if (args.isEmpty())
    {
        printHelp (err, {});
        return exitUsage;
    }

    const auto& first = args[0];

    if (first == "--help" || first == "-h" || first == "help")
    {
        printHelp (out, args.size() > 1 ? args[1] : juce::String());
        return exitOk;
    }

    if (first == "--version")
    {
        out << "vesk " << JUCE_APPLICATION_VERSION_STRING << "\n";
        return exitOk;
    }

    if (first == "collection")
        return VeskCollectionCli (*this).run (juce::StringArray (args.begin() + 1, args.size() - 1));

    auto* command = findCommand (first);

    if (command == nullptr)
        return usageError ("unknown command '" + first + "'", {});

    if (VeskToolsCli::handles (first))
        return VeskToolsCli (*this).run (args);

    const juce::String name (command->name);
    juce::StringArray files;
    std::optional<juce::String> otherPath, track, bar, channel;
    bool json = false, force = false, optionsEnded = false;

    // diff's 1 means "they differ", so its failures are 2.
    if (name == "diff")
        failureStatus = exitUsage;

    for (int i = 1; i < args.size(); ++i)
    {
        const auto& arg = args[i];

        if (optionsEnded || ! arg.startsWith ("-") || arg == "-")
        {
            files.add (arg);
        }
        else if (arg == "--")
        {
            optionsEnded = true;
        }
        else if (arg == "--help" || arg == "-h")
        {
            printHelp (out, command->name);
            return exitOk;
        }
        else if (! optionAllowed (arg, name))
        {
            return usageError ("unknown option '" + arg + "'", command->name);
        }
        else if (arg == "--from" || arg == "--track" || arg == "--bar" || arg == "--channel")
        {
            // A second value would silently win over the first.
            auto& value = arg == "--from" ? otherPath : arg == "--track" ? track
                                                    : arg == "--bar"     ? bar
                                                                         : channel;

            if (value.has_value())
                return usageError (arg + " is given twice", command->name);

            if (++i >= args.size() || args[i].isEmpty())
                return usageError (arg + (arg == "--from" ? " needs a file" : " needs a number"), command->name);

            value = args[i];
        }
        else
        {
            json = json || arg == "--json";
            force = force || arg == "--force";
        }
    }

    if (files.size() != command->numFiles)
    {
        const juce::String noun (movesPatterns (name) ? " arguments" : command->numFiles == 1 ? " file"
                                                                                              : " files");
        return usageError (name + " takes " + juce::String (command->numFiles) + noun + ", got " + juce::String (files.size()),
                           name);
    }

    if (name == "new")
        return newLibrary (files, force);

    if (name == "show")
        return show (files[0], json);

    if (name == "export-syx")
        return exportSyx (files[0], files[1], force);

    if (name == "import-syx")
        return importSyx (files[0], files[1]);

    if (name == "copy")
        return copyPattern (files, otherPath.value_or (juce::String()));

    if (name == "swap")
        return swapPatterns (files);

    if (name == "init")
        return initialisePattern (files);
    if (name == "export-mid")
        return exportMid (files, force);
    if (name == "import-mid")
        return importMid (files, track.value_or (juce::String()), bar.value_or (juce::String()), channel.value_or (juce::String()));

    return diff (files[0], files[1]);
}

//==============================================================================
int VeskCli::newLibrary (const juce::StringArray& files, bool force)
{
    const auto& path = files[0];

    if (resolve (path).existsAsFile() && ! force)
    {
        report (path, "already exists (use --force to replace it)");
        return exitFailed;
    }

    const auto bytes = VeskLibraryFile::encode (defaults().data());
    return finish (path, bytes, holdsExactly (path, bytes));
}

int VeskCli::exportSyx (const juce::String& libraryPath, const juce::String& syxPath, bool force)
{
    // Also through a link or another name for the same folder: not even
    // --force lets the export take the library's place.
    if (WholeFileWriter::isSameFile (resolve (libraryPath), resolve (syxPath)))
    {
        report (syxPath, "is the library itself (" + libraryPath + "); choose another output file");
        return exitFailed;
    }

    Image image;

    if (! readLibrary (libraryPath, image))
        return exitFailed;

    if (resolve (syxPath).existsAsFile() && ! force)
    {
        report (syxPath, "already exists (use --force to replace it)");
        return exitFailed;
    }

    const auto bytes = VeskSyxFile::encodeImage (image.data());
    return finish (syxPath, bytes, holdsExactly (syxPath, bytes));
}

int VeskCli::importSyx (const juce::String& syxPath, const juce::String& libraryPath)
{
    if (WholeFileWriter::isSameFile (resolve (syxPath), resolve (libraryPath)))
    {
        report (libraryPath, "is the .syx file being imported (" + syxPath + "); choose a library file");
        return exitFailed;
    }

    Image image = defaults();
    const bool existed = resolve (libraryPath).exists();

    if (existed && ! readLibrary (libraryPath, image))
        return exitFailed;

    const auto before = image;
    VeskSyxFile::Contents contents;
    auto readResult = VeskSyxFile::read (resolve (syxPath), maxDumpBodySize, contents);

    if (readResult.failed())
    {
        report (syxPath, readResult.getErrorMessage());
        return exitFailed;
    }

    auto import = VeskSyxFile::applyDumps (contents, image.data());
    // Details in file order, cut short; the summary counts everything.
    const auto description = VeskSyxFile::describeImport (contents, import, maxDetailLines);

    for (auto& detail : description.details)
        report (syxPath, detail);

    report (syxPath, description.summary);

    if (import.applied == 0)
    {
        report (syxPath, "holds no dump of this unit; " + libraryPath + " left as it was");
        return exitFailed;
    }

    return finishLibrary (libraryPath, image, existed && image == before);
}

//==============================================================================
bool VeskCli::readLibrary (const juce::String& path, Image& image)
{
    auto result = VeskLibraryFile::read (resolve (path), image.data());

    if (result.failed())
    {
        // A missing file says so plainly rather than through the open error.
        report (path, resolve (path).exists() ? result.getErrorMessage() : juce::String ("does not exist"));
        return false;
    }

    return true;
}

int VeskCli::finish (const juce::String& path, const juce::MemoryBlock& bytes, bool unchanged, const juce::String& printed)
{
    // Printed before the write, which is the last thing done: when the
    // output cannot take it, no file has changed yet.
    if (! print (printed + (unchanged ? path + ": nothing changed; the file was not written\n" : juce::String())))
        return exitFailed;

    if (unchanged)
        return exitOk;

    const auto result = WholeFileWriter::write (resolve (path), bytes);

    if (result.failed())
    {
        report (path, "cannot be written: " + result.getErrorMessage());
        return exitFailed;
    }

    return exitOk;
}

int VeskCli::finishLibrary (const juce::String& path, const Image& image, bool unchanged, const juce::String& printed)
{
    return finish (path, VeskLibraryFile::encode (image.data()), unchanged, printed);
}

bool VeskCli::holdsExactly (const juce::String& path, const juce::MemoryBlock& bytes)
{
    // Only a plain file is read: the writer refuses anything else anyway.
    FileFacts info;

    if (FileSystem::lookAt (resolve (path), true, info) != 0 || info.kind != FileFacts::Kind::file
        || (size_t) info.size != bytes.getSize())
        return false;

    juce::MemoryBlock held;
    return BoundedFileReader::read (resolve (path), bytes.getSize(), held).wasOk() && held == bytes;
}

VeskCli::Image VeskCli::defaults()
{
    Image image;
    VeskModel::writeDefaults (image.data());
    return image;
}

juce::File VeskCli::resolve (const juce::String& path)
{
    // A name means what it means to the system: "link/../x" goes through the
    // link rather than being tidied up as text, and "~x" is a file of that
    // name, not somebody's home folder.
    const auto slash = juce::jmax (path.lastIndexOfChar ('/'), path.lastIndexOfChar (juce::File::getSeparatorChar()));
    const auto name = path.substring (slash + 1);
    const auto child = name.startsWithChar ('~') ? "./" + name : name;
    auto folder = slash < 0 ? juce::String (".") : slash == 0 ? juce::String ("/")
                                                              : path.substring (0, slash);

    // "C:\x": the drive's root, not its working folder.
    if (folder.endsWithChar (':'))
        folder << juce::File::getSeparatorChar();

    if (const auto real = FileSystem::realPath (folder); real != juce::File())
        return real.getChildFile (child);

    // A folder that does not exist: the error names it as given.
    return juce::File::getCurrentWorkingDirectory().getChildFile (path.startsWithChar ('~') ? "./" + path : path);
}

//==============================================================================
int VeskCli::usageError (const juce::String& message, const juce::String& command)
{
    err << "vesk: " << message << " (see vesk " << (command.isEmpty() ? juce::String() : command + " ") << "--help)\n";
    return exitUsage;
}

void VeskCli::printHelp (std::ostream& stream, const juce::String& commandName)
{
    if (commandName == "collection")
    {
        VeskCollectionCli::printHelp (stream, {});
        return;
    }

    if (auto* command = findCommand (commandName))
    {
        stream << "Usage: " << command->usage << "\n\n"
               << command->summary << "\n";
        return;
    }

    stream << "vesk: librarian for the Vesk groovebox's library files (.vsk) and sysex files (.syx)\n\n"
           << "Usage:\n";

    for (auto& c : commands)
        stream << "  " << c.usage << "\n";

    VeskCollectionCli::printUsages (stream);
    stream << "  vesk --version\n\n"
           << "vesk COMMAND --help tells more about a command. \"--\" ends the options:\n"
           << "what follows it are file names, even those that begin with \"-\".\n\n"
           << "Files are written whole or not at all: a write that fails (a full disk,\n"
           << "a read-only file) leaves the old file as it was. A command prints what\n"
           << "it has to say before it writes, and one whose result is the file as it\n"
           << "is writes nothing and says so.\n\n"
           << "The collection commands work on the collection's database\n"
           << "(vesk collection --help tells where it is); each takes\n"
           << "--collection FILE to name another.\n\n"
           << exitStatusHelp;
}

void VeskCli::report (const juce::String& path, const juce::String& message)
{
    err << "vesk: " << path << ": " << message << "\n";
}
