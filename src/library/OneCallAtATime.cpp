#include "library/OneCallAtATime.h"

#include <atomic>

#include "platform/Errors.h"

namespace corvenna {
namespace {

std::atomic<bool> callRunning{false};

}  // namespace

TOneCallAtATime::TOneCallAtATime() {
  if (callRunning.exchange(true)) throw Exception(AnotherCallRunningMessage);
}

TOneCallAtATime::~TOneCallAtATime() { callRunning = false; }

}  // namespace corvenna
