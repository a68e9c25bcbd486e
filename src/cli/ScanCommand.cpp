#include "cli/ScanCommand.h"

#include "cli/ParseArguments.h"
#include "pattern/CharacterCode.h"

#include <CLI/CLI.hpp>

namespace kinfold::cli {

std::string versionText() { return "kinfold " KINFOLD_VERSION; }

std::variant<ScanCommand, DumpCommand, int> readScanCommand(int argc, const char* const* argv, std::ostream& out,
                                                            std::ostream& err) {
    ScanCommand command;

    CLI::App app(
        "Kinfold Search on the command line: lists every offset where a file's values rise and "
        "fall by exactly the steps of a pattern (a relative search), and every string of a file "
        "through a table.",
        "kinfold");
    app.set_version_flag("--version", versionText());
    // Options are --words on Windows too, so a path such as /roms/a.sfc is a path there as well.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    CLI::App* scan = app.add_subcommand("scan", "Search files and folders for a pattern.");
    // Listed here for --help; runKinfold hands `kinfold pointers` to its own reader before this one.
    app.add_subcommand("pointers",
                       "List what points at offsets of files, as a console maps them "
                       "(kinfold pointers --help).");
    app.add_subcommand("insert",
                       "Put an edited script back into a ROM, as a new file or an IPS or BPS patch "
                       "(kinfold insert --help).");
    app.add_subcommand("patch", "Apply an IPS or BPS patch to a ROM (kinfold patch --help).");

    CLI::Option_group* pattern = scan->add_option_group("Pattern", "exactly one of these");
    CLI::Option* stringOption =
        pattern
            ->add_option("--string", command.string,
                         "one entry per character, with the window's character codes (Windows-1252, kana in the games' "
                         "order, else the Unicode code point up to 32767)")
            ->type_name("TEXT");
    pattern
        ->add_option(
            "--values", command.values,
            "comma-separated entries: decimal (72), hex (&H48 or 0x48), or * for a skipped entry; 0 is a value "
            "like any other")
        ->type_name("LIST");
    pattern->add_option("--values-file", command.valuesFile, "a values file (.ksv) as the window saves it")
        ->type_name("FILE");
    pattern->require_option(1);

    CLI::Option* kana = scan->add_option("--kana", command.kana,
                                         "kana codes for --string: gojuon (the order 8-bit games keep kana in) "
                                         "or unicode (their code points, for Shift-JIS and EUC-JP text)")
                            ->check(CLI::IsMember({"gojuon", "unicode"}))
                            ->default_str("gojuon");
    CLI::Option* order =
        scan->add_option("--order", command.order, "for --string: a character's code is its place in TEXT, from 1")
            ->type_name("TEXT");
    CLI::Option* orderFile =
        scan->add_option("--order-file", command.orderFile, "as --order, the order read from a UTF-8 file")
            ->type_name("FILE");
    CLI::Option* splitVoiced =
        scan->add_flag("--split-voiced", command.splitVoiced,
                       "a voiced or half-voiced kana of --string is its basic kana and a skipped entry");
    CLI::Option* lettersOnly =
        scan->add_flag("--letters-only", command.lettersOnly,
                       "every character of --string that is not a letter, digit or kana is a skipped entry");
    CLI::Option* wildcard =
        scan->add_option("--wildcard", command.wildcard, "the character C of --string is a skipped entry")
            ->type_name("C")
            ->check(CLI::Validator(
                [](const std::string& text) {
                    const auto c = decodeFirstCharacter(text);
                    return c && c->length == text.size() ? std::string() : std::string("it must be one character");
                },
                "", "one character"));
    order->excludes(orderFile)->excludes(kana);
    orderFile->excludes(kana);
    for (CLI::Option* o : {kana, order, orderFile, splitVoiced, lettersOnly, wildcard}) {
        o->needs(stringOption);
    }

    scan->add_flag("--exact-repeats", command.match.exactRepeats,
                   "an entry equal to the one before it must be the same value (\"Hello\" no longer matches "
                   "\"Helxo\")");
    scan->add_option("--width", command.match.width, "bits per value")
        ->check(CLI::IsMember({8, 16, 24, 32}))
        ->default_str("8");
    std::string byteOrder = "little";
    scan->add_option("--byte-order", byteOrder, "byte order of values wider than 8 bits")
        ->check(CLI::IsMember({"little", "big"}))
        ->default_str("little");
    scan->add_flag("--align", command.match.aligned, "candidates only at multiples of the width");

    addNameFilterOptions(*scan, command.folders, "search");

    CLI::Option* preview =
        scan->add_option("--preview", command.output.preview,
                         "add the N bytes from each hit, decoded on one line: a line break as \\n, a "
                         "backslash as \\\\, an end token with no text of its own as <$HH>, its bytes")
            ->type_name("N")
            ->check(CLI::Range(1, 4096));
    scan->add_option(
            "--tbl", command.tableFile,
            "a table file whose entries --preview decodes with, over the inferred table (UTF-8, UTF-16 after its "
            "byte order mark, or Shift JIS)")
        ->type_name("FILE");
    CLI::Option* table = scan->add_flag("--table", command.output.table,
                                        "print each file's inferred table after its hits: the table of the "
                                        "shift with the most hits, the others named on standard error (alone: "
                                        "only table file lines, the table under a # comment naming its first hit)");
    CLI::Option* tablePerShift =
        scan->add_flag("--table-per-shift", command.output.tablePerShift,
                       "with --table: a table for each shift the hits have, after the first hit with it")
            ->needs(table);
    scan->add_flag("--json", command.output.json, "write JSON Lines instead of text");
    scan->add_flag("--count", command.output.count, "print the number of hits of each file instead")
        ->excludes(preview)
        ->excludes(table)
        ->excludes(tablePerShift);
    scan->add_option("--max-count", command.maxCount, "stop a file after N hits")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
    addRunOptions(*scan, command.folders, "search", "files searched at once (default: the machine's cores)");

    DumpCommand dumpCommand;
    const CLI::App* dump = addDumpCommand(app, dumpCommand);

    if (const std::optional<int> status = parseArguments(app, argc, argv, out, err)) return *status;
    if (dump->parsed()) {
        return dumpCommand;
    }
    command.match.byteOrder = byteOrder == "big" ? ByteOrder::Big : ByteOrder::Little;
    command.output.tableOnly = command.output.table && !command.output.json && command.output.preview == 0;
    return command;
}

}  // namespace kinfold::cli
