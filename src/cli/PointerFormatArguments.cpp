#include "cli/PointerFormatArguments.h"

#include "pattern/OffsetReader.h"
#include "pattern/QuotedText.h"
#include "pointers/MappingChoice.h"

#include <CLI/CLI.hpp>

#include <cstdint>

namespace kinfold::cli {
namespace {

// A fault of the format as the command line says it: with the option that
// set the part at fault where the core's reason doesn't name it.
std::string faultMessage(const FormatFault& fault) {
    switch (fault.part) {
    case FormatFault::Part::Base: return "--base: " + fault.reason;
    case FormatFault::Part::ByteOrder: return "--byte-order: " + fault.reason;
    case FormatFault::Part::Width: break;
    }
    // The reason names the width given ("not 32"), which says enough.
    return fault.reason;
}

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
    const auto baseValue = readOffset(words.base);
    if (!std::holds_alternative<std::uint64_t>(baseValue)) {
        return "--base " + quoted(words.base) + " is not a number: give it in decimal, or in hex after 0x.";
    }
    format.base = std::get<std::uint64_t>(baseValue);
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
        return "There is no mapping " + quoted(words.map) + ": give one of " + mappingNames() + ", or auto.";
    }
    format.kind = *choice.map;
    if (const std::optional<FormatFault> fault = formatFault(format)) {
        return faultMessage(*fault);
    }
    return choice;
}

std::variant<PointerMapping, std::string> mappingForFile(const PointerFormatChoice& choice,
                                                         const std::filesystem::path& file, const std::string& path,
                                                         const FileReader& reader, const std::string& verb) {
    auto mapping = mappingOfFile(choice.map, choice.format, file, reader);
    if (auto* refused = std::get_if<MappingRefusal>(&mapping)) {
        if (!refused->kind) {
            return "Can't tell the mapping of " + quoted(path) + " from its extension: give --map with one of " +
                   mappingNames() + ".";
        }
        return quoted(path) + " is " + verb + " as " + std::string(mappingName(*refused->kind)) + ": " +
               refused->reason;
    }
    return std::get<PointerMapping>(std::move(mapping));
}

}  // namespace kinfold::cli
