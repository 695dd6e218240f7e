#include "library/ExportGuard.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string_view>

#include "platform/Text.h"

namespace corvenna {
namespace {

// A plain buffer: a thread_local with a destructor would pin the library in
// memory until the thread ends, so dlclose could never unload it.
constexpr size_t LastErrorCapacity = 2048;
thread_local char lastError[LastErrorCapacity];

// Keeps as much of the message as fits, never cutting a UTF-8 sequence.
void KeepMessage(const char* message) noexcept {
  const std::string_view kept = Utf8Left(message, LastErrorCapacity - 1);
  std::memcpy(lastError, kept.data(), kept.size());
  lastError[kept.size()] = '\0';
}

void Fail(const char* exportName, const char* message) noexcept {
  KeepMessage(message);
  std::fprintf(stderr, "%s: %s\n", exportName, message);
  std::fflush(stderr);
}

}  // namespace

bool RunGuarded(const char* exportName, const std::function<void()>& body) noexcept {
  lastError[0] = '\0';
  try {
    body();
    // A call the host nested in this one (from its event loop) left its own message.
    lastError[0] = '\0';
    return true;
  } catch (const std::exception& error) {
    Fail(exportName, error.what());
  } catch (...) {
    Fail(exportName, "an unknown exception ended the call");
  }
  return false;
}

const char* LastErrorText() noexcept { return lastError; }

}  // namespace corvenna
