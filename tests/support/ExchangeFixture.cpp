#include "support/ExchangeFixture.h"

#include "data/Constants.h"
#include "data/OtaGfgIni.h"
#include "data/OtaOpenTables.h"
#include "exchange/CorvennaMessages.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/XmlDocument.h"

namespace corvenna::test {
namespace fs = std::filesystem;

TDateTime ExchangeFixture::FixedLocalNow() { return EncodeDateTime(2026, 12, 9, 14, 30, 5, 0); }
TDateTime ExchangeFixture::FixedUtcNow() { return EncodeDateTime(2026, 12, 9, 13, 30, 5, 0); }

ExchangeFixture::ExchangeFixture() : locale_(EnglishFormatSettings()) {
  home.MakeHostFolders();
  hotel = std::make_unique<HostDatabaseFixture>(home.Documents() / "Quendale" / "Database");
  fs::create_directories(home.Root() / "reservations");
  sim = std::make_unique<channelsim::ChannelSim>((home.Root() / "reservations").string());
  WriteCorvennaAvailReqUlr(sim->Url());
  SetClockForTesting(&FixedLocalNow, &FixedUtcNow);

  SilentRun = false;
  RateAmount.fill(Currency{});
  RateSelected.fill(false);
  MsgError = "Error";
  MsgClose = "Close";
  MsgType = "Type";
  MsgCode = "Code:";

  dm_ = std::make_unique<TDMScope>();
  OpenHostDatabase();
  SetTablesActive(true);
}

ExchangeFixture::~ExchangeFixture() {
  dm_.reset();
  ResetClock();
}

void ExchangeFixture::AddRooms(int type, int count, const std::string& calOccupancy) {
  for (int n = 1; n <= count; ++n) hotel->AddRoom(Format("%d%02d", type, n), type, calOccupancy);
}

void ExchangeFixture::SeedSmallHotel() {
  AddRooms(1, 2);
  AddRooms(2, 3);
  AddRooms(3, 1);
  AddRooms(17, 1);
  AddRooms(4, 1, "N");
}

void ExchangeFixture::WriteCredentials(const std::string& user, const std::string& password,
                                       const std::string& hotelCode, const std::string& requestorId) {
  WriteUserName(user);
  WritePassword(password);
  WriteHotelCode(hotelCode);
  WriteRequestorID(requestorId);
}

fs::path ExchangeFixture::TempDir() const { return home.Documents() / "Quendale" / "Temp"; }
fs::path ExchangeFixture::OtaDir() const { return home.Documents() / "Quendale" / "OTA"; }

std::string ExchangeFixture::Copy(const std::string& name) const { return ReadFileText(TempDir() / name); }
bool ExchangeFixture::CopyExists(const std::string& name) const { return fs::exists(TempDir() / name); }

fs::path ExchangeFixture::DayLogFile() const { return OtaDir() / "OTA09Dec.log"; }
bool ExchangeFixture::DayLogExists() const { return fs::exists(DayLogFile()); }
std::string ExchangeFixture::DayLog() const { return ReadFileText(DayLogFile()); }
std::vector<std::string> ExchangeFixture::DayLogLines() const { return SplitCrLf(DayLog()); }

std::vector<std::string> ExchangeFixture::ExpectedLogBlock(
    const std::vector<std::pair<std::string, std::string>>& documents) const {
  std::vector<std::string> lines{"<--14:30:05-->"};
  for (const auto& [marker, copyName] : documents) {
    lines.push_back(marker);
    lines.push_back(std::string());
    for (std::string& line : SplitLines(ReIndentXml(Copy(copyName)))) lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> ExchangeFixture::ReceivedBodies() const {
  std::vector<std::string> bodies;
  for (const channelsim::ReceivedRequest& request : sim->Received()) bodies.push_back(request.body);
  return bodies;
}

bool ExchangeFixture::RegistryValueExists(const std::string& name) const {
  TRegistry registry;
  return registry.OpenKey(std::string(CorvennaKey), false) && registry.ValueExists(name);
}

std::string ExchangeFixture::RegistryText(const std::string& name) const {
  TRegistry registry;
  if (!registry.OpenKey(std::string(CorvennaKey), false)) return std::string();
  return registry.ReadString(name);
}

bool ExchangeFixture::RegistryBool(const std::string& name) const {
  TRegistry registry;
  return registry.OpenKey(std::string(CorvennaKey), false) && registry.ReadBool(name);
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (const char c : text) {
    if (c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace corvenna::test
