#pragma once
// Reservations offered again through the exports: a host whose channel
// manager offers a reservation until a success report for it arrives, the
// replies it serves, and readers of what the host database holds.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "LibraryHarness.h"
#include "platform/Dataset.h"
#include "support/ScratchHome.h"

namespace corvenna::test {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// Room types of the hotel: SGL, DBL and STE, two rooms each.
inline std::string StayXml(const std::string& roomType,
                           const std::string& timeSpan = R"(Start="2027-03-05" End="2027-03-08")",
                           const std::string& units = "1") {
  return "<RoomStay><RoomRates><RoomRate RoomTypeCode=\"" + roomType +
         "\" RatePlanCode=\"BAR\" NumberOfUnits=\"" + units + "\"/></RoomRates>"
         "<GuestCounts><GuestCount AgeQualifyingCode=\"10\" Count=\"2\"/>"
         "<GuestCount AgeQualifyingCode=\"8\" Count=\"1\"/></GuestCounts>"
         "<TimeSpan " + timeSpan + "/><Total AmountAfterTax=\"357.00\" CurrencyCode=\"EUR\"/>"
         "<Comments><Comment><Text>Late arrival</Text></Comment></Comments></RoomStay>";
}

struct ReservationIds {
  std::string channelId;
  std::string type = "14";
  std::string resIdValue = "WEB-1";  // empty: the reservation has no HotelReservationID
  std::string givenName = "Maren";
};

// Values written as they stand in the file: references and all.
inline std::string ReservationXml(const ReservationIds& ids, const std::string& stays) {
  return "<HotelReservation ResStatus=\"Book\">"
         "<POS><Source><RequestorID ID=\"AGENT-7\"/></Source></POS>"
         "<UniqueID Type=\"" + ids.type + "\" ID=\"WEB-" + ids.channelId + "\"/>"
         "<UniqueID Type=\"" + ids.type + "\" ID=\"" + ids.channelId + "\"/>"
         "<RoomStays>" + stays + "</RoomStays>"
         "<ResGuests><ResGuest ArrivalTime=\"15:30:00\"><Profiles><ProfileInfo><Profile><Customer>"
         "<PersonName><GivenName>" + ids.givenName + "</GivenName><Surname>Oakhurst</Surname></PersonName>"
         "<Telephone PhoneNumber=\"+44 20 7946 0321\"/><Email>maren@example.org</Email>"
         "<Address><AddressLine>12 Linden Row</AddressLine><CityName>Bristol</CityName>"
         "<StateProv>Avon</StateProv><PostalCode>BS1 4QA</PostalCode><CountryName>United Kingdom</CountryName>"
         "</Address></Customer></Profile></ProfileInfo></Profiles></ResGuest></ResGuests>" +
         (ids.resIdValue.empty() ? std::string()
                                 : "<ResGlobalInfo><HotelReservationIDs><HotelReservationID ResID_Type=\"14\" "
                                   "ResID_Value=\"" + ids.resIdValue + "\"/></HotelReservationIDs></ResGlobalInfo>") +
         "</HotelReservation>";
}

inline std::string ReplyXml(const Strings& reservations) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
      "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
      "<OTA_ResRetrieveRS xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\"><Success/>"
      "<ReservationsList>";
  for (const std::string& reservation : reservations) xml += reservation;
  return xml + "</ReservationsList></OTA_ResRetrieveRS></soap:Body></soap:Envelope>";
}

inline std::string XsDateFromToday(int days) {
  const std::time_t when = std::time(nullptr) + static_cast<std::time_t>(days) * 86400;
  std::tm local{};
  localtime_r(&when, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

struct Retrieval {
  int result = 0;
  Strings reports;
  std::string error;
};

class ReofferFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Folder());
    host.ServeReservations(Folder());
  }

  fs::path Folder() const { return host.home.Root() / "reservations"; }
  void Offer(const Strings& reservations) { WriteFileText(Folder() / "reply.xml", ReplyXml(reservations)); }
  void SetOptions(const std::function<void(channelsim::Options&)>& set) {
    channelsim::Options options;
    set(options);
    host.sim->SetOptions(options);
  }

  Retrieval Retrieve() {
    if (throughHostProgram) return RetrieveThroughHost();
    host.sim->ClearReceived();
    Retrieval run;
    run.result = library.BookingRetrival(0);
    run.error = library.LastError();
    for (const std::string& report : host.BodiesOf("OTA_NotifReportRQ")) run.reports.push_back(ReportOutcomeOf(report));
    return run;
  }

  // `quendale-host retrieve` as a program, with `env` added to the test's
  // environment; the error is its message after the export's name.
  Retrieval RetrieveThroughHost(const std::map<std::string, std::string>& env = {}) {
    host.sim->ClearReceived();
    const ProgramRun program = RunProgram({QUENDALE_HOST_PATH, "retrieve"}, env);
    Retrieval run;
    run.result = program.out.empty() ? -2 : std::stoi(program.out);
    const std::string failed = "CorvennaBookingRetrival failed: ";
    const size_t at = program.err.find(failed);
    if (at != std::string::npos) run.error = program.err.substr(at + failed.size());
    EXPECT_EQ(program.exitCode, run.result < 0 ? 1 : 0) << program.err;
    for (const std::string& report : host.BodiesOf("OTA_NotifReportRQ")) run.reports.push_back(ReportOutcomeOf(report));
    return run;
  }

  // Each row's columns joined by '|'; bytes that are no text shown in hex by the query.
  Strings Rows(const std::string& sql) const {
    TDatabase database("ReofferCheck");
    database.SetDatabaseFileName(host.DatabaseFile().string());
    database.Open();
    TQuery query;
    query.SetDatabaseName(database.DatabaseName());
    query.SQL().Add(sql);
    query.Open();
    Strings rows;
    for (query.First(); !query.Eof(); query.Next()) {
      std::string row;
      for (int i = 0; i < query.FieldCount(); ++i) {
        if (i > 0) row += '|';
        row += query.Fields(i).AsString();
      }
      rows.push_back(row);
    }
    return rows;
  }
  Strings Bookings() const {
    return Rows("SELECT * FROM GuestData ORDER BY GuestID");
  }
  // Every row an import writes, table by table.
  Strings HostTables() const {
    Strings rows;
    for (const char* table : {"GuestData", "GuestName", "\"Group\"", "Occupancy", "OtaImport"})
      for (const std::string& row : Rows(std::string("SELECT * FROM ") + table + " ORDER BY rowid"))
        rows.push_back(std::string(table) + ": " + row);
    return rows;
  }
  void Exec(const std::string& sql) const {
    TDatabase database("ReofferExec");
    database.SetDatabaseFileName(host.DatabaseFile().string());
    database.Open();
    database.Execute(sql);
  }
  // A retrieval whose reports the channel manager never receives.
  Retrieval RetrieveLosingReports() {
    SetOptions([](auto& o) { o.drop.kinds = channelsim::kReport; });
    const Retrieval run = Retrieve();
    SetOptions([](auto&) {});
    return run;
  }

  LibraryHost host;
  LoadedLibrary library;
  // Retrieve runs `quendale-host retrieve` instead of calling the export here.
  bool throughHostProgram = false;
};

}  // namespace corvenna::test
