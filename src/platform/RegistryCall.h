#pragma once
// One call of the library reads dozens of settings. When the store cannot be
// opened or read (another program holds it locked, it is damaged, it cannot
// be written), trying again for each value would wait the busy time-out each
// time. While a TRegistryCallScope lives, the first such failure is kept, and
// every later opening of the store fails at once with it.
#include <string>

namespace corvenna {

class TRegistryCallScope {
 public:
  // Starts with no failure kept; the enclosing scope's failure, if any, comes
  // back when this one ends.
  TRegistryCallScope();
  ~TRegistryCallScope();
  TRegistryCallScope(const TRegistryCallScope&) = delete;
  TRegistryCallScope& operator=(const TRegistryCallScope&) = delete;

 private:
  bool enclosingActive_;
  std::string enclosingFailure_;
};

// Keeps the message when a scope is alive and has none yet.
void KeepRegistryFailure(const std::string& message);
// The failure the current scope kept; empty outside a scope or while the store serves.
std::string RegistryCallFailure();
// Raises ERegistryException with the kept failure, if there is one.
void RequireReadableRegistry();

}  // namespace corvenna
