#pragma once
// Everything an exchange run needs, in a scratch home: the host folders, a
// host database opened by DM, channel-sim on loopback with its URL as the
// endpoint setting, recorded messages, an English locale and a fixed clock.
// A plain class, so that tests and benchmarks can both hold one.
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ChannelSim.h"
#include "data/OtaDataModule.h"
#include "platform/DateTime.h"
#include "platform/FormatSettings.h"
#include "support/HostDatabaseFixture.h"
#include "support/RecordingMessages.h"
#include "support/ScratchHome.h"

namespace corvenna::test {

class ExchangeFixture {
 public:
  // The fixed clock: 9 December 2026, 14:30:05 local and 13:30:05 UTC.
  static TDateTime FixedLocalNow();
  static TDateTime FixedUtcNow();

  ExchangeFixture();
  ~ExchangeFixture();
  ExchangeFixture(const ExchangeFixture&) = delete;
  ExchangeFixture& operator=(const ExchangeFixture&) = delete;

  // Rooms "<type><nn>" of one type (nn from 01), counted unless calOccupancy is "N".
  void AddRooms(int type, int count, const std::string& calOccupancy = "Y");
  // A small hotel: two rooms of type 1, three of type 2, one of type 3, one
  // type-17 room and one "N" room of type 4.
  void SeedSmallHotel();
  // The five settings of the frame.
  void WriteCredentials(const std::string& user = "frontdesk", const std::string& password = "s3cret&<pw>",
                        const std::string& hotelCode = "HOTEL42", const std::string& requestorId = "REQ7");

  std::filesystem::path TempDir() const;
  std::filesystem::path OtaDir() const;
  // A message copy by name; empty when missing.
  std::string Copy(const std::string& name) const;
  bool CopyExists(const std::string& name) const;
  // Today's day log as text and as its CR LF lines; DayLogExists tells whether it was created.
  std::filesystem::path DayLogFile() const;
  bool DayLogExists() const;
  std::string DayLog() const;
  std::vector<std::string> DayLogLines() const;

  // The log block a completed run leaves: the time line of the fixed clock,
  // then per document its marker, an empty line and the re-indented XML of its
  // copy (marker, copy name), line by line.
  std::vector<std::string> ExpectedLogBlock(const std::vector<std::pair<std::string, std::string>>& documents) const;

  // The bodies channel-sim received, in order.
  std::vector<std::string> ReceivedBodies() const;

  // The plug-in's key as the reply check leaves it (no reader exists for these).
  bool RegistryValueExists(const std::string& name) const;
  std::string RegistryText(const std::string& name) const;
  bool RegistryBool(const std::string& name) const;

  ScratchHome home;
  std::unique_ptr<HostDatabaseFixture> hotel;
  RecordingMessages messages;
  std::unique_ptr<channelsim::ChannelSim> sim;

 private:
  ScopedFormatSettings locale_;
  std::unique_ptr<TDMScope> dm_;
};

// Splits a text at CR LF; a closing CR LF gives no extra empty line.
std::vector<std::string> SplitCrLf(const std::string& text);
// Splits a text at LF, dropping CR; a closing line break gives no extra empty line.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace corvenna::test
