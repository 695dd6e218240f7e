#pragma once
// What the library tests share: the built libcorvenna.so loaded with dlopen
// as the host loads it, a hotel in a scratch home with channel-sim serving
// reservations, a capture of standard error, and running a program.
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ChannelSim.h"
#include "library/CorvennaExports.h"
#include "support/ScratchHome.h"

namespace corvenna::test {

class LoadedLibrary {
 public:
  // Raises std::runtime_error with dlerror's text.
  LoadedLibrary();
  ~LoadedLibrary();
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  static bool IsLoaded();

  TCorvennaBookingRetrival BookingRetrival = nullptr;
  TCorvennaAvailUpdate AvailUpdate = nullptr;
  TCorvennaShowDialog ShowDialog = nullptr;
  TCorvennaLastError LastError = nullptr;

 private:
  void* handle_ = nullptr;
};

// Everything written to file descriptor 2 while the object lives.
class StderrCapture {
 public:
  StderrCapture();
  ~StderrCapture();
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  // Ends the capture (once) and returns what was written.
  std::string Text();
  // The captured lines that begin with `prefix`.
  std::vector<std::string> LinesStartingWith(const std::string& prefix);

 private:
  void Stop();
  std::filesystem::path file_;
  int saved_ = -1;
  bool stopped_ = false;
  std::string text_;
};

// The channel room types of the hotel below: type 1 "SGL", 2 "DBL", 3 "STE".
inline constexpr const char* SampleReservationsDir = CORVENNA_SOURCE_DIR "/host/sample-reservations";

// A scratch home with the host folders, a host database of three room types
// with two rooms each (unless withDatabase is false), the plug-in's settings
// and channel-sim on loopback serving the reservations of `reservationsDir`.
// Between checks nothing of the test holds the database open.
class LibraryHost {
 public:
  explicit LibraryHost(bool withDatabase = true, const std::string& reservationsDir = SampleReservationsDir,
                       channelsim::Options options = {});

  // Serves the reservations of `dir` from now on, from a new channel-sim, and
  // points the plug-in at it.
  void ServeReservations(const std::filesystem::path& dir, channelsim::Options options = {});

  std::filesystem::path Documents() const { return home.Documents(); }
  std::filesystem::path DatabaseFile() const;
  std::filesystem::path OtaDir() const { return Documents() / "Quendale" / "OTA"; }
  // Bodies channel-sim received whose OTA root element is `rootName`.
  std::vector<std::string> BodiesOf(const std::string& rootName) const;
  int64_t StoredBookings() const;
  // The first column of the first row of a query on the host database.
  int64_t Count(const std::string& sql) const;

  ScratchHome home;
  std::unique_ptr<channelsim::ChannelSim> sim;
};

// Open file descriptors of this process that refer to `file` or to the
// journal files beside it.
int OpenDescriptorsOn(const std::filesystem::path& file);

// Starts `quendale-host retrieve`, waits (up to a minute) until channel-sim has
// received its first report, runs `meanwhile`, then kills the program with
// SIGKILL. False when no report arrived.
bool KillHostRetrievalAtItsFirstReport(const LibraryHost& host, const std::function<void()>& meanwhile = {});

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
  bool timedOut = false;  // killed when its time was up
};
// "<ID> success" or "<ID> error <Code>" for the body of one report.
std::string ReportOutcomeOf(const std::string& report);

// Runs a program with the current environment plus `extraEnv`, and waits for
// it; for at most `limit` when one is given, then kills it with SIGKILL.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::map<std::string, std::string>& extraEnv = {},
                      std::chrono::milliseconds limit = {});

}  // namespace corvenna::test
