#pragma once
// Keeps exceptions on our side of the C boundary: a failure that ends an
// exported call is kept for CorvennaLastError and written to standard error.
#include <functional>

namespace corvenna {

// Runs body; true when it ended normally. The thread's last error is cleared
// first, and again when body ended normally.
bool RunGuarded(const char* exportName, const std::function<void()>& body) noexcept;
// The message of the failure that ended this thread's last guarded call, or "".
const char* LastErrorText() noexcept;

}  // namespace corvenna
