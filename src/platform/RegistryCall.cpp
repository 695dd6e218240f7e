#include "platform/RegistryCall.h"

#include <mutex>

#include "platform/Errors.h"

namespace corvenna {
namespace {

struct TCallState {
  std::mutex mutex;
  bool active = false;
  std::string failure;
};

TCallState& State() {
  static TCallState state;
  return state;
}

}  // namespace

TRegistryCallScope::TRegistryCallScope() {
  TCallState& state = State();
  const std::lock_guard lock(state.mutex);
  enclosingActive_ = state.active;
  enclosingFailure_ = std::move(state.failure);
  state.active = true;
  state.failure.clear();
}

TRegistryCallScope::~TRegistryCallScope() {
  TCallState& state = State();
  const std::lock_guard lock(state.mutex);
  state.active = enclosingActive_;
  state.failure = std::move(enclosingFailure_);
}

void KeepRegistryFailure(const std::string& message) {
  TCallState& state = State();
  const std::lock_guard lock(state.mutex);
  if (state.active && state.failure.empty()) state.failure = message;
}

std::string RegistryCallFailure() {
  TCallState& state = State();
  const std::lock_guard lock(state.mutex);
  return state.failure;
}

void RequireReadableRegistry() {
  const std::string failure = RegistryCallFailure();
  if (!failure.empty()) throw ERegistryException(failure);
}

}  // namespace corvenna
