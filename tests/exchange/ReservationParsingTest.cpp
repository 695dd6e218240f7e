#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <tuple>

#include "data/Constants.h"
#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/BookingImport.h"
#include "exchange/CorvennaMessages.h"
#include "platform/Errors.h"
#include "platform/XmlDocument.h"
#include "support/ExchangeFixture.h"
#include "support/RegistryFixture.h"
#include "support/ReservationXml.h"

namespace corvenna {

// Readable values in failure messages.
static void PrintTo(const TVariant& value, std::ostream* out) {
  switch (value.kind()) {
    case TVariant::Kind::Null: *out << "NULL"; break;
    case TVariant::Kind::Integer: *out << value.integer(); break;
    case TVariant::Kind::Float: *out << value.real() << "r"; break;
    case TVariant::Kind::Text: *out << '"' << value.text() << '"'; break;
  }
}

namespace {

using test::ExchangeFixture;

using test::Guest;
using test::Ids;
using test::Reply;
using test::Reservation;
using test::Span;
using test::Stay;

class ReservationParsing : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* room : {"101", "102", "103"}) fx.hotel->AddRoom(room, 1);
    WriteType(1, "DBL");
    MsgInformation = "Information";
    MsgNoreservation = "No reservation";
    MsgNoNewReservation = "No new reservations";
    MsgNewReservation = "New reservations";
    MsgNewReservRecorded = "recorded";
    MsgBookingNo = "Booking no";
    ResetImportStateForTesting();
    PrevArrivalDate = ExchangeFixture::FixedLocalNow();
    ClearReservationRecord(true);
  }
  void TearDown() override {
    for (std::string* text : {&MsgInformation, &MsgNoreservation, &MsgNoNewReservation, &MsgNewReservation,
                              &MsgNewReservRecorded, &MsgBookingNo})
      text->clear();
    ResetImportStateForTesting();
    setenv("TZ", "UTC", 1);
  }

  void Parse(const std::string& xml) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXml(xml));
    ParseReservations(doc);
  }
  std::vector<std::vector<TVariant>> Rows(const std::string& sql) { return fx.hotel->Rows(sql); }
  void EmptyHostTables() {
    fx.hotel->Exec(
        "DELETE FROM GuestData; DELETE FROM GuestName; DELETE FROM Occupancy; DELETE FROM \"Group\"; "
        "DELETE FROM OtaImport");
  }

  ExchangeFixture fx;
};

TEST_F(ReservationParsing, AReplyWithoutReservationsSaysSoAndEmptiesOtaResponse) {
  fx.hotel->Exec("INSERT INTO OtaResponse (BookingNo, Valid) VALUES ('OLD', 0)");
  Parse(Reply(""));
  ASSERT_EQ(fx.messages.tasks.size(), 1u);
  const TaskMessage& message = fx.messages.tasks[0];
  EXPECT_EQ(std::tie(message.title, message.icon, message.instruction, message.content, message.button),
            std::make_tuple("Information", TaskIcon::Information, "No reservation", "No new reservations", "Close"));
  EXPECT_EQ(fx.hotel->Count("OtaResponse"), 0);
  EXPECT_EQ(NewReservationCount + RejectedReservationCount, 0);
}

TEST_F(ReservationParsing, TheResultMessageCountsStoredAndRejectedStaysAndListsTheBookingNumbers) {
  Parse(Reply(Reservation("CV1", Stay("DBL", 1, 4)) + Reservation("CV2", Stay("QUAD", 1, 4)) +
              Reservation("CV3", Stay("DBL", 1, 4))));
  ASSERT_EQ(fx.messages.tasks.size(), 1u);
  const TaskMessage& message = fx.messages.tasks[0];
  EXPECT_EQ(std::tie(message.title, message.icon, message.instruction, message.content, message.button),
            std::make_tuple("Information", TaskIcon::Information, "New reservations", "2 - recorded (1 - Error)",
                            "Close"));
  EXPECT_EQ(message.expanded, "Booking no - CV1\n\rBooking no - CV2\n\rBooking no - CV3\n\r");
  EXPECT_EQ(Rows("SELECT BookingNo, TravelID, ResIDType, ResIDValue, Valid FROM OtaResponse ORDER BY rowid"),
            (std::vector<std::vector<TVariant>>{
                {"CV1", "16", "14", "H-CV1", 0}, {"CV2", "16", "14", "H-CV2", 1}, {"CV3", "16", "14", "H-CV3", 0}}));
  EXPECT_EQ(Rows("SELECT TravelBookingNo FROM GuestData ORDER BY GuestID"),
            (std::vector<std::vector<TVariant>>{{"TB-CV1"}, {"TB-CV3"}}));
}

