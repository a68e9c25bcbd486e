#include "cli/PointerFormatArguments.h"

#include "cli/PointersCommand.h"
#include "pointers/MappingChoice.h"
#include "search/FileReader.h"

#include <CLI/CLI.hpp>

#include <array>
#include <cstdint>

namespace kinfold::cli {
namespace {

// The first bytes a mapping looks at: an iNES header.
constexpr std::size_t kFirstBytes = 16;

}  // namespace

void addPointerFormatOptions(CLI::App& app, PointerFormatWords& words) {
    app.add_option("--map", words.map,
                   "how the console maps the file: " + mappingNames() +
                       ", or auto to choose by the file's extension (.gb .gbc .nes .sfc .smc .gba)")
        ->type_name("NAME")
        ->default_str("auto");
    app.add_option("--width", words.width,
                   "bits per pointer: linear 16, 24 or 32 (default 32); snes-lorom and snes-hirom 16 or 24 "
                   "(default 16)")
        ->type_name("N");
    app.add_option("--byte-order", words.byteOrder, "byte order of linear pointers")
        ->check(CLI::IsMember({"little", "big"}))
        ->default_str("little");
    app.add_option("--base", words.base, "what a linear pointer to offset 0 holds: decimal or 0x hex")
        ->type_name("B")
        ->default_str("0");
}

std::variant<PointerFormatChoice, std::string> readPointerFormat(const PointerFormatWords& words) {
    PointerFormatChoice choice;
    PointerFormat& format = choice.format;
    format.width = words.width;
    const std::optional<std::uint64_t> baseValue = readOffset(words.base);
    if (!baseValue) {
        return "--base \"" + words.base + "\" is not a number: give it in decimal, or in hex after 0x.";
    }
    format.base = *baseValue;
    format.byteOrder = words.byteOrder == "big" ? ByteOrder::Big : ByteOrder::Little;
    if (words.map == "auto") {
        // Every mapping chosen by extension is a console's, with pointers of its own.
        if (format.byteOrder == ByteOrder::Big || format.base != 0) {
            return std::string("--byte-order and --base are for the linear mapping: give --map linear.");
        }
        if (format.width != 0 && format.width != 16 && format.width != 24 && format.width != 32) {
            return "Pointers are 16, 24 or 32 bits wide, not " + std::to_string(format.width) + ".";
        }
        return choice;
    }
    choice.map = mappingNamed(words.map);
    if (!choice.map) {
        return "There is no mapping \"" + words.map + "\": give one of " + mappingNames() + ", or auto.";
    }
    format.kind = *choice.map;
    if (const auto problem = formatProblem(format)) {
        return *problem;
    }
    return choice;
}

std::variant<PointerMapping, std::string> mappingOfFile(const PointerFormatChoice& choice,
                                                        const std::filesystem::path& file, const std::string& path,
                                                        const FileReader& reader, const std::string& verb) {
    PointerFormat format = choice.format;
    const std::optional<MappingKind> kind = choice.map ? choice.map : chooseMapping(file, reader);
    if (!kind) {
        return "Can't tell the mapping of \"" + path + "\" from its extension: give --map with one of " +
               mappingNames() + ".";
    }
    format.kind = *kind;
    if (const std::optional<std::string> refused = formatProblem(format)) {
        return "\"" + path + "\" is " + verb + " as " + std::string(mappingName(*kind)) + ": " + *refused;
    }
    std::array<std::uint8_t, kFirstBytes> first{};
    const std::size_t got = reader.readAt(0, first).got;
    return PointerMapping(format, reader.size(), std::span(first).first(got));
}

}  // namespace kinfold::cli
