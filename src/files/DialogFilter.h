#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kinfold {

// One choice of a file dialog's type list: what it shows and the name patterns it matches.
struct FilterEntry {
    std::string description;
    std::vector<std::string> patterns;
    friend bool operator==(const FilterEntry&, const FilterEntry&) = default;
};

inline constexpr std::string_view kRomFileFilter =
    "Game Boy ROMs (*.gb, *.gbc)|*.gb;*.gbc|NES ROMs (*.nes)|*.nes|SNES ROMs (*.smc, *.fig)|*.smc;*.fig|"
    "All files (*.*)|*.*";
inline constexpr std::string_view kValuesFileFilter = "Kinfold Search Values (*.ksv)|*.ksv|All files (*.*)|*.*";
inline constexpr std::string_view kReportFileFilter = "Text Files (*.txt)|*.txt|All files (*.*)|*.*";

// Reads "description|patterns|description|patterns..." with ';' between the
// patterns of one choice. Blanks around patterns are dropped, and so are empty
// patterns; a description without a patterns part gets none. An empty text
// gives no choices.
std::vector<FilterEntry> parseDialogFilter(std::string_view filter);

}  // namespace kinfold
