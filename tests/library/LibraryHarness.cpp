#include "LibraryHarness.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <regex>
#include <stdexcept>
#include <thread>

#include "data/Constants.h"
#include "platform/Dataset.h"
#include "support/HostDatabaseFixture.h"
#include "support/RegistryFixture.h"

extern char** environ;

namespace corvenna::test {
namespace fs = std::filesystem;

namespace {

template <class T>
T Lookup(void* handle, const char* name) {
  void* symbol = dlsym(handle, name);
  if (symbol == nullptr) throw std::runtime_error(std::string("libcorvenna.so has no export ") + name);
  return reinterpret_cast<T>(symbol);
}

fs::path ScratchFile(const char* stem) {
  std::string pattern = (fs::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
  const int fd = mkstemp(pattern.data());
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  close(fd);
  return pattern;
}

void WritePluginSettings(const std::string& endpoint) {
  const std::string key(CorvennaKey);
  SetString(key, "UserName", "frontdesk");
  SetString(key, "Password", "s3cret");
  SetString(key, "HotelCode", "HOTEL42");
  SetString(key, "RequestorID", "REQ7");
  SetString(key, "CorvennaAvailReqUlr", endpoint);
  const char* types[] = {"SGL", "DBL", "STE"};
  for (int slot = 1; slot <= 3; ++slot) {
    SetString(key, "Type" + std::to_string(slot), types[slot - 1]);
    SetString(key, "Code" + std::to_string(slot), "BAR");
  }
}

// The program's wait status; without a limit it is waited for as long as it runs.
int WaitForProgram(pid_t pid, std::chrono::milliseconds limit, bool& timedOut) {
  int status = 0;
  if (limit.count() <= 0) {
    waitpid(pid, &status, 0);
    return status;
  }
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      timedOut = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return status;
}

}  // namespace

LoadedLibrary::LoadedLibrary() {
  handle_ = dlopen(CORVENNA_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) throw std::runtime_error(dlerror());
  BookingRetrival = Lookup<TCorvennaBookingRetrival>(handle_, "CorvennaBookingRetrival");
  AvailUpdate = Lookup<TCorvennaAvailUpdate>(handle_, "CorvennaAvailUpdate");
  ShowDialog = Lookup<TCorvennaShowDialog>(handle_, "CorvennaShowDialog");
  LastError = Lookup<TCorvennaLastError>(handle_, "CorvennaLastError");
}

LoadedLibrary::~LoadedLibrary() { dlclose(handle_); }

bool LoadedLibrary::IsLoaded() {
  void* handle = dlopen(CORVENNA_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

StderrCapture::StderrCapture() : file_(ScratchFile("corvenna-stderr")) {
  std::cerr.flush();
  std::fflush(stderr);
  saved_ = dup(STDERR_FILENO);
  const int fd = open(file_.c_str(), O_WRONLY | O_TRUNC);
  dup2(fd, STDERR_FILENO);
  close(fd);
}

StderrCapture::~StderrCapture() {
  Stop();
  std::error_code ignored;
  fs::remove(file_, ignored);
}

void StderrCapture::Stop() {
  if (stopped_) return;
  stopped_ = true;
  std::cerr.flush();
  std::fflush(stderr);
  dup2(saved_, STDERR_FILENO);
  close(saved_);
  text_ = ReadFileText(file_);
}

std::string StderrCapture::Text() {
  Stop();
  return text_;
}

std::vector<std::string> StderrCapture::LinesStartingWith(const std::string& prefix) {
  std::vector<std::string> lines;
  const std::string text = Text();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

LibraryHost::LibraryHost(bool withDatabase, const std::string& reservationsDir, channelsim::Options options) {
  home.MakeHostFolders();
  if (withDatabase) {
    HostDatabaseFixture hotel(Documents() / "Quendale" / "Database");
    for (int type = 1; type <= 3; ++type)
      for (int n = 1; n <= 2; ++n) hotel.AddRoom(std::to_string(type * 100 + n), type);
  }
  ServeReservations(reservationsDir, std::move(options));
  WritePluginSettings(sim->Url());
}

void LibraryHost::ServeReservations(const fs::path& dir, channelsim::Options options) {
  sim = std::make_unique<channelsim::ChannelSim>(dir.string(), std::move(options));
  SetString(std::string(CorvennaKey), "CorvennaAvailReqUlr", sim->Url());
}

fs::path LibraryHost::DatabaseFile() const { return Documents() / "Quendale" / "Database" / "Quendale.abs"; }

std::vector<std::string> LibraryHost::BodiesOf(const std::string& rootName) const {
  std::vector<std::string> bodies;
  for (const channelsim::ReceivedRequest& request : sim->Received())
    if (request.rootName == rootName) bodies.push_back(request.body);
  return bodies;
}

int64_t LibraryHost::StoredBookings() const { return Count("SELECT COUNT(*) FROM GuestData"); }

int64_t LibraryHost::Count(const std::string& sql) const {
  TDatabase database("LibraryHostCheck");
  database.SetDatabaseFileName(DatabaseFile().string());
  database.Open();
  TQuery query;
  query.SetDatabaseName(database.DatabaseName());
  query.SQL().Add(sql);
  query.Open();
  return query.Fields(0).AsLargeInt();
}

int OpenDescriptorsOn(const fs::path& file) {
  int count = 0;
  const std::string target = fs::weakly_canonical(file).string();
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string link = fs::read_symlink(entry.path(), error).string();
    if (!error && link.rfind(target, 0) == 0) ++count;
  }
  return count;
}

bool KillHostRetrievalAtItsFirstReport(const LibraryHost& host, const std::function<void()>& meanwhile) {
  std::string program = QUENDALE_HOST_PATH, command = "retrieve";
  char* argv[] = {program.data(), command.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (host.BodiesOf("OTA_NotifReportRQ").empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const bool reporting = !host.BodiesOf("OTA_NotifReportRQ").empty();
  if (reporting && meanwhile) meanwhile();
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  return reporting;
}

ProgramRun RunProgram(const std::vector<std::string>& args, const std::map<std::string, std::string>& extraEnv,
                      std::chrono::milliseconds limit) {
  const fs::path out = ScratchFile("corvenna-out");
  const fs::path err = ScratchFile("corvenna-err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_TRUNC, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_TRUNC, 0);

  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (!extraEnv.count(text.substr(0, text.find('=')))) env.push_back(text);
  }
  for (const auto& [name, value] : extraEnv) env.push_back(name + "=" + value);
  std::vector<char*> argv, envp;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  for (const std::string& entry : env) envp.push_back(const_cast<char*>(entry.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ProgramRun run;
  if (spawned == 0) {
    const int status = WaitForProgram(pid, limit, run.timedOut);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  run.out = ReadFileText(out);
  run.err = ReadFileText(err);
  std::error_code ignored;
  fs::remove(out, ignored);
  fs::remove(err, ignored);
  if (spawned != 0) throw std::runtime_error("cannot start " + args.front());
  return run;
}

std::string ReportOutcomeOf(const std::string& report) {
  static const std::regex id(R"re(<UniqueID [^>]*ID="([^"]*)")re");
  static const std::regex code(R"re(<Error [^>]*Code="([^"]*)")re");
  std::smatch match;
  std::string outcome = std::regex_search(report, match, id) ? match[1].str() : "?";
  if (std::regex_search(report, match, code)) return outcome + " error " + match[1].str();
  return outcome + (report.find("<Success") != std::string::npos ? " success" : " ?");
}

}  // namespace corvenna::test
