#pragma once
// The SQLite file behind TRegistry. A file that is not a registry store, or one
// that cannot be written, is never changed: it is opened read-only or not at all.
// Store objects share the process's open connection to the file (see
// RegistryConnection.h); nothing read is kept, so each read sees what any other
// connection wrote before it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Registry.h"

namespace corvenna {

class TStoreConnection;

class TRegistryStore {
 public:
  // Opens the store at `path`. For writing, creates the missing folders (0700)
  // and file (0600). Raises ERegistryException naming the file when the store
  // cannot be opened as asked. A store opened for reading that does not exist
  // yet holds no keys. Reuses the process's open connection to the same file.
  // Raises the kept failure at once when the call already failed to use the
  // store (RegistryCall.h).
  static std::unique_ptr<TRegistryStore> Open(const std::string& path, bool forWriting);
  ~TRegistryStore();
  TRegistryStore(const TRegistryStore&) = delete;
  TRegistryStore& operator=(const TRegistryStore&) = delete;

  bool Writable() const;
  const std::string& Path() const { return path_; }

  // Paths are segments joined by "\" without a leading one; "" is the root.
  std::optional<int64_t> FindKey(const std::string& path);
  int64_t CreateKey(const std::string& path);
  bool GetValue(int64_t key, const std::string& name, TRegValue& value);
  void SetValue(int64_t key, const std::string& name, const TRegValue& value);
  bool DeleteValue(int64_t key, const std::string& name);

 private:
  TRegistryStore(std::string path, std::shared_ptr<TStoreConnection> connection);
  std::optional<int64_t> FindKeyHeld(const std::string& path);

  std::string path_;
  std::shared_ptr<TStoreConnection> connection_;  // none while the file does not exist
};

// Joins the segments of a key path ("\A\\B\" → "A\B").
std::string NormalizeKeyPath(const std::string& path);
// ASCII letters folded to lower case, as key and value names compare.
std::string FoldRegistryName(const std::string& name);

}  // namespace corvenna
