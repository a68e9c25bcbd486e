#pragma once

namespace kinfold::cli {

// The main window's own words for a pattern it refuses, so that a pattern
// refused on the command line reads exactly as it does in the window.
inline constexpr const char* kNotValid = "That is not a valid value!";
inline constexpr const char* kCantSkipFirst = "You can't skip the first value!";
inline constexpr const char* kNoString = "You have not entered a string!";
inline constexpr const char* kTooManyValues = "You can't add more than 1000 values!";
inline constexpr const char* kNeedTwoValues =
    "You can't search in a kinfold way unless you have at least two values to search for!";

}  // namespace kinfold::cli
