#pragma once
// The reservations the channel manager holds: every HotelReservation of every
// OTA_ResRetrieveRS file (*.xml, in name order) of one folder.
#include <pugixml.hpp>

#include <string>
#include <vector>

namespace channelsim {

struct Reservation {
  // The ID of the second UniqueID child, or of the only one; empty when it has
  // none, so such a reservation can never be marked delivered.
  std::string deliveryKey;
  // Element names without prefixes; references and entities kept as written
  // in the file, so that a reference to a character that no parser keeps
  // (&#0;) is offered as the channel's data holds it.
  pugi::xml_node element;
};

class ReservationFolder {
 public:
  // A missing folder holds no reservation; a file that is not XML is skipped.
  explicit ReservationFolder(const std::string& dir);
  const std::vector<Reservation>& Reservations() const { return reservations_; }

 private:
  pugi::xml_document store_;
  std::vector<Reservation> reservations_;
};

// "soap:Body" -> "Body".
std::string LocalName(const char* name);
// Renames the element and its descendants to their local names.
void StripPrefixes(pugi::xml_node element);

}  // namespace channelsim
