#pragma once
// The current user's registry hive, kept in one SQLite file
// ${XDG_CONFIG_HOME:-$HOME/.config}/Quendale/registry.db that the host and the
// library share. Key paths and value names compare without case and keep the
// spelling they were written with; every value keeps its type.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvenna {

using HKEY = uint32_t;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;

using REGSAM = uint32_t;
inline constexpr REGSAM KEY_READ = 0x00020019u;
inline constexpr REGSAM KEY_ALL_ACCESS = 0x000F003Fu;

inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// One stored value: its registry type and its bytes as written (text: UTF-8 and
// a terminating NUL; DWORD: 4 bytes and float: 8 bytes, least significant first).
struct TRegValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

class TRegistryStore;

// Where the current user's hive lives; empty when neither XDG_CONFIG_HOME nor
// HOME is set.
std::string RegistryStorePath();

class TRegistry {
 public:
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
  ~TRegistry();
  TRegistry(TRegistry&&) noexcept;
  TRegistry& operator=(TRegistry&&) noexcept;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return rootKey_; }
  void SetRootKey(HKEY root);
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM access) { access_ = access; }

  // "\Software\Quendale\Corvenna" (leading backslash optional). Creates the key
  // and its parents when canCreate. False when the key is missing, or when the
  // access asks for writing and the store cannot be written.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  bool KeyExists(const std::string& key);
  const std::string& CurrentPath() const { return currentPath_; }
  // Why the last OpenKey failed, naming the store file; empty after a success.
  const std::string& LastError() const { return lastError_; }

  bool ValueExists(const std::string& name);
  TRegDataType GetDataType(const std::string& name);
  // Bytes of the value's data; -1 when there is no such value.
  int32_t GetDataSize(const std::string& name);

  // Missing value: "". Other than REG_SZ / REG_EXPAND_SZ raises
  // ERegistryException "Invalid data type for '<name>'". Text ends at its first NUL.
  std::string ReadString(const std::string& name);
  // REG_DWORD of 4 bytes only; anything else raises "Invalid data type for '<name>'".
  int32_t ReadInteger(const std::string& name);
  bool ReadBool(const std::string& name);
  // REG_BINARY of exactly 8 bytes (a little-endian double) only.
  double ReadFloat(const std::string& name);
  // The value where ReadInteger / ReadFloat return one, nothing where they raise
  // for want of a value of the right type.
  std::optional<int32_t> FindInteger(const std::string& name);
  std::optional<double> FindFloat(const std::string& name);
  // REG_BINARY or a type unknown here; anything else, or a missing value,
  // raises "Invalid data type for '<name>'".
  std::vector<uint8_t> ReadBinaryData(const std::string& name);
  // The value's type and bytes as stored, of whatever type; false when missing.
  bool ReadRawData(const std::string& name, TRegValue& value);

  // Each replaces a value of another type; raises ERegistryException
  // "Failed to set data for '<name>'" when it cannot store.
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, int32_t value);
  void WriteBool(const std::string& name, bool value);
  void WriteFloat(const std::string& name, double value);
  void WriteBinaryData(const std::string& name, const std::vector<uint8_t>& data);
  // A value of any type and bytes, as the system's value setter allows.
  void WriteRawData(const std::string& name, uint32_t type, const std::vector<uint8_t>& data);
  bool DeleteValue(const std::string& name);

 private:
  bool OpenStore(bool forWriting);
  void PutValue(const std::string& name, const TRegValue& value);

  HKEY rootKey_ = HKEY_CURRENT_USER;
  REGSAM access_;
  std::unique_ptr<TRegistryStore> store_;
  int64_t currentKey_ = 0;
  bool currentKeyWritable_ = false;
  std::string currentPath_;
  std::string lastError_;
};

}  // namespace corvenna
