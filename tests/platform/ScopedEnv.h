#pragma once
// Sets an environment variable for one test and puts the old value back;
// for TZ the C library is told to re-read the zone both times.
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace corvenna::test {

class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) saved_ = old;
    setenv(name_.c_str(), value.c_str(), 1);
    tzset();
  }
  ~ScopedEnv() {
    saved_ ? setenv(name_.c_str(), saved_->c_str(), 1) : unsetenv(name_.c_str());
    tzset();
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

}  // namespace corvenna::test
