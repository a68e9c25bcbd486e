#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace kinfold::cli {

// Appends a value as one line of JSON Lines. A path or text that is not valid
// UTF-8 still gets a line, with its bad bytes replaced.
template <typename Json>
void appendJsonLine(const Json& value, std::string& out) {
    out += value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    out += '\n';
}

}  // namespace kinfold::cli
