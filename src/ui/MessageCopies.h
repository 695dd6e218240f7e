#pragma once
// The request and reply copies an exchange leaves below the Documents folder,
// as the Result page lists them.
#include <cstddef>
#include <string>
#include <vector>

namespace corvenna {

struct TMessageCopy {
  std::string Marker;    // "<--AvailNotifRQ-->"
  std::string FileName;  // "AvailNotifRQ.xml"
};

// ReadRQ, the reply, then one request/reply pair per report sent, numbered from 1.
std::vector<TMessageCopy> RetrievalCopies(int reports);
std::vector<TMessageCopy> AvailabilityCopies();
std::vector<TMessageCopy> RateCopies();

// What the Result page shows of a copy at most; the copy on disk stays whole.
constexpr size_t ShownCopyBytes = size_t{1} << 20;

// The listing, line by line: per copy (after an empty line from the second on)
// its marker, an empty line and the copy's XML re-indented; a copy that is
// missing or no XML leaves its place empty. A copy that is there but cannot
// be read, or is no regular file (a FIFO, a socket, a device, a folder), is
// not read: one line says so, with its path and what stands there. Of a copy
// larger than ShownCopyBytes only that much is read and re-indented
// (ReIndentXmlHead), and a line follows that says so, with the copy's path and
// size.
std::vector<std::string> MessageCopyLines(const std::vector<TMessageCopy>& copies);

}  // namespace corvenna
