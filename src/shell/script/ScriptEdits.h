#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kinfold {

// The translator's work on one file's strings: the new text of each edited
// string (line breaks as '\n', as a script line stands for them), undone and
// redone a step at a time, and the pointers the user confirmed for moving a
// string. Kept by offset, so a string listed again keeps its edit.
class ScriptEdits {
public:
    // One string's text before and after a step; nullopt is the ROM's text.
    struct Change {
        std::uint64_t offset = 0;
        std::optional<std::string> before;
        std::optional<std::string> after;
    };

    // The new text of the string at offset, or nullptr when it is not edited.
    const std::string* editOf(std::uint64_t offset) const;
    std::size_t count() const { return texts_.size(); }
    const std::map<std::uint64_t, std::string>& texts() const { return texts_; }

    // Gives the string at offset, whose text in the ROM is original, the text;
    // the ROM's own text takes the edit away. One step; false when nothing changed.
    bool edit(std::uint64_t offset, std::string_view original, std::string text);
    // Several strings' new texts (nullopt: the ROM's) as one step; false when nothing changed.
    bool editAll(const std::vector<std::pair<std::uint64_t, std::optional<std::string>>>& texts);

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // Undoes or redoes a step: the offset of the first string it changed, or nullopt when there is none.
    std::optional<std::uint64_t> undo();
    std::optional<std::uint64_t> redo();

    // The pointers confirmed for moving the string at target, sorted; nullptr
    // until the user (or the pointers window's defaults) decided.
    const std::vector<std::uint64_t>* usedPointers(std::uint64_t target) const;
    void setUsedPointers(std::uint64_t target, std::vector<std::uint64_t> pointers);
    const std::map<std::uint64_t, std::vector<std::uint64_t>>& allUsedPointers() const { return used_; }

    // Whether anything changed since the work was last saved or opened as a script.
    bool unsaved() const { return unsaved_; }
    void markSaved() { unsaved_ = false; }
    // Forgets everything, the steps too.
    void clear();

    // The edits whose offsets are not among listed (sorted).
    std::size_t countNotIn(std::span<const std::uint64_t> listed) const;

private:
    void set(std::uint64_t offset, const std::optional<std::string>& text);
    void push(std::vector<Change> step);

    std::map<std::uint64_t, std::string> texts_;
    std::map<std::uint64_t, std::vector<std::uint64_t>> used_;
    std::vector<std::vector<Change>> steps_;
    std::size_t done_ = 0;  // the steps done; those after them are redone
    bool unsaved_ = false;
};

}  // namespace kinfold
