// Turning the retrieval reply into parsed reservations: four finders over the
// children of one HotelReservation and four walkers over any depth, each
// walker handling an element's descendants before the element itself. A
// reservation is read whole before anything of it is saved.
#include <climits>
#include <optional>
#include <utility>
#include <vector>

#include "data/OtaDataCheck.h"
#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/AmountText.h"
#include "exchange/BookingImport.h"
#include "exchange/ExchangeFrame.h"
#include "exchange/ImportRecord.h"
#include "platform/ArrivalTime.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "platform/XmlCharacters.h"
#include "platform/XmlDocument.h"
#include "platform/XsDate.h"

namespace corvenna {

TDateTime XSDateToDateTime(const std::string& text) { return ParseXsDate(text); }

namespace {

inline constexpr size_t MaxNotesUnits = 255;

using TNodeList = std::vector<XmlNode>;

// The settings the walk works with, read once at its start, like the rest of
// the import's: nothing changes them while one retrieval runs.
struct TParseSettings {
  bool useUtc = true;
  bool afterTax = true;
  bool useDot = true;
};
TParseSettings Settings;

bool IsElement(const XmlNode& node) { return node.NodeType() == XmlNode::Element; }

// A value of the reply that the import cannot read. It refuses the reservation
// that holds it, and that reservation alone.
class EUnreadableValue : public Exception {
 public:
  EUnreadableValue(const std::string& name, const std::string& text)
      : Exception(name + " \"" + EscapeNonXmlText(text) + "\"") {}
};

// The value converted, or EUnreadableValue naming it.
template <typename Convert>
auto ReadValue(const std::string& name, const std::string& text, const Convert& convert) {
  try {
    return convert(text);
  } catch (const EConvertError&) {
    throw EUnreadableValue(name, text);
  }
}

TDateTime ReadDate(const char* name, const std::string& value) {
  return ReadValue(std::string("TimeSpan ") + name, Trim(value), XSDateToDateTime);
}

// A count below zero stands for no number of people or rooms.
int32_t ReadCount(const std::string& name, const std::string& value) {
  const int32_t count = ReadValue(name, Trim(value), [](const std::string& text) { return StrToInt(text); });
  if (count < 0) throw EUnreadableValue(name, Trim(value));
  return count;
}

std::string TextOf(const XmlNode& element) { return ValidUtf8(Trim(element.Text())); }

template <typename OnElement>
void WalkElements(const TNodeList& nodes, const OnElement& onElement) {
  for (const XmlNode& node : nodes) {
    if (!IsElement(node)) continue;
    WalkElements(node.ChildNodes(), onElement);
    onElement(node);
  }
}

// ---- the walkers -------------------------------------------------------------------

void ParseRequestorID(const TNodeList& nodes) {
  WalkElements(nodes, [](const XmlNode& element) {
    if (element.NodeName() != "RequestorID") return;
    for (const auto& [name, value] : element.Attributes())
      if (name == "ID") ParsedStay.TravelAgent = TrimBlanks(value);
  });
}

void ReadGuestElement(const XmlNode& element) {
  TGuestNameRec& g = ParsedGuest;
  const std::string name = element.NodeName();
  const std::pair<const char*, std::string*> lastWins[] = {
      {"Email", &g.Email},         {"CityName", &g.City},      {"StateProv", &g.State},
      {"PostalCode", &g.PostCode}, {"CountryName", &g.Country}};
  for (const auto& [elementName, field] : lastWins) {
    if (name == elementName) *field = TextOf(element);
  }
  if (name == "GivenName" && g.GivenName.empty()) g.GivenName = TextOf(element);
  if (name == "Surname" && g.FamilyName.empty()) g.FamilyName = TextOf(element);
  if (name == "AddressLine") (g.Address1.empty() ? g.Address1 : g.Address2) = TextOf(element);
  if (name == "Telephone") {
    for (const auto& [attribute, value] : element.Attributes())
      if (attribute == "PhoneNumber") g.PhoneNumber = ValidUtf8(Trim(value));
  }
}

void ParseGuestProfile(const TNodeList& nodes) { WalkElements(nodes, ReadGuestElement); }

void ParseHotelReservationID(const TNodeList& nodes) {
  WalkElements(nodes, [](const XmlNode& element) {
    if (element.NodeName() != "HotelReservationID") return;
    for (const auto& [name, value] : element.Attributes()) {
      if (name == "ResID_Type") ParsedStay.ResID_Type = TrimBlanks(value);
      if (name == "ResID_Value") ParsedStay.ResID_Value = TrimBlanks(value);
    }
  });
}

// The dates of one node list of a room stay, by which its Total is divided.
struct TStayDates {
  TDateTime start;
  TDateTime end;
};

void ReadTimeSpan(const XmlNode& element, TStayDates& dates) {
  for (const auto& [name, value] : element.Attributes()) {
    if (name == "Start") {
      dates.start = ParsedStay.ArrivalDate = ReadDate("Start", value);
      ParsedStay.ArrivalUnknown = false;
    }
    if (name != "End") continue;
    dates.end = ParsedStay.DepartureDate = ReadDate("End", value);
    ParsedStay.DepartureUnknown = false;
  }
}

void ReadRoomRate(const XmlNode& element) {
  for (const auto& [name, value] : element.Attributes()) {
    if (name == "RoomTypeCode") ParsedStay.RoomTypeCode = ValidUtf8(Trim(value));
    if (name == "RatePlanCode") ParsedStay.RatePlanCode = ValidUtf8(Trim(value));
    if (name == "NumberOfUnits")
      ParsedStay.NoRooms = ReadValue("NumberOfUnits", Trim(value), [](const std::string& text) { return StrToInt(text); });
  }
}

void ReadGuestCount(const XmlNode& element) {
  std::string code;
  std::string countText;
  int32_t count = 0;
  for (const auto& [name, value] : element.Attributes()) {
    if (name == "AgeQualifyingCode") code = Trim(value);
    if (name != "Count") continue;
    countText = value;
    count = ReadCount("GuestCount Count", value);
  }
  if (code == "10") ParsedStay.NoAdults = count;
  if (code == "8") ParsedStay.NoChildren = count;
  if (code != "7") return;
  const int64_t children = int64_t{ParsedStay.NoChildren} + count;
  if (children > INT32_MAX)
    throw EUnreadableValue("children's GuestCount Count", IntToStr(ParsedStay.NoChildren) + " + " + Trim(countText));
  ParsedStay.NoChildren = static_cast<int32_t>(children);
}

void ReadTotal(const XmlNode& element, const TStayDates& dates) {
  const std::string amountName = Settings.afterTax ? "AmountAfterTax" : "AmountBeforeTax";
  const bool useDot = Settings.useDot;
  for (const auto& [name, value] : element.Attributes()) {
    if (name == "CurrencyCode") ParsedStay.CurrCode = ValidUtf8(Trim(value));
    if (name != amountName) continue;
    ParsedStay.RoomRateQuoted = ReadValue("Total " + amountName, Trim(value), [&](const std::string& trimmed) {
      long double amount = StrToFloat(useDot ? DotAmountText(trimmed, FormatSettings()) : trimmed);
      if (!SameDay(dates.start, dates.end)) {
        const int nights = DaysBetween(dates.start, dates.end);
        if (nights >= 1) amount /= nights;
      }
      return Currency::FromDouble(amount);
    });
  }
}

void ReadRoomStayElement(const XmlNode& element, TStayDates& dates) {
  const std::string name = element.NodeName();
  if (name == "Text") ParsedStay.Notes = Utf16Left(ReplaceAll(TextOf(element), "\r\n", " "), MaxNotesUnits);
  if (name == "TimeSpan") ReadTimeSpan(element, dates);
  if (name == "RoomRate") ReadRoomRate(element);
  if (name == "GuestCount") ReadGuestCount(element);
  if (name == "Total") ReadTotal(element, dates);
}

// Each node list has its own dates: a Total is divided only by a TimeSpan
// that stands before it in the same list.
void ParseRoomStay(const TNodeList& nodes) {
  const TDateTime now = Now();
  TStayDates dates{now, now};
  for (const XmlNode& node : nodes) {
    if (!IsElement(node)) continue;
    ParseRoomStay(node.ChildNodes());
    ReadRoomStayElement(node, dates);
  }
}

// ---- the finders, over the children of one HotelReservation ------------------------

// Ids lose only their blanks: any other character is part of the id that a
// report must name.
void ReadUniqueID(const XmlNode& element, bool& idMet) {
  for (const auto& [name, value] : element.Attributes()) {
    if (name == "Type") ParsedStay.TravelTypeID = TrimBlanks(value);
    if (name != "ID") continue;
    (idMet ? ParsedStay.CorvennaID : ParsedStay.TravelBookingNo) = TrimBlanks(value);
    idMet = true;
  }
}

void ParsePOSAndUniqueID(const TNodeList& children) {
  bool idMet = false;
  for (const XmlNode& child : children) {
    if (!IsElement(child)) continue;
    const std::string name = child.NodeName();
    if (name == "POS") {
      for (const XmlNode& source : child.ChildNodes()) ParseRequestorID(source.ChildNodes());
    }
    if (name == "UniqueID") ReadUniqueID(child, idMet);
  }
}

// Runs `walker` on the child nodes of every child of each element named `name`.
void ForGrandchildren(const TNodeList& children, const char* name, void (*walker)(const TNodeList&)) {
  for (const XmlNode& child : children) {
    if (!IsElement(child) || child.NodeName() != name) continue;
    for (const XmlNode& grandchild : child.ChildNodes()) walker(grandchild.ChildNodes());
  }
}

void ParseResGuests(const TNodeList& children) { ForGrandchildren(children, "ResGuests", ParseGuestProfile); }

void ParseResGlobalInfo(const TNodeList& children) {
  ForGrandchildren(children, "ResGlobalInfo", ParseHotelReservationID);
}

// Under UseUTCTime a time without a zone is a UTC time: the reading says so,
// so that "14:00" and "14:00:00Z" are one time when a re-offer is compared.
std::optional<TArrivalTimeReading> ReadArrivalTimeOf(const std::string& written) {
  if (written.empty()) return std::nullopt;
  TArrivalTimeReading reading =
      ReadValue("ArrivalTime", written, [](const std::string& text) { return ReadArrivalTime(text); });
  if (Settings.useUtc && !reading.zoneOffsetMinutes) reading.zoneOffsetMinutes = 0;
  return reading;
}

// By the zone's rules on the stay's own arrival date, so a summer arrival gets
// summer time; 0 (the host's default) when the reservation gives no time.
TDateTime StayArrivalTime(const TParsedReservation& reservation, TDateTime arrivalDate) {
  if (!reservation.arrivalReading) return 0;
  try {
    return LocalArrivalTime(*reservation.arrivalReading, Settings.useUtc, arrivalDate);
  } catch (const EOSError&) {
    throw EUnreadableValue("ArrivalTime", reservation.arrivalTime);
  }
}

// Each room stay starts from the reservation's values, so that none of them
// carries anything of the stay before it.
void ParseRoomStays(const TNodeList& children, TParsedReservation& reservation) {
  for (const XmlNode& child : children) {
    if (!IsElement(child) || child.NodeName() != "RoomStays") continue;
    for (const XmlNode& stay : child.ChildNodes()) {
      if (!IsElement(stay)) continue;
      ParsedStay = reservation.values;
      ParsedStay.ArrivalUnknown = true;
      ParsedStay.DepartureUnknown = true;
      ParseRoomStay(stay.ChildNodes());
      ParsedStay.ArrivalTime = StayArrivalTime(reservation, ParsedStay.ArrivalDate);
      reservation.stays.push_back(ParsedStay);
    }
  }
}

// ---- the walk of the whole reply -------------------------------------------------------

std::string OwnArrivalTime(const TNodeList& children) {
  for (const XmlNode& child : children) {
    if (!IsElement(child) || child.NodeName() != "ResGuests") continue;
    for (const XmlNode& guest : child.ChildNodes())
      if (IsElement(guest) && guest.NodeName() == "ResGuest") return Trim(guest.Attribute("ArrivalTime"));
  }
  return std::string();
}

std::string BookingNumberList() {
  std::string list;
  TTable& responses = DM().tblOtaResponse;
  for (responses.First(); !responses.Eof(); responses.Next())
    list += MsgBookingNo + " - " + responses.FieldByName("BookingNo").AsString() + "\n\r";
  return list;
}

std::string ResultText() {
  std::string text = IntToStr(NewReservationCount) + " - " + MsgNewReservRecorded;
  if (RejectedReservationCount > 0) text += " (" + IntToStr(RejectedReservationCount) + " - " + MsgError + ")";
  return text;
}

TParsedReservation ParseReservation(const TNodeList& children) {
  ParsePOSAndUniqueID(children);
  ParseResGuests(children);
  ParseResGlobalInfo(children);
  const std::string arrivalTime = OwnArrivalTime(children);
  TParsedReservation reservation{ParsedGuest, ParsedStay, arrivalTime, ReadArrivalTimeOf(arrivalTime), {}};
  ParseRoomStays(children, reservation);
  return reservation;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

std::string RefusalText(int place, const std::string& value) {
  const TGuestDataRec& s = ParsedStay;
  const std::string& bookingNo = s.CorvennaID.empty() ? s.TravelBookingNo : s.CorvennaID;
  return Format("Reservation %d of the reply (booking number %s) cannot be imported: its %s cannot be read", place,
                EscapeNonXmlText(bookingNo).c_str(), value.c_str());
}

// A reservation holding a value the import cannot read is refused alone: none
// of it is stored and it is not reported, so the channel manager offers it
// again; the walk goes on with the next.
void WalkReservations(const XmlDocument& doc, std::vector<std::string>& refused) {
  const std::vector<XmlNode> reservations = doc.GetElementsByTagName("HotelReservation");
  if (reservations.empty()) {
    ShowExchangeMessage(TaskIcon::Information, MsgInformation, MsgNoreservation, MsgNoNewReservation);
    return;
  }
  int place = 0;
  for (const XmlNode& element : reservations) {
    ++place;
    StartReservation();
    try {
      SaveReservation(ParseReservation(element.ChildNodes()));
    } catch (const EUnreadableValue& unreadable) {
      refused.push_back(RefusalText(place, unreadable.what()));
    }
  }
  ShowExchangeMessage(TaskIcon::Information, MsgInformation, MsgNewReservation, ResultText(), BookingNumberList());
  if (!refused.empty()) ShowExchangeMessage(TaskIcon::Error, MsgError, MsgError, JoinLines(refused));
}

}  // namespace

TImportFailures ParseReservations(XmlDocument& Doc) {
  Settings = TParseSettings{ReadUseUTCTime(), ReadRateIncludingTax(), ReadUseDot()};
  EnsureImportRecord();
  DM().tblOtaResponse.EmptyTable();
  StartImport();
  // The import writes no room: the rooms are counted once, not for every booking.
  const TRoomCountHold roomCounts;
  TImportFailures failures;
  try {
    WalkReservations(Doc, failures.refusedReservations);
  } catch (const std::exception& error) {
    ShowExchangeMessage(TaskIcon::Error, MsgError, MsgError, error.what());
    failures.stopError = error.what();
  }
  return failures;
}

}  // namespace corvenna
