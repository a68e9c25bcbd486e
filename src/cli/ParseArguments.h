#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>

namespace kinfold::cli {

// Reads a command's arguments into app. The exit status when that ends the
// command: 0 after the help or the version, 2 after CLI11 has said what is
// wrong with them; nothing when the command is to run.
inline std::optional<int> parseArguments(CLI::App& app, int argc, const char* const* argv, std::ostream& out,
                                         std::ostream& err) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err) == 0 ? 0 : 2;
    }
    return std::nullopt;
}

}  // namespace kinfold::cli
