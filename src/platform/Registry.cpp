#include "platform/Registry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/Errors.h"
#include "platform/RegistryStore.h"

namespace corvenna {
namespace {

constexpr REGSAM WriteRights = 0x0002 /*KEY_SET_VALUE*/ | 0x0004 /*KEY_CREATE_SUB_KEY*/;

[[noreturn]] void InvalidType(const std::string& name) {
  throw ERegistryException(Format("Invalid data type for '%s'", name.c_str()));
}

[[noreturn]] void FailedToSet(const std::string& name) {
  throw ERegistryException(Format("Failed to set data for '%s'", name.c_str()));
}

template <typename T>
std::vector<uint8_t> LittleEndianBytes(T value) {
  std::vector<uint8_t> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);  // the targets are little-endian
  return bytes;
}

std::vector<uint8_t> TextBytes(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

}  // namespace

std::string RegistryStorePath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config && *config) {
    base = config;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    return {};
  }
  return base + "/Quendale/registry.db";
}

TRegistry::TRegistry(REGSAM access) : access_(access) {}
TRegistry::~TRegistry() = default;
TRegistry::TRegistry(TRegistry&&) noexcept = default;
TRegistry& TRegistry::operator=(TRegistry&&) noexcept = default;

void TRegistry::SetRootKey(HKEY root) {
  CloseKey();
  rootKey_ = root;
}

bool TRegistry::OpenStore(bool forWriting) {
  if (store_ && (store_->Writable() || !forWriting)) return true;
  if (rootKey_ != HKEY_CURRENT_USER) {
    lastError_ = "only the current user's hive is kept";
    return false;
  }
  try {
    store_ = TRegistryStore::Open(RegistryStorePath(), forWriting);
    return true;
  } catch (const std::exception& error) {
    store_.reset();
    lastError_ = error.what();
    return false;
  }
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  const bool forWriting = (access_ & WriteRights) != 0 || canCreate;
  const bool relative = !key.empty() && key.front() != '\\' && !currentPath_.empty();
  const std::string path = NormalizeKeyPath(relative ? currentPath_ + "\\" + key : key);
  lastError_.clear();
  if (!OpenStore(forWriting)) return false;
  try {
    const auto found = canCreate ? std::optional<int64_t>(store_->CreateKey(path)) : store_->FindKey(path);
    if (!found) {
      lastError_ = Format("Registry key '%s' does not exist", path.c_str());
      return false;
    }
    currentKey_ = *found;
    currentKeyWritable_ = (access_ & WriteRights) != 0;
    currentPath_ = path;
    return true;
  } catch (const std::exception& error) {
    lastError_ = error.what();
    return false;
  }
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  const REGSAM saved = access_;
  access_ = KEY_READ;
  const bool opened = OpenKey(key, false);
  access_ = saved;
  currentKeyWritable_ = false;
  return opened;
}

void TRegistry::CloseKey() {
  store_.reset();
  currentKey_ = 0;
  currentKeyWritable_ = false;
  currentPath_.clear();
}

bool TRegistry::KeyExists(const std::string& key) {
  if (!OpenStore(false)) return false;
  try {
    return store_->FindKey(key).has_value();
  } catch (const std::exception&) {
    return false;
  }
}

bool TRegistry::ReadRawData(const std::string& name, TRegValue& value) {
  if (!store_ || currentKey_ <= 0) return false;
  return store_->GetValue(currentKey_, name, value);
}

bool TRegistry::ValueExists(const std::string& name) {
  TRegValue value;
  return ReadRawData(name, value);
}

TRegDataType TRegistry::GetDataType(const std::string& name) {
  TRegValue value;
  if (!ReadRawData(name, value)) return rdUnknown;
  switch (value.type) {
    case REG_SZ:
      return rdString;
    case REG_EXPAND_SZ:
      return rdExpandString;
    case REG_DWORD:
      return rdInteger;
    case REG_BINARY:
      return rdBinary;
    default:
      return rdUnknown;
  }
}

int32_t TRegistry::GetDataSize(const std::string& name) {
  TRegValue value;
  return ReadRawData(name, value) ? static_cast<int32_t>(value.data.size()) : -1;
}

std::string TRegistry::ReadString(const std::string& name) {
  TRegValue value;
  if (!ReadRawData(name, value)) return {};
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) InvalidType(name);
  const auto nul = std::find(value.data.begin(), value.data.end(), uint8_t{0});
  return std::string(value.data.begin(), nul);
}

std::optional<int32_t> TRegistry::FindInteger(const std::string& name) {
  TRegValue value;
  if (!ReadRawData(name, value) || value.type != REG_DWORD || value.data.size() != sizeof(int32_t)) return std::nullopt;
  int32_t result = 0;
  std::memcpy(&result, value.data.data(), sizeof result);
  return result;
}

int32_t TRegistry::ReadInteger(const std::string& name) {
  const auto value = FindInteger(name);
  if (!value) InvalidType(name);
  return *value;
}

bool TRegistry::ReadBool(const std::string& name) { return ReadInteger(name) != 0; }

std::optional<double> TRegistry::FindFloat(const std::string& name) {
  TRegValue value;
  if (!ReadRawData(name, value) || value.type != REG_BINARY || value.data.size() != sizeof(double)) return std::nullopt;
  double result = 0;
  std::memcpy(&result, value.data.data(), sizeof result);
  return result;
}

double TRegistry::ReadFloat(const std::string& name) {
  const auto value = FindFloat(name);
  if (!value) InvalidType(name);
  return *value;
}

std::vector<uint8_t> TRegistry::ReadBinaryData(const std::string& name) {
  TRegValue value;
  if (!ReadRawData(name, value) || value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_DWORD)
    InvalidType(name);
  return value.data;
}

void TRegistry::PutValue(const std::string& name, const TRegValue& value) {
  if (!store_ || !currentKeyWritable_) FailedToSet(name);
  try {
    store_->SetValue(currentKey_, name, value);
  } catch (const std::exception&) {
    FailedToSet(name);
  }
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  PutValue(name, {REG_SZ, TextBytes(value)});
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  PutValue(name, {REG_EXPAND_SZ, TextBytes(value)});
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
  PutValue(name, {REG_DWORD, LittleEndianBytes(value)});
}

void TRegistry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteFloat(const std::string& name, double value) {
  PutValue(name, {REG_BINARY, LittleEndianBytes(value)});
}

void TRegistry::WriteBinaryData(const std::string& name, const std::vector<uint8_t>& data) {
  PutValue(name, {REG_BINARY, data});
}

void TRegistry::WriteRawData(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) {
  PutValue(name, {type, data});
}

bool TRegistry::DeleteValue(const std::string& name) {
  if (!store_ || !currentKeyWritable_) return false;
  try {
    return store_->DeleteValue(currentKey_, name);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace corvenna
