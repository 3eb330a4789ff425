#include "Tool.h"
#include "Review.h"

#include "data/Archive.h"
#include "data/DataStore.h"
#include "data/Errors.h"
#include "data/FileIo.h"
#include "data/IniText.h"
#include "data/Paths.h"
#include "data/Printable.h"
#include "data/Scramble.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <system_error>

namespace vlm::tool {

namespace fs = std::filesystem;
using namespace vlm::data;

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  vlm2tool pack DIR ARCHIVE [--compress]   pack every file below DIR\n"
    "  vlm2tool unpack ARCHIVE DIR              write every entry below DIR\n"
    "  vlm2tool list ARCHIVE                    entry names and stored sizes\n"
    "  vlm2tool ini get FILE SECTION KEY [--archive ARCHIVE]\n"
    "  vlm2tool ini set FILE SECTION KEY VALUE\n"
    "  vlm2tool save get FILE SECTION KEY       read a scrambled file\n"
    "  vlm2tool save set FILE SECTION KEY VALUE write into a scrambled file\n"
    "  vlm2tool scramble FILE                   scramble every line in place\n"
    "  vlm2tool unscramble FILE                 unscramble every line in place\n"
    "  vlm2tool contact-sheet ARCHIVE OUT.png   every picture as a thumbnail on one sheet\n"
    "  vlm2tool render-audio ARCHIVE OUTDIR     every effect and tune as WAV files\n";

struct UsageError {
    std::string message;
};

std::string_view AsText(const std::vector<uint8_t>& bytes)
{
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A store that resolves names against the current folder, as a shell user expects.
DataStore CurrentFolderStore()
{
    std::error_code ec;
    fs::path here = fs::current_path(ec);
    return DataStore(here, here);
}

int Pack(const std::vector<std::string>& args, std::ostream& out)
{
    bool compress = false;
    std::vector<std::string> positional;
    for (const std::string& arg : args) {
        if (arg == "--compress")
            compress = true;
        else
            positional.push_back(arg);
    }
    if (positional.size() != 2)
        throw UsageError{"pack needs DIR and ARCHIVE"};
    const fs::path dir = positional[0];
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        throw DataError("Cannot pack " + dir.string() + ": not a folder");

    std::vector<fs::path> found;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_regular_file(ec))
            found.push_back(it->path());
    }
    if (ec)
        throw DataError("Cannot list " + dir.string() + ": " + ec.message());
    std::sort(found.begin(), found.end());

    std::vector<ArchiveInput> files;
    files.reserve(found.size());
    for (const fs::path& path : found) {
        auto bytes = ReadWholeFile(path);
        if (!bytes)
            throw DataError("Cannot read " + path.string());
        files.push_back({path.lexically_relative(dir).generic_string(), std::move(*bytes)});
    }
    WriteArchive(positional[1], files, compress);
    out << "packed " << files.size() << (files.size() == 1 ? " file" : " files") << " into " << positional[1]
        << (compress ? " (compressed)" : "") << "\n";
    return 0;
}

// The path below `dir` for an archive name, refusing names that would leave it.
fs::path SafeTarget(const fs::path& dir, const std::string& name, const std::string& archive)
{
    std::string generic = name;
    std::replace(generic.begin(), generic.end(), '\\', '/');
    fs::path relative;
    size_t start = 0;
    bool ok = !generic.empty() && generic[0] != '/';
    while (ok && start <= generic.size()) {
        size_t slash = generic.find('/', start);
        if (slash == std::string::npos)
            slash = generic.size();
        const std::string part = generic.substr(start, slash - start);
        if (part.empty() || part == "." || part == "..")
            ok = false;
        else
            relative /= part;
        start = slash + 1;
    }
    if (!ok)
        throw DataError(archive + ": entry \"" + PrintableText(name) + "\" is not a safe file name; nothing is written for it");
    return dir / relative;
}

int Unpack(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.size() != 2)
        throw UsageError{"unpack needs ARCHIVE and DIR"};
    const Archive archive = Archive::Open(args[0]);
    const fs::path dir = args[1];

    // Check every name before writing anything.
    std::vector<fs::path> targets;
    for (const Archive::Entry& entry : archive.Entries())
        targets.push_back(SafeTarget(dir, entry.name, archive.DisplayName()));

    for (size_t i = 0; i < targets.size(); ++i) {
        const std::vector<uint8_t> bytes = archive.ReadEntry(i);
        std::error_code ec;
        fs::create_directories(targets[i].parent_path(), ec);
        if (ec)
            throw DataError("Cannot create " + targets[i].parent_path().string() + ": " + ec.message());
        WriteFileAtomically(targets[i], AsText(bytes), targets[i].string());
    }
    out << "unpacked " << targets.size() << (targets.size() == 1 ? " file" : " files") << " into " << dir.string()
        << "\n";
    return 0;
}

