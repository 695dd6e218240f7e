#pragma once
// A host whose event loop runs timers may call an export while another export
// of ours is still running in the same process: during the event processing
// at the end of an exchange, or while the dialog is open. The running call
// owns the data module, the dialog and the run's state, so the later call
// does nothing and says so.
namespace corvenna {

inline constexpr const char* AnotherCallRunningMessage =
    "Another call of this library is still running in this process (the dialog is open, or an exchange is "
    "running): nothing was done";

class TOneCallAtATime {
 public:
  // Raises Exception(AnotherCallRunningMessage) while another call holds one.
  TOneCallAtATime();
  ~TOneCallAtATime();
  TOneCallAtATime(const TOneCallAtATime&) = delete;
  TOneCallAtATime& operator=(const TOneCallAtATime&) = delete;
};

}  // namespace corvenna
