#pragma once

#include "table/CodeTable.h"
#include "table/TableEncoding.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kinfold {

struct TableDocumentRead;

// The bytes of an edited table file, or why they can't be written: the
// reason names the first character the file's encoding has no code for.
struct TableSave {
    std::optional<std::string> bytes;
    std::string reason;
};

// A table file as its user wrote it: every line kept with its own line end
// (comments, "@" names, bookmarks, blank lines, entries, in their order), in
// the encoding it was read in, so that it saves back as it was with only the
// edits made to its table.
//
// Saving an edited table (savedBytes):
// - an entry whose bytes the file has, edited, is written anew on the line
//   that wins for those bytes (the last one), which keeps its line end; the
//   earlier lines for the same bytes are shadowed by it and stay as written;
// - an entry taken away takes every line for its bytes with it: keeping a
//   shadowed one would bring the entry back;
// - a new entry is added at the end, in the order of their bytes, with the
//   line end of the file's first line that has an LF (LF when none has); a
//   file whose last line had no LF still ends without one.
// Lines for entries left as they were keep their bytes exactly, whatever the
// encoding; a table with no edits gives the file's bytes back unchanged.
class TableDocument {
public:
    // Reads the bytes of a table file, in the encodings parseTableFile takes.
    static TableDocumentRead parse(std::string_view fileBytes);
    // The same from a file on disk; a file too large to be a table is refused.
    static TableDocumentRead read(const std::filesystem::path& path);

    // The table the file reads as.
    const CodeTable& table() const { return table_; }
    // The encoding the file was read in, and whether it starts with a byte order mark.
    TableEncoding encoding() const { return encoding_; }
    bool hasByteOrderMark() const { return !mark_.empty(); }

    // The bytes of the file with its table made `edited` (compared with
    // table() to find the edits), in the file's encoding and byte order mark.
    TableSave savedBytes(const CodeTable& edited) const;

private:
    struct Line {
        std::string raw;                  // the line as the file has it, its line end included
        std::string ending;               // its line end in UTF-8: the CRs and LF, or nothing for a last line without
        std::optional<EntryBytes> bytes;  // the bytes of the entry it sets, if it is an entry
    };

    TableDocument() = default;

    TableEncoding encoding_ = TableEncoding::Utf8;
    std::string mark_;
    std::vector<Line> lines_;
    CodeTable table_;
};

// A table file read as a document, or why not: the 1-based number of the
// first line that is not a table line (0 when the fault is not a line's) and
// the reason.
struct TableDocumentRead {
    std::optional<TableDocument> document;
    int line = 0;
    std::string reason;
};

}  // namespace kinfold
