#include "support/RegistryFixture.h"

#include <cstring>
#include <stdexcept>

namespace corvenna::test {
namespace {

TRegistry OpenForWriting(const std::string& key, const std::string& name) {
  TRegistry reg(KEY_ALL_ACCESS);
  if (!reg.OpenKey(key, true))
    throw std::runtime_error("cannot open '" + key + "' for '" + name + "': " + reg.LastError());
  return reg;
}

}  // namespace

std::vector<uint8_t> TextBytes(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

void SetRawValue(const std::string& key, const std::string& name, uint32_t type, const std::vector<uint8_t>& bytes) {
  OpenForWriting(key, name).WriteRawData(name, type, bytes);
}

void SetString(const std::string& key, const std::string& name, const std::string& text) {
  SetRawValue(key, name, REG_SZ, TextBytes(text));
}

void SetExpandString(const std::string& key, const std::string& name, const std::string& text) {
  SetRawValue(key, name, REG_EXPAND_SZ, TextBytes(text));
}

void SetDword(const std::string& key, const std::string& name, int32_t value) {
  OpenForWriting(key, name).WriteInteger(name, value);
}

void SetDouble(const std::string& key, const std::string& name, double value) {
  OpenForWriting(key, name).WriteFloat(name, value);
}

void DeleteRegValue(const std::string& key, const std::string& name) { OpenForWriting(key, name).DeleteValue(name); }

std::optional<TRegValue> GetRawValue(const std::string& key, const std::string& name) {
  TRegistry reg(KEY_READ);
  TRegValue value;
  if (!reg.OpenKeyReadOnly(key) || !reg.ReadRawData(name, value)) return std::nullopt;
  return value;
}

bool RegKeyExists(const std::string& key) {
  TRegistry reg(KEY_READ);
  return reg.KeyExists(key);
}

}  // namespace corvenna::test
