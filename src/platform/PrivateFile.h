#pragma once
// Files that hold guests' names, addresses and e-mails (the message copies,
// the day logs): a missing one is created owner-only, 0600, like the registry
// store. An existing file keeps its mode.
#include <cstdio>
#include <string>

namespace corvenna {

enum class TPrivateFileMode {
  Replace,  // as fopen's "wb": emptied first
  Append,   // as fopen's "ab"
};

// Opens the file for writing; nullptr with errno set when it cannot.
std::FILE* OpenPrivateFile(const std::string& path, TPrivateFileMode mode);

}  // namespace corvenna
