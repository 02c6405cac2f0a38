#include "app/failure_text.h"

#include <functional>
#include <new>
#include <stdexcept>
#include <typeinfo>

namespace korvel::app {

namespace {

std::string reason(const std::exception& error) {
  // The standard library's exceptions carry the name of a type or function, not a reason.
  if (dynamic_cast<const std::bad_alloc*>(&error)) return "there was not enough memory for it";
  if (dynamic_cast<const std::length_error*>(&error)) return "it was too large";
  if (dynamic_cast<const std::out_of_range*>(&error)) return "a value was out of range";
  if (dynamic_cast<const std::bad_cast*>(&error) ||
      dynamic_cast<const std::bad_function_call*>(&error) ||
      dynamic_cast<const std::logic_error*>(&error))
    return "the program met an internal error";
  const std::string text = error.what();
  if (text.empty() || text.starts_with("std::") || text.find("::") != std::string::npos)
    return "the program met an internal error";
  return text;
}

}  // namespace

std::string failureText(std::string_view whatFailed, const std::exception& error) {
  std::string text = std::string(whatFailed) + ": " + reason(error);
  if (text.back() != '.' && text.back() != '!' && text.back() != '?') text += '.';
  return text;
}

std::string failureText(std::string_view whatFailed) {
  return std::string(whatFailed) + ": the program met an internal error.";
}

}  // namespace korvel::app
