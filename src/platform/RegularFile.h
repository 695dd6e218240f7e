#pragma once
// Every file the library reads or writes is a regular file, and opening one
// never waits: a FIFO in its place would hold open() or read() until some
// other program came along, a device could be read for ever.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvenna {

// Opens the path as open(2) does with `flags` and `mode`, close-on-exec and
// without waiting (O_NONBLOCK while opening, kept only when asked for). Only a
// regular file stays open: the descriptor, else -1 with errno set (EINVAL for
// something that is no regular file).
int OpenRegularFile(const std::string& path, int flags, mode_t mode = 0);

// Why OpenRegularFile failed, for a message: what stands at the path when it is
// no regular file ("it is a FIFO, not a regular file"), else the system's text.
std::string OpenFailureText(const std::string& path, int error);

// "it is a FIFO, not a regular file" and the like; empty for a regular file.
std::string NotRegularFileText(mode_t mode);

struct TFileStart {
  std::string Text;   // at most the bytes asked for
  uint64_t Size = 0;  // of the whole file
};

// The first `maxBytes` of the regular file at the path. Raises EOSError,
// "Cannot open <what> \"<path>\": <why>", when it cannot be opened or read.
TFileStart ReadRegularFileStart(const std::string& path, size_t maxBytes, const std::string& what = "the file");

}  // namespace corvenna
