#pragma once
// Inside the settings unit: the unit's one registry object and the generic
// readers and writers that the named accessors are made of.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace corvenna {

extern std::unique_ptr<TRegistry> Reg;

// CreateRegistry and the key opened with create for the lifetime of the
// object; Reg is released when it ends, also when an exception passes.
class TRegistrySession {
 public:
  explicit TRegistrySession(std::string_view key);
  ~TRegistrySession();
  TRegistrySession(const TRegistrySession&) = delete;
  TRegistrySession& operator=(const TRegistrySession&) = delete;
  TRegistry& operator*() const { return *Reg; }
  TRegistry* operator->() const { return Reg.get(); }
};

// One value of a key read inside a guard: any failure gives the fallback.
std::string ReadTextValue(std::string_view key, const std::string& name);
int32_t ReadIntegerValue(std::string_view key, const std::string& name, int32_t fallback);
bool ReadBooleanValue(std::string_view key, const std::string& name, bool fallback);
double ReadFloatValue(std::string_view key, const std::string& name, double fallback);

// No guard: "Failed to set data for '<name>'" reaches the caller.
void WriteTextValue(std::string_view key, const std::string& name, const std::string& value);
void WriteIntegerValue(std::string_view key, const std::string& name, int32_t value);
void WriteBooleanValue(std::string_view key, const std::string& name, bool value);

}  // namespace corvenna
