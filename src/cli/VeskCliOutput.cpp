#include "VeskCliOutput.h"
#include "model/BoundedFileReader.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskModel.h"
#include "model/WholeFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <utility>

VeskCliOutput::VeskCliOutput (std::ostream& o, std::ostream& e)
    : out (o), err (e)
{
}

bool VeskCliOutput::print (const juce::String& text)
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

void VeskCliOutput::reportOutputFailure (int error)
{
    if (std::exchange (outputFailureReported, true))
        return;

    const auto why = error == EBADF ? juce::String ("it is closed") : SystemError::describeErrno (error);
    err << "vesk: standard output cannot be written" << (error != 0 ? " (" + why + ")" : juce::String()) << "\n";
}

void VeskCliOutput::report (const juce::String& path, const juce::String& message)
{
    err << "vesk: " << path << ": " << message << "\n";
}

int VeskCliOutput::usageError (const juce::String& message, const juce::String& command)
{
    err << "vesk: " << message << " (see vesk " << (command.isEmpty() ? juce::String() : command + " ") << "--help)\n";
    return exitUsage;
}

bool VeskCliOutput::readLibrary (const juce::String& path, Image& image)
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

int VeskCliOutput::finish (const juce::String& path, const juce::MemoryBlock& bytes, bool unchanged, const juce::String& printed)
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

int VeskCliOutput::finishLibrary (const juce::String& path, const Image& image, bool unchanged, const juce::String& printed)
{
    return finish (path, VeskLibraryFile::encode (image.data()), unchanged, printed);
}

bool VeskCliOutput::holdsExactly (const juce::String& path, const juce::MemoryBlock& bytes)
{
    // Only a plain file is read: the writer refuses anything else anyway.
    FileFacts info;

    if (FileSystem::lookAt (resolve (path), true, info) != 0 || info.kind != FileFacts::Kind::file
        || (size_t) info.size != bytes.getSize())
        return false;

    juce::MemoryBlock held;
    return BoundedFileReader::read (resolve (path), bytes.getSize(), held).wasOk() && held == bytes;
}

VeskCliOutput::Image VeskCliOutput::defaults()
{
    Image image;
    VeskModel::writeDefaults (image.data());
    return image;
}

juce::File VeskCliOutput::resolve (const juce::String& path)
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
