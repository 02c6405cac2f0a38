#pragma once
// Words for an error box when an exception ended a piece of work: what failed, then why, in
// words a player can read. An exception's own what() text is used only when it was written for
// people (the program's own errors); the standard library's ("std::bad_alloc",
// "basic_string::_M_create", "vector::reserve") is replaced by what it means.

#include <exception>
#include <string>
#include <string_view>

namespace korvel::app {

// "WHAT: WHY." for instance "A message from the host could not be handled: there was not enough
// memory for it." whatFailed has no full stop of its own.
std::string failureText(std::string_view whatFailed, const std::exception& error);

// The same for a caught exception that is not a std::exception (catch (...)).
std::string failureText(std::string_view whatFailed);

}  // namespace korvel::app
