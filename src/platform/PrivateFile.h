#pragma once
// Files that hold guests' names, addresses and e-mails (the message copies,
// the day logs): each ends owner-only, 0600, whatever the umask and whatever
// mode an earlier version left it at, unless someone else owns it. None is
// ever written through a symbolic link: a planted one could send the guests'
// data anywhere. Nor is anything but a regular file used: a FIFO, a socket, a
// device or a folder in a file's place fails at once, nothing waits on it.
#include <cstdio>
#include <string>
#include <string_view>

namespace corvenna {

// Opens the file for appending, created when missing; nullptr with errno set
// when it cannot (ELOOP for a symbolic link, EINVAL or ENXIO for what is no
// regular file).
std::FILE* OpenPrivateFileForAppend(const std::string& path);

// Makes text the file's whole content: it is written into a new file beside
// it, which is renamed over it once whole, so that the file holds its old
// content or the new one, never a part. False with errno set when it cannot
// (ELOOP for a symbolic link, EINVAL for what is no regular file, each left as
// it is); the file is then untouched and nothing is left beside it.
bool ReplacePrivateFile(const std::string& path, std::string_view text);

// The reason for a failure of the two above at the path, for a message: what
// stands there when it is no regular file.
std::string PrivateFileErrorText(const std::string& path, int error);

}  // namespace corvenna