int List(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.size() != 1)
        throw UsageError{"list needs ARCHIVE"};
    const Archive archive = Archive::Open(args[0]);
    for (const Archive::Entry& entry : archive.Entries())
        out << PrintableText(entry.name) << "\t" << entry.size << "\n"; // a crafted name cannot drive the terminal
    return 0;
}

int Ini(const std::vector<std::string>& args, std::ostream& out, bool scrambled)
{
    const char* command = scrambled ? "save" : "ini";
    if (args.empty())
        throw UsageError{std::string(command) + " needs get or set"};
    DataStore store = CurrentFolderStore();
    if (args[0] == "get") {
        std::vector<std::string> positional;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--archive" && !scrambled) {
                if (++i == args.size())
                    throw UsageError{"--archive needs an archive file"};
                store.MountArchive(fs::path(args[i]));
            } else {
                positional.push_back(args[i]);
            }
        }
        if (positional.size() != 3)
            throw UsageError{std::string(command) + " get needs FILE SECTION KEY"};
        out << store.ReadSavedValue(positional[0], positional[1], positional[2], scrambled) << "\n";
        return 0;
    }
    if (args[0] == "set") {
        if (args.size() != 5)
            throw UsageError{std::string(command) + " set needs FILE SECTION KEY VALUE"};
        if (scrambled)
            store.WriteSavedValue(args[1], args[2], args[3], args[4]);
        else
            store.WriteIniValue(args[1], args[2], args[3], args[4]);
        return 0;
    }
    throw UsageError{std::string(command) + " needs get or set, not \"" + args[0] + "\""};
}

int Rescramble(const std::vector<std::string>& args, bool scramble)
{
    if (args.size() != 1)
        throw UsageError{std::string(scramble ? "scramble" : "unscramble") + " needs FILE"};
    const DataStore store = CurrentFolderStore();
    const fs::path path = store.ResolvePath(args[0]);
    auto bytes = ReadWholeFile(path);
    if (!bytes)
        throw DataError("Cannot read " + args[0]);
    const std::string_view text = AsText(*bytes);
    std::vector<std::string> lines = SplitLines(text);
    if (scramble) {
        if (!lines.empty() && lines[0].starts_with(kScrambleMarker))
            throw DataError(args[0] + " is already scrambled");
        ScrambleLines(lines);
    } else {
        UnscrambleLines(lines, args[0]);
    }
    WriteFileAtomically(path, JoinLines(lines, DetectLineBreak(text)), args[0]);
    return 0;
}

int ContactSheet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2)
        throw UsageError{"contact-sheet needs ARCHIVE and OUT.png"};
    WriteContactSheet(args[0], args[1], out, err);
    return 0;
}

int RenderAudioFiles(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2)
        throw UsageError{"render-audio needs ARCHIVE and OUTDIR"};
    RenderAudio(args[0], args[1], out, err);
    return 0;
}

} // namespace

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        if (args.empty())
            throw UsageError{"no command given"};
        const std::string& command = args[0];
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        if (command == "pack")
            return Pack(rest, out);
        if (command == "unpack")
            return Unpack(rest, out);
        if (command == "list")
            return List(rest, out);
        if (command == "ini")
            return Ini(rest, out, false);
        if (command == "save")
            return Ini(rest, out, true);
        if (command == "scramble")
            return Rescramble(rest, true);
        if (command == "unscramble")
            return Rescramble(rest, false);
        if (command == "contact-sheet")
            return ContactSheet(rest, out, err);
        if (command == "render-audio")
            return RenderAudioFiles(rest, out, err);
        if (command == "help" || command == "--help" || command == "-h") {
            out << kUsage;
            return 0;
        }
        throw UsageError{"unknown command \"" + command + "\""};
    } catch (const UsageError& error) {
        err << "vlm2tool: " << error.message << "\n" << kUsage;
        return 2;
    } catch (const ECryptError& error) {
        err << "vlm2tool: " << error.what();
        if (!error.FileName().empty())
            err << " (" << PrintableText(error.FileName()) << ", line " << error.LineNumber() << ")";
        err << "\n";
        return 1;
    } catch (const EWriteError& error) {
        err << "vlm2tool: " << error.what();
        if (!error.Reason().empty())
            err << ": " << error.Reason();
        err << "\n";
        return 1;
    } catch (const std::exception& error) {
        err << "vlm2tool: " << error.what() << "\n";
        return 1;
    }
}

} // namespace vlm::tool
