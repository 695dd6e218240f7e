#pragma once
// The plug-in, loaded with dlopen and called through the exports it names.
#include <string>

#include "library/CorvennaExports.h"

namespace quendale {

class CorvennaLibrary {
 public:
  // Loads the library at path; raises HostError with dlerror's text, or
  // naming the export that is missing.
  explicit CorvennaLibrary(const std::string& path);
  ~CorvennaLibrary();
  CorvennaLibrary(const CorvennaLibrary&) = delete;
  CorvennaLibrary& operator=(const CorvennaLibrary&) = delete;

  const std::string& Path() const { return path_; }

  // The count of bookings stored, -1 when the retrieval failed (LastError says why).
  int32_t BookingRetrival(bool withMessages);
  // Each raises HostError with the library's message when the call failed.
  void AvailUpdate(double fromDate, double toDate);
  void ShowDialog();
  // CorvennaLastError's message after the last call.
  std::string LastError();

 private:
  void* Symbol(const char* name);
  void ThrowIfFailed(const char* exportName);

  std::string path_;
  void* handle_ = nullptr;
  TCorvennaBookingRetrival bookingRetrival_ = nullptr;
  TCorvennaAvailUpdate availUpdate_ = nullptr;
  TCorvennaShowDialog showDialog_ = nullptr;
  TCorvennaLastError lastError_ = nullptr;
};

// Where the library is: `explicitPath` when given, else libcorvenna.so next
// to this program, else in the build tree beside it (../../src/library or
// ../src/library). Raises HostError listing the places looked at.
std::string FindCorvennaLibrary(const std::string& explicitPath);

}  // namespace quendale
