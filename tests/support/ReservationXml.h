#pragma once
// Retrieval replies written in tests: a SOAP reply around reservations, and
// reservations, room stays and guests in the shapes channel managers send.
#include <string>

namespace corvenna::test {

// An OTA_ResRetrieveRS in a SOAP envelope listing the given reservations.
std::string Reply(const std::string& reservations);
// Two UniqueID elements: the travel booking number, then the channel's id.
std::string Ids(const std::string& first, const std::string& second);
std::string Guest(const std::string& given, const std::string& family, const std::string& more = "",
                  const std::string& attributes = "");
// A TimeSpan from and to days of May 2027.
std::string Span(int from, int to);
// A room stay of that room type code in May 2027.
std::string Stay(const std::string& code, int from, int to, const std::string& more = "");
// One reservation with its own ids ("TB-" + id and id), guest and hotel reservation id.
std::string Reservation(const std::string& id, const std::string& stays, const std::string& guests = "",
                        const std::string& more = "");

}  // namespace corvenna::test
