#include "support/ReservationXml.h"

#include "platform/Errors.h"

namespace corvenna::test {

std::string Reply(const std::string& reservations) {
  return "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
         "<OTA_ResRetrieveRS xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\"><Success/>"
         "<ReservationsList>" +
         reservations + "</ReservationsList></OTA_ResRetrieveRS></soap:Body></soap:Envelope>";
}

std::string Ids(const std::string& first, const std::string& second) {
  return "<UniqueID Type=\"14\" ID=\"" + first + "\"/><UniqueID Type=\"16\" ID=\"" + second + "\"/>";
}

std::string Guest(const std::string& given, const std::string& family, const std::string& more,
                  const std::string& attributes) {
  return "<ResGuest" + attributes + "><Profiles><ProfileInfo><Profile><Customer><PersonName><GivenName>" + given +
         "</GivenName><Surname>" + family + "</Surname></PersonName>" + more +
         "</Customer></Profile></ProfileInfo></Profiles></ResGuest>";
}

std::string Span(int from, int to) {
  return Format("<TimeSpan Start=\"2027-05-%02d\" End=\"2027-05-%02d\"/>", from, to);
}

std::string Stay(const std::string& code, int from, int to, const std::string& more) {
  return "<RoomStay><RoomRates><RoomRate RoomTypeCode=\"" + code + "\"/></RoomRates>" + Span(from, to) + more +
         "</RoomStay>";
}

std::string Reservation(const std::string& id, const std::string& stays, const std::string& guests,
                        const std::string& more) {
  return "<HotelReservation>" + Ids("TB-" + id, id) + "<RoomStays>" + stays + "</RoomStays><ResGuests>" +
         (guests.empty() ? Guest("Guest", id) : guests) +
         "</ResGuests><ResGlobalInfo><HotelReservationIDs><HotelReservationID ResID_Type=\"14\" ResID_Value=\"H-" +
         id + "\"/></HotelReservationIDs></ResGlobalInfo>" + more + "</HotelReservation>";
}

}  // namespace corvenna::test
