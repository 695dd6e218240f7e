#include "data/OtaDataModule.h"

#include "platform/Errors.h"

namespace corvenna {

std::array<Currency, 17> RateAmount{};
std::array<bool, 17> RateSelected{};

std::string MsgError;
std::string MsgClose;
std::string MsgInformation;
std::string MsgNoreservation;
std::string MsgNoNewReservation;
std::string MsgNewReservation;
std::string MsgNewReservRecorded;
std::string MsgType;
std::string MsgCode;
std::string MsgBookingNo;

namespace {

std::unique_ptr<TDM>& Instance() {
  static std::unique_ptr<TDM> instance;
  return instance;
}

constexpr const char* StoredDatabaseName = "Quendale";

void Name(TDataSet& dataset, const char* tableName = nullptr) {
  dataset.SetDatabaseName(StoredDatabaseName);
  if (tableName != nullptr) static_cast<TTable&>(dataset).SetTableName(tableName);
}

}  // namespace

TDM::TDM()
    : Quendale(StoredDatabaseName),
      tblOccInventory("tblOccInventory"),
      tblRoomType("tblRoomType"),
      qryOccupancy("qryOccupancy"),
      tblOccupancy("tblOccupancy"),
      qryRoomType("qryRoomType"),
      tblGuestName("tblGuestName"),
      tblGuestData("tblGuestData"),
      qryGuestData("qryGuestData"),
      qryGuestName("qryGuestName"),
      tblOtaResponse("tblOtaResponse"),
      tblGuestNotes("tblGuestNotes"),
      tblGroup("tblGroup") {
  Name(tblOccInventory, "OccInventory");
  Name(tblRoomType, "RoomType");
  Name(qryOccupancy);
  qryOccupancy.SQL().Add("Select * from Occupancy");
  Name(tblOccupancy, "Occupancy");
  Name(qryRoomType);
  qryRoomType.SQL().Add("Select * from Occupancy");
  Name(tblGuestName, "GuestName");
  Name(tblGuestData, "GuestData");
  Name(qryGuestData);
  Name(qryGuestName);
  qryGuestName.SQL().Add("Select * from guestname");
  Name(tblOtaResponse, "OtaResponse");
  dsGuestDQuery.SetDataSet(&qryGuestData);
  Name(tblGuestNotes, "GuestNotes");
  Name(tblGroup, "Group");
}

TDM::~TDM() = default;

TDM& DM() {
  if (!Instance()) throw EDatabaseError("The data module DM has not been created");
  return *Instance();
}

bool DMExists() { return Instance() != nullptr; }

TDMScope::TDMScope() {
  if (Instance()) throw EDatabaseError("The data module DM already exists");
  Instance() = std::make_unique<TDM>();
}

TDMScope::~TDMScope() { Instance().reset(); }

}  // namespace corvenna
