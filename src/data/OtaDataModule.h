#pragma once
// The data module: the one road to the host database, and the values that the
// dialog hands to the exchange.
#include <array>
#include <memory>
#include <string>

#include "platform/Currency.h"
#include "platform/Dataset.h"

namespace corvenna {

// The database component and the datasets over the host's tables, in the
// module's order. Every dataset starts with the database name "Quendale".
class TDM {
 public:
  TDM();
  ~TDM();
  TDM(const TDM&) = delete;
  TDM& operator=(const TDM&) = delete;

  TDatabase Quendale;
  TTable tblOccInventory;
  TTable tblRoomType;
  TQuery qryOccupancy;
  TTable tblOccupancy;
  TQuery qryRoomType;
  TTable tblGuestName;
  TTable tblGuestData;
  TQuery qryGuestData;
  TQuery qryGuestName;
  TTable tblOtaResponse;
  TDataSource dsGuestDQuery;
  TTable tblGuestNotes;
  TTable tblGroup;
};

// The current module instance. DM() raises EDatabaseError when no TDMScope is
// alive; each exported call holds one scope for its whole length.
TDM& DM();
bool DMExists();

// Creates DM for its lifetime and frees it (closing every dataset and the
// connection) when it ends, also when an exception passes. Not nestable.
class TDMScope {
 public:
  TDMScope();
  ~TDMScope();
  TDMScope(const TDMScope&) = delete;
  TDMScope& operator=(const TDMScope&) = delete;
};

// Indexed by host room type 1..16 (index 0 unused); they live as long as the
// library stays loaded.
extern std::array<Currency, 17> RateAmount;
extern std::array<bool, 17> RateSelected;

// Copies of the translated texts that the exchange's messages use; empty until
// the dialog has been created.
extern std::string MsgError;
extern std::string MsgClose;
extern std::string MsgInformation;
extern std::string MsgNoreservation;
extern std::string MsgNoNewReservation;
extern std::string MsgNewReservation;
extern std::string MsgNewReservRecorded;
extern std::string MsgType;
extern std::string MsgCode;
extern std::string MsgBookingNo;

}  // namespace corvenna
