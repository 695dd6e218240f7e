// Long texts of a reply through quendale-host: an amount of 80,000 thousand
// separators and a comment of 8.8 MB of line breaks are imported and
// confirmed. Their time is bounded by the test's own time-out, not measured
// here (bench/LongTextImportBench.cpp measures it).
#include <gtest/gtest.h>

#include "ReofferFixture.h"

namespace corvenna::test {
namespace {

class LongTextRetrievalTest : public ReofferFixture {};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

std::string Repeated(const std::string& piece, size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (size_t k = 0; k < times; ++k) text += piece;
  return text;
}

TEST_F(LongTextRetrievalTest, ALongAmountAndALongCommentAreImportedAndConfirmed) {
  // 1,071.00 over three nights; the CR is written as a reference so that the parser keeps it.
  const std::string amount = "1" + std::string(80'000, ',') + "071.00";
  const std::string comment = Repeated("x&#13;&#10;", 800'000);
  Offer({Replaced(ReservationXml({"CM-1"}, StayXml("DBL")), "357.00", amount),
         Replaced(ReservationXml({"CM-2"}, StayXml("SGL")), "Late arrival", comment)});
  for (int poll = 1; poll <= 3; ++poll) {
    SCOPED_TRACE(poll);
    const Retrieval run = RetrieveThroughHost({{"LC_ALL", "en_US.UTF-8"}});
    EXPECT_EQ(run.result, poll == 1 ? 2 : 0) << run.error;
    EXPECT_EQ(run.reports, poll == 1 ? (Strings{"CM-1 success", "CM-2 success"}) : Strings{});
  }
  std::string notes;
  for (int k = 0; k < 127; ++k) notes += "x ";
  EXPECT_EQ(Rows("SELECT TravelBookingNo, RoomRateQuoted, SpecRequirements FROM GuestData ORDER BY GuestID"),
            (Strings{"WEB-CM-1|357|Late arrival", "WEB-CM-2|119|" + notes + "x"}));
}

}  // namespace
}  // namespace corvenna::test
