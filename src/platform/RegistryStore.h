#pragma once
// The SQLite file behind TRegistry. A file that is not a registry store, or one
// that cannot be written, is never changed: it is opened read-only or not at all.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Registry.h"

struct sqlite3;

namespace corvenna {

class TRegistryStore {
 public:
  // Opens the store at `path`. For writing, creates the missing folders (0700)
  // and file (0600). Raises ERegistryException naming the file when the store
  // cannot be opened as asked. A store opened for reading that does not exist
  // yet holds no keys.
  static std::unique_ptr<TRegistryStore> Open(const std::string& path, bool forWriting);
  ~TRegistryStore();
  TRegistryStore(const TRegistryStore&) = delete;
  TRegistryStore& operator=(const TRegistryStore&) = delete;

  bool Writable() const { return writable_; }
  const std::string& Path() const { return path_; }

  // Paths are segments joined by "\" without a leading one; "" is the root.
  std::optional<int64_t> FindKey(const std::string& path);
  int64_t CreateKey(const std::string& path);
  bool GetValue(int64_t key, const std::string& name, TRegValue& value);
  void SetValue(int64_t key, const std::string& name, const TRegValue& value);
  bool DeleteValue(int64_t key, const std::string& name);

 private:
  struct Closer {
    void operator()(sqlite3* db) const;
  };
  TRegistryStore(std::string path, sqlite3* db, bool writable);
  void PrepareSchema();

  std::string path_;
  std::unique_ptr<sqlite3, Closer> db_;
  bool writable_;
};

// Joins the segments of a key path ("\A\\B\" → "A\B").
std::string NormalizeKeyPath(const std::string& path);
// ASCII letters folded to lower case, as key and value names compare.
std::string FoldRegistryName(const std::string& name);

}  // namespace corvenna
