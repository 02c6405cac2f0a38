#include "app/failure_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "protocol/message.h"
#include "records/tally_grid.h"

using korvel::app::failureText;

TEST(FailureText, SaysWhatFailedInWordsNeverTheLibrarysTypeName) {
  const struct {
    const char* what;
    std::function<void()> thrower;
    std::string shown;
  } cases[] = {
      {"out of memory", [] { throw std::bad_alloc(); },
       "The tally could not be read: there was not enough memory for it."},
      {"array size", [] { throw std::bad_array_new_length(); },
       "The tally could not be read: there was not enough memory for it."},
      {"string too long", [] { std::string().reserve(std::string().max_size() + 1); },
       "The tally could not be read: it was too large."},
      {"vector at", [] { (void)std::vector<int>().at(3); },
       "The tally could not be read: a value was out of range."},
      {"empty function", [] { std::function<void()>()(); },
       "The tally could not be read: the program met an internal error."},
      {"a library's function name", [] { throw std::runtime_error("basic_string::_M_create"); },
       "The tally could not be read: the program met an internal error."},
      {"the program's own words",
       [] { throw korvel::records::TallyConversionError("'x' is not a valid integer value"); },
       "The tally could not be read: 'x' is not a valid integer value."},
      {"own words with a full stop", [] { throw std::runtime_error("The disk is full."); },
       "The tally could not be read: The disk is full."},
  };
  for (const auto& c : cases) {
    try {
      c.thrower();
      ADD_FAILURE() << c.what << " did not throw";
    } catch (const std::exception& e) {
      EXPECT_EQ(failureText("The tally could not be read", e), c.shown) << c.what;
    }
  }
  EXPECT_EQ(failureText("A network event could not be handled"),
            "A network event could not be handled: the program met an internal error.");
}
