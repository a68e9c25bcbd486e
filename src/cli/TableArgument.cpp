#include "cli/TableArgument.h"

#include "search/FileReader.h"
#include "table/TableFile.h"

namespace kinfold::cli {

std::variant<CodeTable, std::string> tableArgument(const std::string& path) {
    const TableFileRead read = readTableFile(pathFromText(path));
    if (read.table) return *read.table;
    std::string name(1, '"');
    name += pathText(path);
    name += '"';
    if (read.line > 0) {
        return "Can't read the table " + name + ": line " + std::to_string(read.line) + " is not a table line (" +
               read.reason + ").";
    }
    return "Can't read the table " + name + ": " + read.reason + ".";
}

}  // namespace kinfold::cli
