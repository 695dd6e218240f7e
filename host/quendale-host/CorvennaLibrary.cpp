#include "CorvennaLibrary.h"

#include <dlfcn.h>

#include <filesystem>
#include <vector>

#include "HostError.h"

namespace quendale {
namespace fs = std::filesystem;

namespace {

constexpr const char* LibraryFileName = "libcorvenna.so";

fs::path ProgramFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::current_path() : self.parent_path();
}

}  // namespace

std::string FindCorvennaLibrary(const std::string& explicitPath) {
  if (!explicitPath.empty()) return explicitPath;
  const fs::path folder = ProgramFolder();
  const std::vector<fs::path> candidates{folder / LibraryFileName,
                                         folder / ".." / ".." / "src" / "library" / LibraryFileName,
                                         folder / ".." / "src" / "library" / LibraryFileName};
  std::string looked;
  for (const fs::path& candidate : candidates) {
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return fs::weakly_canonical(candidate, error).string();
    looked += "\n  " + candidate.lexically_normal().string();
  }
  throw HostError("cannot find " + std::string(LibraryFileName) + " (use --library PATH); looked at:" + looked);
}

CorvennaLibrary::CorvennaLibrary(const std::string& path) : path_(path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* why = dlerror();
    throw HostError("cannot load the library: " + std::string(why ? why : path));
  }
  try {
    bookingRetrival_ = reinterpret_cast<TCorvennaBookingRetrival>(Symbol("CorvennaBookingRetrival"));
    availUpdate_ = reinterpret_cast<TCorvennaAvailUpdate>(Symbol("CorvennaAvailUpdate"));
    showDialog_ = reinterpret_cast<TCorvennaShowDialog>(Symbol("CorvennaShowDialog"));
    lastError_ = reinterpret_cast<TCorvennaLastError>(Symbol("CorvennaLastError"));
  } catch (...) {
    dlclose(handle_);
    throw;
  }
}

CorvennaLibrary::~CorvennaLibrary() { dlclose(handle_); }

void* CorvennaLibrary::Symbol(const char* name) {
  void* address = dlsym(handle_, name);
  if (address == nullptr) throw HostError(path_ + " has no export '" + name + "'");
  return address;
}

void CorvennaLibrary::ThrowIfFailed(const char* exportName) {
  const char* message = lastError_();
  if (message != nullptr && *message != '\0') throw HostError(std::string(exportName) + " failed: " + message);
}

int32_t CorvennaLibrary::BookingRetrival(bool withMessages) { return bookingRetrival_(withMessages ? 1 : 0); }

std::string CorvennaLibrary::LastError() {
  const char* message = lastError_();
  return message != nullptr ? message : "";
}

void CorvennaLibrary::AvailUpdate(double fromDate, double toDate) {
  availUpdate_(fromDate, toDate);
  ThrowIfFailed("CorvennaAvailUpdate");
}

void CorvennaLibrary::ShowDialog() {
  showDialog_();
  ThrowIfFailed("CorvennaShowDialog");
}

}  // namespace quendale
