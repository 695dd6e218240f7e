#pragma once
// The message of the exception of type E that an action raises, or a marker
// when it raises none (an exception of another type passes through).
#include <exception>
#include <string>

namespace corvenna::test {

template <typename E = std::exception, typename Action>
std::string ErrorOf(Action&& action) {
  try {
    action();
  } catch (const E& error) {
    return error.what();
  }
  return "(no error)";
}

}  // namespace corvenna::test
