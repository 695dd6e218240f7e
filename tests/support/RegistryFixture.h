#pragma once
// Seeds and inspects the current user's registry store with values of any type
// and size. Use inside a ScratchHome; every helper raises std::runtime_error
// naming the key and value when the store refuses.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace corvenna::test {

void SetRawValue(const std::string& key, const std::string& name, uint32_t type, const std::vector<uint8_t>& bytes);
void SetString(const std::string& key, const std::string& name, const std::string& text);
void SetExpandString(const std::string& key, const std::string& name, const std::string& text);
void SetDword(const std::string& key, const std::string& name, int32_t value);
// An 8-byte REG_BINARY holding the double, as the host stores floats.
void SetDouble(const std::string& key, const std::string& name, double value);
void DeleteRegValue(const std::string& key, const std::string& name);

// Nothing when the key or value is missing.
std::optional<TRegValue> GetRawValue(const std::string& key, const std::string& name);
bool RegKeyExists(const std::string& key);

// The bytes of a text as WriteString stores them (UTF-8 and a NUL).
std::vector<uint8_t> TextBytes(const std::string& text);

}  // namespace corvenna::test
