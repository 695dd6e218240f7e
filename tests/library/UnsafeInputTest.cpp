// Settings and replies that would break an exchange: a setting XML cannot
// carry is never sent, a reply nested without end is no XML, and a huge reply
// does not make a huge day log.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "LibraryHarness.h"
#include "data/Constants.h"
#include "platform/XmlCharacters.h"
#include "support/RegistryFixture.h"

namespace corvenna::test {
namespace {

namespace fs = std::filesystem;

constexpr size_t kLogEntryCap = 8u * 1024u * 1024u;
constexpr const char* kCutLine = "<--cut at 8 MiB: the message copy holds the whole document-->";

// A read reply of the channel manager, with `inside` in its OTA element.
std::string ReadReply(const std::string& inside) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
         "<OTA_ResRetrieveRS xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\"><Success/>" +
         inside + "</OTA_ResRetrieveRS></soap:Body></soap:Envelope>";
}

std::string Nested(size_t depth) {
  std::string text;
  text.reserve(depth * 7);
  for (size_t i = 0; i < depth; ++i) text += "<a>";
  for (size_t i = 0; i < depth; ++i) text += "</a>";
  return text;
}

// channel-sim answers the read with `body`, as it stands.
channelsim::Options ReadAnsweredWith(const std::string& body) {
  channelsim::Options options;
  options.httpStatus.kinds = channelsim::kRead;
  options.httpStatus.status = 200;
  options.httpStatus.body = body;
  return options;
}

class UnsafeInputTest : public ::testing::Test {
 protected:
  LoadedLibrary library;
};

TEST_F(UnsafeInputTest, ASettingXmlCannotCarryIsNamedAndNothingIsSent) {
  enum class Call { Retrieval, Update };
  const struct {
    const char* setting;
    std::string value;
    Call call;
  } cases[] = {
      {"UserName", "front\x01" "desk", Call::Retrieval},
      {"Password", "s3\x1b" "cret", Call::Retrieval},
      {"HotelCode", "HT\x01L", Call::Retrieval},
      {"HotelCode", "HO\xFFTEL", Call::Retrieval},          // no UTF-8
      {"HotelCode", "HO\xED\xA0\x80TEL", Call::Retrieval},  // a lone surrogate
      {"HotelCode", "HO\xEF\xBF\xBETEL", Call::Update},     // U+FFFE
      {"RequestorID", "RE\x07Q", Call::Update},
      {"Type2", "DB\x02L", Call::Update},
      {"Code3", "B\x0b" "AR", Call::Update},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting);
    LibraryHost host;
    SetString(std::string(CorvennaKey), c.setting, c.value);
    StderrCapture quiet;
    if (c.call == Call::Retrieval)
      EXPECT_EQ(library.BookingRetrival(0), -1);
    else
      library.AvailUpdate(47000, 47010);
    const std::string message = library.LastError();
    EXPECT_EQ(message, "The setting " + std::string(c.setting) + " holds a character that XML cannot carry");
    EXPECT_TRUE(host.sim->Received().empty());
    EXPECT_TRUE(fs::is_empty(host.Documents() / "Quendale" / "Temp"));
  }
}

// An OTA message is a dozen elements deep; the bookings beside a nesting of
// thousands are not stored either.
TEST_F(UnsafeInputTest, ADeeplyNestedReplyIsNoXmlAndStoresNothing) {
  const std::string reservation = ReadFileText(SampleReservationsDir + std::string("/01-direct.xml"));
  const std::string reservations = reservation.substr(reservation.find("<ReservationsList"),
                                                      reservation.rfind("</ReservationsList>") -
                                                          reservation.find("<ReservationsList") + 19);
  for (const size_t depth : {size_t{300}, size_t{100'000}}) {
    SCOPED_TRACE(depth);
    LibraryHost host(true, SampleReservationsDir, ReadAnsweredWith(ReadReply(reservations + Nested(depth))));
    StderrCapture quiet;
    EXPECT_EQ(library.BookingRetrival(0), -1);
    EXPECT_EQ(std::string(library.LastError()), "The reply is not an XML document");
    EXPECT_EQ(host.StoredBookings(), 0);
    for (const auto& log : fs::directory_iterator(host.OtaDir())) EXPECT_EQ(fs::file_size(log), 0u) << log.path();
  }
  // Nesting that stays within the limit is an ordinary reply.
  LibraryHost host(true, SampleReservationsDir, ReadAnsweredWith(ReadReply(reservations + Nested(240))));
  StderrCapture quiet;
  EXPECT_EQ(library.BookingRetrival(0), 1);
  EXPECT_STREQ(library.LastError(), "");
}

// The day log entry of a reply larger than the cap ends in the cut line and
// stays within the cap as written; the message copy keeps the whole reply.
TEST_F(UnsafeInputTest, ALargeReplyIsCutInTheDayLogButNotInItsCopy) {
  std::string notes;
  // Multi-byte characters everywhere, so that a careless cut would split one.
  const std::string note = "<Text>Blick über den See – Zimmer mit Balkon ✓</Text>";
  while (notes.size() < 12u * 1024u * 1024u) notes += note;
  const std::string reply = ReadReply("<TPA_Extensions>" + notes + "</TPA_Extensions>");
  LibraryHost host(true, SampleReservationsDir, ReadAnsweredWith(reply));
  StderrCapture quiet;
  EXPECT_EQ(library.BookingRetrival(0), 0);
  EXPECT_STREQ(library.LastError(), "");

  std::string log;
  for (const auto& file : fs::directory_iterator(host.OtaDir())) log = ReadFileText(file.path());
  const size_t marker = log.find("<--RetriveRS-->\r\n\r\n");
  ASSERT_NE(marker, std::string::npos);
  const std::string entry = log.substr(marker + 19);
  const std::string lastLine = std::string(kCutLine) + "\r\n";
  EXPECT_LE(entry.size(), kLogEntryCap);
  EXPECT_GT(entry.size(), kLogEntryCap - 4096);
  EXPECT_EQ(entry.substr(entry.size() - lastLine.size()), lastLine);
  EXPECT_TRUE(IsXmlText(log)) << "the cut split a character";
  const std::string copy = ReadFileText(host.Documents() / "Quendale" / "Temp" / "ResRetriveRS.xml");
  EXPECT_GT(copy.size(), notes.size());
  EXPECT_EQ(copy.substr(copy.size() - 16), "</soap:Envelope>");
}

}  // namespace
}  // namespace corvenna::test
