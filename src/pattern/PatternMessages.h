#pragma once

namespace kinfold::messages {

// The words for a pattern that is refused, shared by the window and the
// command line so that both read exactly alike.
inline constexpr const char* kNotValid = "That is not a valid value!";
inline constexpr const char* kCantSkipFirst = "You can't skip the first value!";
inline constexpr const char* kNoString = "You have not entered a string!";
inline constexpr const char* kTooManyValues = "You can't add more than 1000 values!";
inline constexpr const char* kNeedTwoValues =
    "You can't search in a kinfold way unless you have at least two values to search for!";

}  // namespace kinfold::messages