TEST_F(ReservationParsing, ASilentRunShowsNothingWhateverTheOutcome) {
  SilentRun = true;
  for (const std::string& reservations :
       {std::string(), Reservation("CV1", Stay("DBL", 1, 4)),
        Reservation("CV2", "<RoomStay><RoomRates><RoomRate NumberOfUnits=\"two\"/></RoomRates></RoomStay>")})
    Parse(Reply(reservations));
  SilentRun = false;
  EXPECT_TRUE(fx.messages.tasks.empty());
  EXPECT_EQ(fx.hotel->Count("GuestData"), 1);
}

// Each reservation takes the ArrivalTime of its own first ResGuest; one whose
// first ResGuest gives none gets the host's default.
TEST_F(ReservationParsing, EachReservationTakesItsOwnFirstGuestsArrivalTime) {
  const TDateTime fifteen = EncodeTime(15, 0, 0, 0);
  test::SetDouble(std::string(PreferenceKey), "DefaultArrival", fifteen);
  struct Case {
    const char* name;
    bool useUtc;
    const char* zone;
    const char* attribute;  // of the first reservation's first ResGuest
    TDateTime stored;
    TDateTime storedTen;  // of the second reservation, whose first guest writes 10:00:00
  };
  const Case cases[] = {
      {"local time", false, "CET-1CEST,M3.5.0,M10.5.0/3", " ArrivalTime=\" 14:00:00 \"", EncodeTime(14, 0, 0, 0),
       EncodeTime(10, 0, 0, 0)},
      {"UTC in summer", true, "CET-1CEST,M3.5.0,M10.5.0/3", " ArrivalTime=\"13:00:00\"", fifteen,
       EncodeTime(12, 0, 0, 0)},
      {"UTC past midnight", true, "CET-1CEST,M3.5.0,M10.5.0/3", " ArrivalTime=\"23:30\"",
       1.0 + EncodeTime(1, 30, 0, 0), EncodeTime(12, 0, 0, 0)},
      {"own zone whatever the setting", false, "CET-1CEST,M3.5.0,M10.5.0/3", " ArrivalTime=\"14:00:00+03:00\"",
       EncodeTime(13, 0, 0, 0), EncodeTime(10, 0, 0, 0)},
      {"UTC in UTC", true, "UTC", " ArrivalTime=\"14:00:00\"", EncodeTime(14, 0, 0, 0), EncodeTime(10, 0, 0, 0)},
      {"no ArrivalTime", true, "UTC", "", fifteen, EncodeTime(10, 0, 0, 0)},
      {"midnight", false, "UTC", " ArrivalTime=\"00:00:00\"", fifteen, EncodeTime(10, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EmptyHostTables();
    setenv("TZ", c.zone, 1);
    WriteUseUTCTime(c.useUtc);
    const std::string first = Guest("Anna", "Berg", "", c.attribute);
    const std::string other = Guest("Ben", "Other", "", " ArrivalTime=\"09:00:00\"");
    Parse(Reply(Reservation("CV1", Stay("DBL", 1, 4), first + other) +
                Reservation("CV2", Stay("DBL", 1, 4), Guest("Cleo", "Third", "", " ArrivalTime=\"10:00:00\"")) +
                Reservation("CV3", Stay("DBL", 1, 4), Guest("Dora", "Fourth") + other)));
    EXPECT_EQ(Rows("SELECT Arrivaltime FROM GuestData ORDER BY GuestID"),
              (std::vector<std::vector<TVariant>>{{c.stored}, {c.storedTen}, {fifteen}}));
  }
}

TEST_F(ReservationParsing, UniqueIdsGiveTheTravelBookingNumberAndTheChannelsBookingId) {
  Parse(Reply("<HotelReservation><UniqueID ID=\"A\" Type=\"14\"/><UniqueID Type=\"16\" ID=\"B\"/>"
              "<RoomStays>" + Stay("DBL", 1, 4) + "</RoomStays></HotelReservation>"
              "<HotelReservation><UniqueID Type=\"14\" ID=\"ONLY\"/>"
              "<RoomStays>" + Stay("DBL", 1, 4) + "</RoomStays></HotelReservation>"));
  EXPECT_EQ(Rows("SELECT TravelBookingNo FROM GuestData ORDER BY GuestID"),
            (std::vector<std::vector<TVariant>>{{"A"}, {"ONLY"}}));
  EXPECT_EQ(Rows("SELECT BookingNo, TravelID FROM OtaResponse"), (std::vector<std::vector<TVariant>>{{"B", "16"}}));
}

TEST_F(ReservationParsing, GuestDetailsComeFromEveryResGuestByTheirOwnRules) {
  const std::string first =
      Guest("Anna", "Berg",
            "<Telephone PhoneNumber=\"111\"/><Email>anna@example.org</Email><Address><AddressLine>Line 1</AddressLine>"
            "<AddressLine>Line 2</AddressLine><CityName>Graz</CityName><StateProv>Styria</StateProv>"
            "<PostalCode>8010</PostalCode><CountryName>Austria</CountryName></Address>");
  const std::string second =
      Guest(" Ben ", "Other",
            "<Telephone PhoneTechType=\"1\" PhoneNumber=\" 222 \"/><Email>ben@example.org</Email><Address>"
            "<AddressLine>Line 3</AddressLine><CityName>Linz</CityName><StateProv>Upper Austria</StateProv>"
            "<PostalCode>4020</PostalCode><CountryName>AT</CountryName></Address>");
  const std::string pos =
      "<POS><RequestorID ID=\"DIRECT\"/><Source><RequestorID Type=\"22\" ID=\"AGENT-1\"/></Source>"
      "<Source><BookingChannel><RequestorID ID=\"AGENT-2\"/></BookingChannel></Source>"
      "<RequestorID ID=\"DIRECT-2\"/></POS>";
  Parse(Reply("<HotelReservation>" + pos + Ids("A", "B") + "<RoomStays>" + Stay("DBL", 1, 4) +
              "</RoomStays><ResGuests>" + first + second + "</ResGuests></HotelReservation>"));
  EXPECT_EQ(Rows("SELECT * FROM GuestName"),
            (std::vector<std::vector<TVariant>>{{"000002", "Anna", "Berg", "", "Line 1", "Line 3", "Linz",
                                                 "Upper Austria", "222", "ben@example.org", "4020", "AT"}}));
  EXPECT_EQ(Rows("SELECT TravelAgent FROM GuestData"), (std::vector<std::vector<TVariant>>{{"AGENT-2"}}));
}

TEST_F(ReservationParsing, GuestCountsByAgeQualifyingCode) {
  struct Case {
    const char* counts;
    int32_t adults, children;
  };
  const Case cases[] = {
      {"<GuestCount Count=\"2\" AgeQualifyingCode=\"10\"/>", 2, 0},
      {"<GuestCount AgeQualifyingCode=\"10\" Count=\"3\"/>", 3, 0},
      {"<GuestCount Count=\"4\"/>", 1, 0},
      {"<GuestCount AgeQualifyingCode=\"7\" Count=\"2\"/>", 1, 2},
      {"<GuestCount AgeQualifyingCode=\"8\" Count=\"1\"/><GuestCount AgeQualifyingCode=\"7\" Count=\"2\"/>", 1, 3},
      {"<GuestCount AgeQualifyingCode=\"7\" Count=\"2\"/><GuestCount AgeQualifyingCode=\"8\" Count=\"1\"/>", 1, 1},
      {"<GuestCount AgeQualifyingCode=\"10\"/>", 0, 0},
  };
  std::string reservations;
  std::vector<std::vector<TVariant>> expected;
  int day = 1;
  for (const Case& c : cases) {
    reservations += Reservation("CV" + std::to_string(day),
                                Stay("DBL", day, day + 1, std::string("<GuestCounts>") + c.counts + "</GuestCounts>"));
    expected.push_back({c.adults, c.children});
    ++day;
  }
  Parse(Reply(reservations));
  EXPECT_EQ(Rows("SELECT NumberAdults, NumberChildren FROM GuestData ORDER BY GuestID"), expected);
}

TEST_F(ReservationParsing, TheTotalBecomesARatePerNight) {
  struct Case {
    const char* name;
    bool german, useDot, afterTax;
    std::string stay;
    double rate;
  };
  const std::string rate = "<RoomRates><RoomRate RoomTypeCode=\"DBL\"/></RoomRates>";
  const Case cases[] = {
      {"divided by three nights", false, true, true,
       rate + Span(1, 4) + "<Total AmountAfterTax=\"300.00\" CurrencyCode=\"EUR\"/>", 100},
      {"inside a Rate", false, true, true,
       "<RoomRates><RoomRate RoomTypeCode=\"DBL\"><Rates><Rate><Total AmountAfterTax=\"300.00\"/></Rate></Rates>"
       "</RoomRate></RoomRates>" + Span(1, 4),
       300},
      {"before the TimeSpan", false, true, true, rate + "<Total AmountAfterTax=\"300.00\"/>" + Span(1, 4), 300},
      {"before tax", false, true, false,
       rate + Span(1, 4) + "<Total AmountBeforeTax=\"240\" AmountAfterTax=\"300\"/>", 80},
      {"a third, to four decimals", false, true, true, rate + Span(1, 4) + "<Total AmountAfterTax=\"100\"/>",
       33.3333},
      {"dotted thousands, German", true, true, true, rate + Span(1, 2) + "<Total AmountAfterTax=\"1.234.50\"/>",
       1234.5},
      {"dotted thousands without decimals, German", true, true, true,
       rate + Span(1, 2) + "<Total AmountAfterTax=\"1.500\"/>", 1500},
      {"currency string, English", false, true, true, rate + Span(1, 2) + "<Total AmountAfterTax=\"$1,234.50\"/>",
       1234.5},
      {"locale's own comma without the dot option", true, false, true,
       rate + Span(1, 2) + "<Total AmountAfterTax=\"1234,50\"/>", 1234.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EmptyHostTables();
    WriteUseDot(c.useDot);
    WriteRateIncludingTax(c.afterTax);
    ScopedFormatSettings locale(c.german ? GermanFormatSettings() : EnglishFormatSettings());
    Parse(Reply(Reservation("CV1", "<RoomStay>" + c.stay + "</RoomStay>")));
    EXPECT_EQ(Rows("SELECT RoomRateQuoted FROM GuestData"), (std::vector<std::vector<TVariant>>{{c.rate}}));
  }
}

TEST_F(ReservationParsing, TheLastTextOfAStayBecomesItsNotes) {
  const std::string longText(300, 'x');
  struct Case {
    std::string text;
    std::string notes;
  };
  const Case cases[] = {
      {" " + longText + " ", std::string(255, 'x')},
      {"first line&#13;&#10;second line", "first line second line"},
      {"first&#10;second", "first\nsecond"},
      {"<Comment><Text>older</Text></Comment><Text>  later  </Text>", "later"},
  };
  int day = 1;
  std::string reservations;
  for (const Case& c : cases) {
    const std::string text = c.text[0] == '<' ? c.text : "<Text>" + c.text + "</Text>";
    reservations += Reservation("CV" + std::to_string(day), Stay("DBL", day, day + 1, "<Comments>" + text + "</Comments>"));
    ++day;
  }
  Parse(Reply(reservations));
  std::vector<std::vector<TVariant>> expected;
  for (const Case& c : cases) expected.push_back({c.notes});
  EXPECT_EQ(Rows("SELECT SpecRequirements FROM GuestData ORDER BY GuestID"), expected);
}

// Names, contact, comments and codes reach the host as valid UTF-8.
TEST_F(ReservationParsing, TextThatIsNotUtf8IsStoredWithReplacementCharacters) {
  const std::string fffd = "\xEF\xBF\xBD", grin = "\xF0\x9F\x98\x80";
  struct Case {
    const char* what;
    std::string written, stored;
  };
  const Case cases[] = {
      {"a raw Latin-1 byte", "Zo\xEB", "Zo" + fffd},
      {"a surrogate pair of references", "Zo&#xD83D;&#xDE00;", "Zo" + grin},
      {"a lone low surrogate", "Zo&#xDC00;", "Zo" + fffd},
      {"a lone high surrogate", "Zo&#xD83D;e", "Zo" + fffd + "e"},
      {"a sequence cut short", "Zo\xE2\x82", "Zo" + fffd},
      {"valid text", "Zo\xC3\xAB &#x1F600;", "Zo\xC3\xAB " + grin},
  };
  std::string reservations;
  std::vector<std::vector<TVariant>> expected;
  int day = 1;
  for (const Case& c : cases) {
    const std::string& w = c.written;
    const std::string contact = "<Telephone PhoneNumber=\"" + w + "\"/><Email>" + w + "</Email>";
    const std::string stay = "<RoomStay><RoomRates><RoomRate RoomTypeCode=\"DBL\" RatePlanCode=\"" + w +
                             "\"/></RoomRates>" + Span(day, day + 1) + "<Comments><Comment><Text>" + w +
                             "</Text></Comment></Comments></RoomStay>";
    reservations += Reservation("CV" + std::to_string(day), stay, Guest(w, w + "-" + std::to_string(day), contact));
    const std::string& v = c.stored;
    expected.push_back({v, v + "-" + std::to_string(day), v, v, v, v});
    ++day;
  }
  Parse(Reply(reservations));
  EXPECT_EQ(Rows("SELECT n.GivenName, n.FamilyName, n.PhoneNumber, n.Email, d.SpecRequirements, d.TariffCode "
                 "FROM GuestData d JOIN GuestName n ON n.GuestCode = d.GuestCode ORDER BY d.GuestID"),
            expected);
}

// Refused alone: nothing of it is stored and it leaves no row to report; the
// reservations before and after it are stored as usual.
TEST_F(ReservationParsing, AReservationHoldingAValueThatCannotBeReadIsRefusedAlone) {
  Parse(Reply(Reservation("CV1", Stay("DBL", 1, 4)) +
              Reservation("CV2", Stay("DBL", 1, 4) +
                                     "<RoomStay><RoomRates><RoomRate RoomTypeCode=\"DBL\" NumberOfUnits=\"two\"/>"
                                     "</RoomRates></RoomStay>") +
              Reservation("CV3", Stay("DBL", 1, 4))));
  ASSERT_EQ(fx.messages.tasks.size(), 2u);
  const TaskMessage& message = fx.messages.tasks[1];
  EXPECT_EQ(std::tie(message.title, message.icon, message.instruction, message.content),
            std::make_tuple("Error", TaskIcon::Error, "Error",
                            "Reservation 2 of the reply (booking number CV2) cannot be imported: its NumberOfUnits "
                            "\"two\" cannot be read"));
  EXPECT_EQ(Rows("SELECT BookingNo, Valid FROM OtaResponse"),
            (std::vector<std::vector<TVariant>>{{"CV1", 0}, {"CV3", 0}}));
  EXPECT_EQ(Rows("SELECT TravelBookingNo FROM GuestData ORDER BY GuestID"),
            (std::vector<std::vector<TVariant>>{{"TB-CV1"}, {"TB-CV3"}}));
  EXPECT_EQ(NewReservationCount, 2);
}

// A time that the system cannot convert on its stay's arrival date (the local
// time would fall beyond the calendar) refuses its reservation the same way.
TEST_F(ReservationParsing, AnArrivalTimeThatCannotBeConvertedOnItsDateIsRefusedAlone) {
  setenv("TZ", "Pacific/Kiritimati", 1);
  const std::string lastDay =
      "<RoomStay><RoomRates><RoomRate RoomTypeCode=\"DBL\"/></RoomRates>"
      "<TimeSpan Start=\"9999-12-31\" End=\"9999-12-31\"/></RoomStay>";
  Parse(Reply(Reservation("CV1", lastDay, Guest("Anna", "Berg", "", " ArrivalTime=\"23:00:00Z\"")) +
              Reservation("CV2", Stay("DBL", 1, 4), Guest("Ben", "Other", "", " ArrivalTime=\"23:00:00Z\""))));
  ASSERT_EQ(fx.messages.tasks.size(), 2u);
  EXPECT_EQ(fx.messages.tasks[1].content,
            "Reservation 1 of the reply (booking number CV1) cannot be imported: its ArrivalTime \"23:00:00Z\" "
            "cannot be read");
  EXPECT_EQ(Rows("SELECT BookingNo, Valid FROM OtaResponse"), (std::vector<std::vector<TVariant>>{{"CV2", 0}}));
  EXPECT_EQ(Rows("SELECT TravelBookingNo, Arrivaltime FROM GuestData"),
            (std::vector<std::vector<TVariant>>{{"TB-CV2", 1.0 + EncodeTime(13, 0, 0, 0)}}));
}

// Nothing of one reservation is carried into the next: not its channel id when
// it had no room stay, not its guest when its last stay joined a group.
TEST_F(ReservationParsing, EachReservationStartsFromAnEmptyRecord) {
  Parse(Reply("<HotelReservation>" + Ids("A", "B") + "<ResGuests>" + Guest("Zed", "Cancelled") +
              "</ResGuests></HotelReservation>"
              "<HotelReservation><UniqueID Type=\"14\" ID=\"C\"/><RoomStays>" + Stay("DBL", 1, 4) + Stay("DBL", 1, 4) +
              "</RoomStays><ResGuests>" + Guest("Ann", "Lee") + "</ResGuests></HotelReservation>" +
              "<HotelReservation><UniqueID Type=\"14\" ID=\"D\"/><UniqueID Type=\"16\" ID=\"E\"/><RoomStays>" +
              Stay("DBL", 10, 12) + "</RoomStays><ResGuests>" + Guest("Max", "Moe") + "</ResGuests></HotelReservation>"));
  EXPECT_EQ(Rows("SELECT BookingNo FROM OtaResponse"), (std::vector<std::vector<TVariant>>{{"E"}}));
  EXPECT_EQ(Rows("SELECT N.GivenName, N.FamilyName FROM GuestData D JOIN GuestName N ON N.GuestCode = D.GuestCode "
                 "ORDER BY D.GuestID"),
            (std::vector<std::vector<TVariant>>{{"Ann", "Lee"}, {"Ann", "Lee"}, {"Max", "Moe"}}));
}

// ---- killing the import at any row write ---------------------------------------------------

struct TStoredState {
  std::vector<std::vector<TVariant>> bookings, groupMarks, guests, groups, responses, recorded;
};

class ImportAtomicity : public ReservationParsing {
 protected:
  TStoredState Stored() {
    return {Rows("SELECT GuestID, GuestCode, RoomNumber, ArrivalDate, DepartureDate FROM GuestData ORDER BY GuestID"),
            Rows("SELECT GuestID, GuestGroup FROM GuestData WHERE GuestGroup IS NOT NULL ORDER BY GuestID"),
            Rows("SELECT GuestCode, GivenName FROM GuestName ORDER BY rowid"),
            Rows("SELECT RoomNumber, GroupID, MainID FROM \"Group\" ORDER BY rowid"),
            Rows("SELECT BookingNo, GuestID, Valid FROM OtaResponse ORDER BY rowid"),
            Rows("SELECT GuestID FROM OtaImport ORDER BY GuestID")};
  }

  // Every stored booking has exactly its own nights in Occupancy.
  void ExpectOccupancyOfTheBookings() {
    std::map<double, int64_t> expected;
    for (const auto& row : Rows("SELECT ArrivalDate, DepartureDate FROM GuestData"))
      for (double night = row[0].real(); night < row[1].real(); night += 1) ++expected[night];
    std::map<double, int64_t> actual;
    for (const auto& row : Rows("SELECT OccDate, RoomsOccupied FROM Occupancy")) actual[row[0].real()] = row[1].integer();
    EXPECT_EQ(actual, expected);
  }

  // The host tables as before the import, with one guest the reply names again.
  void Reset() {
    EmptyHostTables();
    fx.hotel->Exec("INSERT INTO GuestName (GuestCode, GivenName, FamilyName, Email) VALUES ('000002', 'Old', 'Guest', '')");
    fx.hotel->Exec("DELETE FROM OtaResponse; DELETE FROM sqlite_sequence");
    ResetImportStateForTesting();
    PrevArrivalDate = ExchangeFixture::FixedLocalNow();
    ClearReservationRecord(true);
    fx.messages.tasks.clear();
  }
};

template <typename T>
std::vector<T> Prefix(const std::vector<T>& rows, size_t count) {
  return std::vector<T>(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(std::min(count, rows.size())));
}

TEST_F(ImportAtomicity, EveryRoomStayIsStoredWholeOrNotAtAll) {
  const std::string reply =
      Reply(Reservation("CV1", Stay("DBL", 1, 4) + Stay("DBL", 1, 4)) + Reservation("CV2", Stay("QUAD", 5, 6)) +
            Reservation("CV3", Stay("DBL", 5, 8), Guest("Old", "Guest")) + Reservation("CV4", Stay("DBL", 1, 3)));
  Reset();
  Parse(reply);
  const TStoredState complete = Stored();
  ASSERT_EQ(complete.bookings.size(), 4u);
  ASSERT_EQ(complete.groups.size(), 1u);

  for (int writes = 0;; ++writes) {
    SCOPED_TRACE(writes);
    Reset();
    DM().Quendale.FailAfterWrites(writes);
    bool failed = false;
    try {
      Parse(reply);
      failed = !fx.messages.tasks.empty() && fx.messages.tasks.back().icon == TaskIcon::Error;
    } catch (const EDatabaseError&) {
      failed = true;  // emptying OtaResponse is not the import's to catch
    }
    DM().Quendale.FailAfterWrites(-1);
    const TStoredState state = Stored();
    ExpectOccupancyOfTheBookings();
    EXPECT_EQ(state.bookings, Prefix(complete.bookings, state.bookings.size()));
    EXPECT_EQ(state.guests, Prefix(complete.guests, state.guests.size()));
    EXPECT_EQ(state.groups, Prefix(complete.groups, state.groups.size()));
    EXPECT_EQ(state.responses, Prefix(complete.responses, state.responses.size()));
    EXPECT_EQ(static_cast<size_t>(NewReservationCount), state.bookings.size());
    std::vector<std::vector<TVariant>> storedIds;
    for (const auto& booking : state.bookings) storedIds.push_back({booking[0]});
    EXPECT_EQ(state.recorded, storedIds) << "the import record names exactly the bookings stored";
    // The main booking's mark comes with the member, its group row and its nights.
    if (state.bookings.size() >= 2) {
      EXPECT_EQ(state.groups, complete.groups);
      EXPECT_EQ(state.groupMarks, complete.groupMarks);
    } else {
      EXPECT_TRUE(state.groupMarks.empty());
    }
    if (!failed) {
      EXPECT_EQ(state.bookings, complete.bookings);
      break;
    }
    ASSERT_LT(writes, 200);
  }
}

}  // namespace
}  // namespace corvenna
