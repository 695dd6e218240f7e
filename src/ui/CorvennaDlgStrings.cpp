// The 38 translated texts: fetched by identifier, ten of them copied for the
// exchange's messages, seven used as the latest-reservations grid titles.
#include <QString>
#include <iterator>

#include "data/OtaDataModule.h"
#include "ui/CorvennaDlg.h"
#include "ui/DatasetTableModel.h"

namespace corvenna {

std::string rsBookingRetrival, rsAvailabilityUpdate, rsRateUpdate, rsDontCheck, rsDontUpdate, rsEveryDay,
    rsMinutes, rsHours, rsToday, rsday, rsdays, rsClose, rsError, rsInformation, rsNoreservation,
    rsNoNewReservation, rsNewReservation, rsNewReservRecorded, rsType, rsCode, rsBookingNo, rsWrongDates,
    rsFromAfterTo, rsNoDays, rsDontSelectMore, rsCompany, rsEnterCompany, rsRoomType, rsPleaseEnterRoomType,
    rsRateCode, rsPleaseEnterRateCode, rsErrorSendingMessage, rsGuestCode, rsGuestID, rsBookingDate,
    rsArrivalDate, rsRoomNo, rsTravelAgent;

namespace {

struct TranslatedText {
  const char* id;
  std::string* text;
  std::string* copy;  // the exchange's copy, or nullptr
};

// In the order of declaration, which is the order of fetching.
const TranslatedText kTexts[] = {
    {"rsBookingRetrival", &rsBookingRetrival, nullptr},
    {"rsAvailabilityUpdate", &rsAvailabilityUpdate, nullptr},
    {"rsRateUpdate", &rsRateUpdate, nullptr},
    {"rsDontCheck", &rsDontCheck, nullptr},
    {"rsDontUpdate", &rsDontUpdate, nullptr},
    {"rsEveryDay", &rsEveryDay, nullptr},
    {"rsMinutes", &rsMinutes, nullptr},
    {"rsHours", &rsHours, nullptr},
    {"rsToday", &rsToday, nullptr},
    {"rsday", &rsday, nullptr},
    {"rsdays", &rsdays, nullptr},
    {"rsClose", &rsClose, &MsgClose},
    {"rsError", &rsError, &MsgError},
    {"rsInformation", &rsInformation, &MsgInformation},
    {"rsNoreservation", &rsNoreservation, &MsgNoreservation},
    {"rsNoNewReservation", &rsNoNewReservation, &MsgNoNewReservation},
    {"rsNewReservation", &rsNewReservation, &MsgNewReservation},
    {"rsNewReservRecorded", &rsNewReservRecorded, &MsgNewReservRecorded},
    {"rsType", &rsType, &MsgType},
    {"rsCode", &rsCode, &MsgCode},
    {"rsBookingNo", &rsBookingNo, &MsgBookingNo},
    {"rsWrongDates", &rsWrongDates, nullptr},
    {"rsFromAfterTo", &rsFromAfterTo, nullptr},
    {"rsNoDays", &rsNoDays, nullptr},
    {"rsDontSelectMore", &rsDontSelectMore, nullptr},
    {"rsCompany", &rsCompany, nullptr},
    {"rsEnterCompany", &rsEnterCompany, nullptr},
    {"rsRoomType", &rsRoomType, nullptr},
    {"rsPleaseEnterRoomType", &rsPleaseEnterRoomType, nullptr},
    {"rsRateCode", &rsRateCode, nullptr},
    {"rsPleaseEnterRateCode", &rsPleaseEnterRateCode, nullptr},
    {"rsErrorSendingMessage", &rsErrorSendingMessage, nullptr},
    {"rsGuestCode", &rsGuestCode, nullptr},
    {"rsGuestID", &rsGuestID, nullptr},
    {"rsBookingDate", &rsBookingDate, nullptr},
    {"rsArrivalDate", &rsArrivalDate, nullptr},
    {"rsRoomNo", &rsRoomNo, nullptr},
    {"rsTravelAgent", &rsTravelAgent, nullptr},
};
static_assert(std::size(kTexts) == 38);

struct GridTitle {
  const char* field;
  const std::string* text;
};

const GridTitle kGridTitles[] = {
    {"GuestID", &rsGuestID},         {"GuestCode", &rsGuestCode},         {"BookingDate", &rsBookingDate},
    {"ArrivalDate", &rsArrivalDate}, {"RoomNumber", &rsRoomNo},           {"TravelBookingNo", &rsBookingNo},
    {"TravelAgent", &rsTravelAgent},
};

}  // namespace

void ClearTranslatedTexts() {
  for (const TranslatedText& entry : kTexts) entry.text->clear();
}

void TdlgCorvenna::UpdateStrings() {
  for (const TranslatedText& entry : kTexts) {
    *entry.text = siLang1_.GetTextOrDefault(entry.id);
    if (entry.copy != nullptr) *entry.copy = *entry.text;
  }
  for (const GridTitle& title : kGridTitles) {
    guestModel_->SetTitleOfField(QString::fromLatin1(title.field), QString::fromStdString(*title.text));
  }
}

void TdlgCorvenna::siLang1ChangeLanguage() { UpdateStrings(); }

}  // namespace corvenna
