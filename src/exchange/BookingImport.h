#pragma once
// Importing retrieved reservations: the records a reply is parsed into, the
// import's state that lives as long as the library stays loaded, the parser of
// the retrieval reply and the saving of one room stay into the host database.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ArrivalTime.h"
#include "platform/Currency.h"
#include "platform/DateTime.h"

namespace corvenna {

class XmlDocument;

// The guest of the reservation being imported.
struct TGuestNameRec {
  std::string GivenName;
  std::string FamilyName;
  std::string CompName;
  std::string Address1;
  std::string Address2;
  std::string City;
  std::string State;
  std::string PhoneNumber;
  std::string Email;
  std::string PostCode;
  std::string Country;
};

// One room stay being imported.
struct TGuestDataRec {
  TDateTime BookingDate = 0;
  TDateTime ArrivalDate = 0;
  TDateTime DepartureDate = 0;
  // The local arrival time of the reservation's own first ResGuest, converted
  // on this stay's arrival date; 0 for none. The clear routine leaves it alone.
  TDateTime ArrivalTime = 0;
  std::string RoomNumber;
  int32_t NoRooms = 0;
  std::string RoomTypeCode;
  std::string RatePlanCode;
  int32_t NoAdults = 0;
  int32_t NoChildren = 0;
  std::string TravelAgent;
  std::string CorvennaID;
  std::string TravelBookingNo;
  std::string TravelTypeID;
  std::string ResID_Type;
  std::string ResID_Value;
  std::string GuestID;
  std::string Notes;
  Currency RoomRateQuoted;
  std::string CurrCode;
  int32_t NoOfRooms = 0;
  std::string RateInfo;
  std::string ErrorType;
  std::string ErrorCode;
  std::string ErrorText;
  // The stay's TimeSpan gave no Start or no End: that date is the clear routine's "now".
  bool ArrivalUnknown = false;
  bool DepartureUnknown = false;
};

// One HotelReservation as the walk read it, whole, before anything of it is
// saved: its guest, its own values, and each of its room stays (every stay
// record carries the reservation's values too).
struct TParsedReservation {
  TGuestNameRec guest;
  TGuestDataRec values;
  std::string arrivalTime;  // of its own first ResGuest, as written
  std::optional<TArrivalTimeReading> arrivalReading;  // of that text; none when it is empty
  std::vector<TGuestDataRec> stays;
};

// OtaResponse.Valid: success when every room stay of the reservation is stored
// (now or by an earlier import), else the first refusal among them.
inline constexpr int32_t ValidStored = 0;
inline constexpr int32_t ValidNoRoomType = 1;
inline constexpr int32_t ValidNoRoom = 2;

extern TGuestNameRec ParsedGuest;
extern TGuestDataRec ParsedStay;
// Bookings stored and room stays not stored by the current (or last) retrieval.
extern int32_t NewReservationCount;
extern int32_t RejectedReservationCount;
// The open group's main booking (0: no group open) and its guest's names.
extern int32_t GroupMainGuestID;
extern std::string GroupMainGivenName;
extern std::string GroupMainFamilyName;
// Carried to later room stays that name no travel agent or booking number.
extern std::string LastTravelBookingNo;
extern std::string LastTravelAgent;
// Arrival of the last room stay saved; "now" at the start of a retrieval.
extern TDateTime PrevArrivalDate;

// Resets the room stay, and the guest too when ClearGuest.
void ClearReservationRecord(bool ClearGuest);

// Begins an import: the counters start at 0, no booking of it exists yet, and
// the settings a save needs (LastAutoGenNo, DefaultArrival, Type1..Type16)
// are read once more, at its first save.
void StartImport();
// Begins the walk of one reservation: the record starts empty, so nothing of
// the reservation before it is carried into this one.
void StartReservation();

// The place (1, 2, ...) in the reply of the reservation that the OtaResponse
// row of that booking number reports; 0 for none.
int32_t ReplyPositionOf(const std::string& bookingNo);

// Stores a whole reservation as one transaction: guests, bookings (as many
// of a room stay as its NumberOfUnits; all of a stay or none), group rows,
// occupancy, the import record and its one OtaResponse row are written
// together or not at all. Its identity (channel id, or agent and booking
// number) is taken as its own elements gave it, before the fill-ins. A
// reservation the import record holds bookings of is judged as a whole
// against the reservation as first offered: the same one stores only the
// stays not stored yet; a changed one stores nothing and is refused
// (Valid 2). A stay without an arrival or a departure, or with fewer than one
// unit, is refused (Valid 2). Returns the bookings stored. Raises on a
// database failure, with the import's state as it was before the call.
int32_t SaveReservation(const TParsedReservation& reservation);

// The RoomNo of the first room of host room type `slot` that is free from
// arrival to departure, or the empty text; a room without a number is none.
std::string FindFreeRoom(int slot, TDateTime arrival, TDateTime departure);
// Up to `count` such rooms, in the order FindFreeRoom takes them.
std::vector<std::string> FindFreeRooms(int slot, TDateTime arrival, TDateTime departure, int32_t count);

// Opens DM().qryGuestName on the GuestName rows with the parsed guest's given
// name, family name and e-mail, on its first row.
void OpenGuestNameQuery();

struct TImportFailures {
  // One text per reservation refused for a value the import cannot read,
  // naming its place in the reply, its booking number and the value.
  std::vector<std::string> refusedReservations;
  // The failure that ended the walk; empty when it went through the whole reply.
  std::string stopError;
};

// Imports the retrieval reply: creates the import record when the database
// lacks it and empties OtaResponse (a failure of either raises),
// then reads and saves every HotelReservation in turn and tells the user the
// outcome unless SilentRun. A reservation holding a value that cannot be
// read is refused alone (nothing of it stored, no OtaResponse row); any other
// failure ends the walk with an error message and goes no further.
TImportFailures ParseReservations(XmlDocument& Doc);

// An xs:date text at midnight; raises EConvertError for any other text.
TDateTime XSDateToDateTime(const std::string& text);

// Puts every import global back to its state at load (tests).
void ResetImportStateForTesting();

}  // namespace corvenna
