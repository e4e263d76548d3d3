#pragma once

// The command-line librarian run in the test's own process, on files in a
// folder of its own. Outside an anonymous namespace: the files that share it
// are compiled apart.

#include "RecordingMidiOut.h"
#include "cli/VeskCli.h"
#include "model/VeskLibraryFile.h"
#include "model/VeskModel.h"
#include "model/VeskProtocol.h"
#include "model/WholeFileWriter.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace VeskImage;

struct Cli : ::testing::Test
{
    using Bytes = std::vector<juce::uint8>;

    juce::File folder { juce::File::createTempFile ("vesk-cli-tests") };
    std::ostringstream out, err;
    RecordingMidiOut midi;
    VeskModel model { midi }; // defaults, the reference for "new"

    Cli() { folder.createDirectory(); }

    ~Cli() override
    {
        WholeFileWriter::setFaultsForTesting ({});
        folder.deleteRecursively();
    }

    juce::String path (const char* name) const { return folder.getChildFile (name).getFullPathName(); }

    int run (juce::StringArray args)
    {
        out.str ({});
        err.str ({});
        VeskCli cli (out, err);
        return cli.run (args);
    }

    static Bytes bytesOf (const juce::String& file)
    {
        juce::MemoryBlock block;
        juce::File (file).loadFileAsData (block);
        auto* p = static_cast<const juce::uint8*> (block.getData());
        return { p, p + block.getSize() };
    }

    static void writeBytes (const juce::String& file, const Bytes& bytes)
    {
        juce::File f (file);
        ASSERT_TRUE (bytes.empty() ? f.create().wasOk() : f.replaceWithData (bytes.data(), bytes.size()));
    }

    /** A library whose system block and patterns hold other valid bytes than the defaults. */
    juce::String writeOtherLibrary (const char* name)
    {
        Bytes image (model.image, model.image + imageSize);
        juce::Random random (7);

        for (int i = 0; i < reservedAreaOffset; ++i)
            image[(size_t) i] = (juce::uint8) random.nextInt (128);

        EXPECT_TRUE (VeskLibraryFile::write (juce::File (path (name)), image.data()).wasOk());
        return path (name);
    }

    static Bytes frame (Bytes body)
    {
        body.back() = VeskProtocol::computeChecksum (body.data(), (int) body.size());
        body.insert (body.begin(), 0xF0);
        body.push_back (0xF7);
        return body;
    }

    /** A pattern bulk body for address a0 a1 holding the defaults. */
    Bytes patternBody (int a0, int a1) const
    {
        Bytes body ((size_t) VeskProtocol::patternBulkBodySize, 0);
        const juce::uint8 header[] = { 0x41, 0x10, 0x00, 0x4F, 0x12, (juce::uint8) a0, (juce::uint8) a1, 0, 0 };
        std::copy (std::begin (header), std::end (header), body.begin());
        std::copy (model.temporaryPattern, model.temporaryPattern + patternSize, body.begin() + 9);
        return body;
    }

    juce::StringArray lines() const
    {
        auto result = juce::StringArray::fromLines (juce::String (out.str()));
        result.removeEmptyStrings();
        return result;
    }

    /** The real program, as a shell runs it; its stderr is kept in err
        (VeskCliPosixTests.cpp: only a POSIX system has the shell). */
    int runBinary (const juce::String& arguments, const juce::String& redirectOut = "/dev/null");

    static juce::String quoted (const juce::String& file) { return "'" + file + "'"; }

    bool says (const char* words) const { return err.str().find (words) != std::string::npos; }

    bool noStrayFiles (int expected) const
    {
        return folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*") == expected
               && folder.getNumberOfChildFiles (juce::File::findFiles, ".*") == 0;
    }
};

/** The files every writing command is tried on. lib.vsk holds the defaults
    but for user 7 (another level and first note), so copying, swapping or
    initialising 3 and 7 changes it; tune.mid is user 3 of the defaults,
    new.syx the defaults as dumps, old.syx and old.mid files an export replaces. */
struct CliWrites : Cli
{
    CliWrites()
    {
        Bytes image (model.image, model.image + imageSize);
        image[(size_t) userPatternOffset (6) + Pattern::level] = 99;
        image[(size_t) userPatternOffset (6) + Pattern::stepNote] = 50;
        EXPECT_TRUE (VeskLibraryFile::write (juce::File (path ("lib.vsk")), image.data()).wasOk());
        EXPECT_EQ (run ({ "new", path ("defaults.vsk") }), 0);
        EXPECT_EQ (run ({ "export-syx", path ("defaults.vsk"), path ("new.syx") }), 0);
        EXPECT_EQ (run ({ "export-mid", path ("defaults.vsk"), "3", path ("tune.mid") }), 0);
        writeBytes (path ("old.syx"), { 1, 2, 3 });
        writeBytes (path ("old.mid"), { 4, 5, 6 });
    }

    /** The words of a command line, those with a dot made files in the folder. */
    juce::StringArray argsOf (const juce::String& line) const
    {
        auto args = juce::StringArray::fromTokens (line, " ", "");

        for (auto& arg : args)
            arg = arg.containsChar ('.') ? path (arg.toRawUTF8()) : arg;

        return args;
    }

    juce::String shellLine (const juce::String& line) const
    {
        auto args = argsOf (line);

        for (auto& arg : args)
            arg = quoted (arg);

        return args.joinIntoString (" ");
    }

    std::map<juce::String, Bytes> everyFile() const
    {
        std::map<juce::String, Bytes> files;

        for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFiles | juce::File::ignoreHiddenFiles))
            files[entry.getFile().getFileName()] = bytesOf (entry.getFile().getFullPathName());

        return files;
    }

    void restore (const std::map<juce::String, Bytes>& files)
    {
        for (const auto& [name, bytes] : files)
            writeBytes (path (name.toRawUTF8()), bytes);
    }
};
