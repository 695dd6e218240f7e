// Text of a reply that is not UTF-8, as quendale-host stores it: valid UTF-8
// in the host database, and the guest recognised by it on a later retrieval.
#include <gtest/gtest.h>

#include "ReofferFixture.h"

namespace corvenna::test {
namespace {

class InvalidTextRetrievalTest : public ReofferFixture {};

struct InvalidText {
  const char* name;
  const char* written;  // as the reply's file holds it
  const char* storedHex;  // of the valid UTF-8 stored for it
};

void PrintTo(const InvalidText& c, std::ostream* out) { *out << c.name; }

class EachInvalidText : public InvalidTextRetrievalTest, public ::testing::WithParamInterface<InvalidText> {};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

// The text in the guest's given name and in the stay's comment.
std::string ReservationWith(const std::string& id, const std::string& text) {
  return ReservationXml({id, "14", "WEB-1", "Zo" + text},
                        Replaced(StayXml("DBL", id == "CM-1" ? R"(Start="2027-03-05" End="2027-03-08")"
                                                             : R"(Start="2027-03-10" End="2027-03-12")"),
                                 "Late arrival", "Late " + text));
}

// Offered first with its report lost, then again beside a second reservation
// of the same guest, then once more: one guest, two bookings, valid text.
TEST_P(EachInvalidText, IsStoredAsValidUtf8AndTheGuestIsFoundAgain) {
  const InvalidText& c = GetParam();
  Offer({ReservationWith("CM-1", c.written)});
  SetOptions([](auto& o) { o.drop.kinds = channelsim::kReport; });
  RetrieveThroughHost();
  SetOptions([](auto&) {});
  ASSERT_EQ(host.StoredBookings(), 1);

  Offer({ReservationWith("CM-1", c.written), ReservationWith("CM-2", c.written)});
  const Retrieval second = RetrieveThroughHost();
  EXPECT_EQ(second.result, 1) << second.error;
  EXPECT_EQ(second.reports, (Strings{"CM-1 success", "CM-2 success"}));
  const Strings tables = HostTables();
  const Retrieval third = RetrieveThroughHost();
  EXPECT_EQ(third.result, 0) << third.error;
  EXPECT_EQ(third.reports, Strings{});
  EXPECT_EQ(HostTables(), tables);

  const std::string zo = "5A6F", late = "4C61746520";
  EXPECT_EQ(Rows("SELECT hex(GivenName) FROM GuestName"), Strings{zo + c.storedHex});
  EXPECT_EQ(Rows("SELECT hex(SpecRequirements) FROM GuestData ORDER BY GuestID"),
            (Strings{late + c.storedHex, late + c.storedHex}));
  EXPECT_EQ(Rows("SELECT COUNT(DISTINCT GuestCode) FROM GuestData"), Strings{"1"});
}

INSTANTIATE_TEST_SUITE_P(
    EachText, EachInvalidText,
    ::testing::Values(InvalidText{"RawLatin1Byte", "\xEB", "EFBFBD"},
                      InvalidText{"SurrogatePairReferences", "&#xD83D;&#xDE00;", "F09F9880"},
                      InvalidText{"SurrogatePairAsBytes", "\xED\xA0\xBD\xED\xB8\x80", "F09F9880"},
                      InvalidText{"LoneHighSurrogateReference", "&#xD83D;x", "EFBFBD78"},
                      InvalidText{"LoneLowSurrogateReference", "&#xDC00;", "EFBFBD"},
                      InvalidText{"PairInTheWrongOrder", "&#xDE00;&#xD83D;", "EFBFBDEFBFBD"},
                      InvalidText{"SequenceCutShort", "\xE2\x82x", "EFBFBD78"},
                      InvalidText{"SequenceCutAtTheEnd", "\xF0\x9F\x98", "EFBFBD"}),
    [](const ::testing::TestParamInfo<InvalidText>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace corvenna::test
