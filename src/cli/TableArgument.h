#pragma once

#include "table/CodeTable.h"

#include <string>
#include <variant>

namespace kinfold::cli {

// The table file given with --tbl, or the message that says why it can't be used.
std::variant<CodeTable, std::string> tableArgument(const std::string& path);

}  // namespace kinfold::cli
