#include "platform/Errors.h"

#include <cstdarg>
#include <cstdio>

namespace corvenna {

std::string Format(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, pattern, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), pattern, args);
    text.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return text;
}

}  // namespace corvenna
