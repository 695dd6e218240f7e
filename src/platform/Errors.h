#pragma once
// The exception family of the platform layer. Messages are the user-facing texts.
#include <stdexcept>
#include <string>

namespace corvenna {

class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text that is not a number, date or time.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// The registry store could not be read or written.
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

// The host database: a missing file, table or field, a failed statement.
class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

// An XML document operation failed (no root element, a file not saved).
class EXmlError : public Exception {
 public:
  using Exception::Exception;
};

// No reply could be obtained from the endpoint.
class EHttpError : public Exception {
 public:
  using Exception::Exception;
};

// An operating-system service failed (time-zone conversion, file system).
class EOSError : public Exception {
 public:
  using Exception::Exception;
};

// printf-style formatting into a std::string (g++ 12 has no <format>).
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace corvenna
