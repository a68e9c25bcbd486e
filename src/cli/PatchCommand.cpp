#include "cli/PatchCommand.h"

#include "cli/ParseArguments.h"
#include "files/AtomicWrite.h"
#include "patch/Crc32.h"
#include "patch/PatchFile.h"
#include "pattern/QuotedText.h"
#include "search/FileReader.h"
#include "search/WholeFile.h"

#include <CLI/CLI.hpp>

namespace kinfold::cli {
namespace {

constexpr int kTrouble = 2;
constexpr std::uint64_t kMaxFile = std::uint64_t{1} << 30;

}  // namespace

int runPatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    std::string patchPath;
    std::string romPath;
    std::string outputPath;
    CLI::App app(
        "Applies an IPS or BPS patch to a ROM, as players will, and writes the result to a new file. A BPS "
        "patch is checked against the ROM's size and CRC32, and its result against the CRC32 it names.",
        "kinfold patch");
    // Options are --words on Windows too, so a path such as /roms/a.sfc is a path there as well.
    app.allow_windows_style_options(false);
    app.add_option("PATCH", patchPath, "the IPS or BPS patch")->required();
    app.add_option("ROM", romPath, "the ROM, which is only read")->required();
    app.add_option("-o", outputPath, "where the patched ROM goes")->type_name("OUT")->required();
    if (const std::optional<int> status = parseArguments(app, argc, argv, out, err)) return *status;
    const auto refuse = [&err](const std::string& message) {
        err << "kinfold: " << message << '\n';
        return kTrouble;
    };
    for (const auto& [what, path] : {std::pair{"the ROM", &romPath}, std::pair{"the patch", &patchPath}}) {
        if (sameFile(pathFromText(outputPath), pathFromText(*path)) || outputPath == *path) {
            return refuse("Can't write " + kinfold::quoted(outputPath) + ": it is " + what +
                          " itself, which kinfold patch only reads; give a new file.");
        }
    }
    auto patch = readWholeFile(pathFromText(patchPath), kMaxFile);
    if (auto* reason = std::get_if<std::string>(&patch)) {
        return refuse("Can't read the patch " + kinfold::quoted(patchPath) + ": " + *reason + ".");
    }
    auto rom = readWholeFile(pathFromText(romPath), kMaxFile);
    if (auto* reason = std::get_if<std::string>(&rom)) {
        return refuse("Can't read the ROM " + kinfold::quoted(romPath) + ": " + *reason + ".");
    }
    auto applied = applyPatch(std::get<std::vector<std::uint8_t>>(patch), std::get<std::vector<std::uint8_t>>(rom));
    if (auto* reason = std::get_if<std::string>(&applied)) {
        return refuse("Can't apply the patch " + kinfold::quoted(patchPath) + " to " + kinfold::quoted(romPath) + ": " +
                      *reason + ".");
    }
    const AppliedPatch& result = std::get<AppliedPatch>(applied);
    const std::string_view bytes(reinterpret_cast<const char*>(result.output.data()), result.output.size());
    if (const auto problem = writeFileAtomically(pathFromText(outputPath), bytes)) {
        return refuse("Can't write " + kinfold::quoted(outputPath) + ": " + *problem + ".");
    }
    err << "kinfold: applied the " << (result.kind == PatchKind::Ips ? "IPS" : "BPS") << " patch "
        << kinfold::quoted(patchPath) << " to " << kinfold::quoted(romPath) << ": wrote " << kinfold::quoted(outputPath)
        << ", " << result.output.size() << " bytes, CRC32 " << crc32Text(crc32Of(result.output)) << ".\n";
    return 0;
}

}  // namespace kinfold::cli
