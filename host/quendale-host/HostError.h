#pragma once
// Failures of a command: the message is printed and the program exits 1
// (2 for a command line that cannot be understood).
#include <stdexcept>

namespace quendale {

class HostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace quendale
