#include "cli/InsertArguments.h"

#include "cli/ParseArguments.h"
#include "cli/PointerFormatArguments.h"
#include "insert/FreeRanges.h"

#include <CLI/CLI.hpp>

#include <charconv>

namespace kinfold::cli {
namespace {

constexpr int kTrouble = 2;

}  // namespace

std::variant<InsertArguments, int> readInsertArguments(int argc, const char* const* argv, std::ostream& out,
                                                       std::ostream& err) {
    InsertArguments arguments;
    CLI::App app(
        "Puts an edited script back into a ROM: each changed string encoded through the table, in place "
        "when it fits, else moved to free space its pointers reach and its pointers rewritten. The ROM is "
        "never written: the result goes to a new file, an IPS patch or a BPS patch.",
        "kinfold insert");
    // Options are --words on Windows too, so a path such as /roms/a.sfc is a path there as well.
    app.allow_windows_style_options(false);
    app.add_option("--tbl", arguments.table, "the table file the script was dumped with")
        ->type_name("TABLE")
        ->required();
    app.add_option("--script", arguments.script,
                   "the script: the lines of kinfold dump (plain, pointer-table or --json), edited")
        ->type_name("FILE")
        ->required();
    app.add_option("--pointers", arguments.pointers,
                   "the pointers of strings that may move: the output of kinfold pointers (plain or --json)")
        ->type_name("FILE");
    addPointerFormatOptions(app, arguments.format);
    std::vector<std::string> free;
    app.add_option("--free", free, "free space strings may move to, END exclusive, decimal or 0x hex (repeatable)")
        ->type_name("START-END")
        ->allow_extra_args(false);
    std::string pad;
    app.add_option("--pad", pad, "fill the bytes a shorter string leaves with this byte (hex)")->type_name("HH");
    app.add_flag("--keep-checksums", arguments.keepChecksums,
                 "leave the header checksums of .gb .gbc .sfc .smc .gba ROMs as they are");
    app.add_option("-o", arguments.output, "write the ROM with the script in it here")->type_name("OUT");
    app.add_option("--ips", arguments.ips, "write an IPS patch here")->type_name("FILE");
    app.add_option("--bps", arguments.bps, "write a BPS patch here")->type_name("FILE");
    app.add_flag("--json", arguments.json, "write one JSON object per changed string on standard output");
    app.add_option("ROM", arguments.rom, "the ROM, which is only read")->required();

    if (const std::optional<int> status = parseArguments(app, argc, argv, out, err)) return *status;
    const auto refuse = [&err](const std::string& message) {
        err << "kinfold: " << message << '\n';
        return kTrouble;
    };
    for (const std::string& range : free) {
        const std::optional<ByteRange> read = readFreeRange(range);
        if (!read) {
            return refuse("--free \"" + range +
                          "\" is not START-END: give two offsets, each in decimal or in hex "
                          "after 0x, END exclusive.");
        }
        arguments.free.push_back(*read);
    }
    if (!pad.empty()) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(pad.data(), pad.data() + pad.size(), value, 16);
        if (pad.size() > 2 || error != std::errc() || end != pad.data() + pad.size()) {
            return refuse("--pad \"" + pad + "\" is not a byte: give two hex digits, such as FF.");
        }
        arguments.pad = static_cast<std::uint8_t>(value);
    }
    if (arguments.output.empty() && arguments.ips.empty() && arguments.bps.empty()) {
        return refuse("Give at least one output: -o OUT for the patched copy, --ips FILE or --bps FILE.");
    }
    return arguments;
}

}  // namespace kinfold::cli
