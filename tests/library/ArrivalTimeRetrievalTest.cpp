// The arrival time a guest writes, as quendale-host stores it: read in every
// xs:time form under the user's locale, and converted by the zone's rules on
// the booking's own arrival date. Each retrieval is a run of the program, with
// the locale and the time zone of its environment.
#include <gtest/gtest.h>

#include <locale.h>

#include "ReofferFixture.h"
#include "data/Constants.h"
#include "support/RegistryFixture.h"

namespace corvenna::test {
namespace {

using Env = std::map<std::string, std::string>;

class ArrivalTimeRetrievalTest : public ReofferFixture {
 protected:
  void SetUp() override {
    ReofferFixture::SetUp();
    SetDouble(std::string(PreferenceKey), "DefaultArrival", 14.0 / 24);
  }

  void StartAfresh() {
    Exec("DELETE FROM GuestData; DELETE FROM GuestName; DELETE FROM \"Group\"; DELETE FROM Occupancy; "
         "DELETE FROM OtaImport");
    host.sim->ResetDelivered();
  }
  void UseUtcTime(bool on) { SetDword(std::string(CorvennaKey), "UseUTCTime", on ? 1 : 0); }

  // Each booking's travel booking number and stored Arrivaltime in milliseconds
  // (a neighbouring day counted from the arrival date's midnight, as stored).
  Strings ArrivalTimes() const {
    return Rows("SELECT TravelBookingNo, CAST(ROUND(Arrivaltime * 86400000) AS INTEGER) FROM GuestData "
                "ORDER BY GuestID");
  }
};

std::string WithArrivalTime(const std::string& id, const std::string& time, const std::string& timeSpan) {
  std::string reservation = ReservationXml({id}, StayXml("DBL", timeSpan));
  const std::string written = "ArrivalTime=\"15:30:00\"";
  return reservation.replace(reservation.find(written), written.size(), "ArrivalTime=\"" + time + "\"");
}

std::string Milliseconds(int hours, int minutes, int seconds = 0, int msecs = 0) {
  return std::to_string(((hours * 60 + minutes) * 60 + seconds) * 1000 + msecs);
}

bool LocaleInstalled(const char* name) {
  locale_t probe = newlocale(LC_ALL_MASK, name, nullptr);
  if (probe == nullptr) return false;
  freelocale(probe);
  return true;
}

struct Form {
  const char* time;
  const char* stored;  // milliseconds; empty: refused as unreadable
};

struct LocaleForms {
  const char* locale;
  std::vector<Form> forms;
};

// Without UseUTCTime, in Berlin in March (UTC+1): a time without a zone is
// kept as local time, one with a zone is converted from it. Each locale reads
// its own format and not the other's, which shows the program runs under it.
TEST_F(ArrivalTimeRetrievalTest, EveryXsTimeFormIsReadUnderTheUsersLocale) {
  const std::vector<Form> xsForms = {{"14:00:00", "50400000"},
                                     {"14:00:00.5", "50400500"},
                                     {"14:00:00Z", "54000000"},
                                     {"14:00:00+02:00", "46800000"}};
  const LocaleForms locales[] = {
      {"en_US.UTF-8", {{"2:00:00 PM", "50400000"}, {"14.00.00", ""}}},
      {"fi_FI.UTF-8", {{"14.00.00", "50400000"}, {"14.00", "50400000"}}},
  };
  UseUtcTime(false);
  for (const LocaleForms& l : locales) {
    SCOPED_TRACE(l.locale);
    if (!LocaleInstalled(l.locale)) {
      ADD_FAILURE() << l.locale << " is not installed (scripts/install-deps.sh generates it)";
      continue;
    }
    StartAfresh();
    std::vector<Form> forms = xsForms;
    forms.insert(forms.end(), l.forms.begin(), l.forms.end());
    Strings reservations, reports, stored;
    for (size_t i = 0; i < forms.size(); ++i) {
      const std::string id = "CM-" + std::to_string(i + 1);
      const std::string day = std::to_string(10 + 3 * i);
      reservations.push_back(
          WithArrivalTime(id, forms[i].time, "Start=\"2027-03-" + day + "\" End=\"2027-03-" + std::to_string(12 + 3 * i) + "\""));
      if (*forms[i].stored == '\0') continue;
      reports.push_back(id + " success");
      stored.push_back("WEB-" + id + "|" + forms[i].stored);
    }
    Offer(reservations);
    const bool refusing = reports.size() < forms.size();
    const Env env{{"LC_ALL", l.locale}, {"TZ", "Europe/Berlin"}};
    for (int poll = 1; poll <= 3; ++poll) {
      SCOPED_TRACE(poll);
      const Retrieval run = RetrieveThroughHost(env);
      EXPECT_EQ(run.result, refusing ? -1 : (poll == 1 ? static_cast<int>(reports.size()) : 0)) << run.error;
      EXPECT_EQ(run.reports, poll == 1 ? reports : Strings{});
      EXPECT_EQ(ArrivalTimes(), stored);
      if (refusing) {
        EXPECT_NE(run.error.find("its ArrivalTime \"14.00.00\" cannot be read"), std::string::npos) << run.error;
      }
    }
  }
}

struct Conversion {
  const char* zone;
  const char* what;
  const char* time;
  const char* timeSpan;
  std::string stored;
};

// With UseUTCTime, as the hotel has it by default: the zone's rules on the
// arrival date, summer time included, and a value of the next day where the
// local arrival falls after midnight.
TEST_F(ArrivalTimeRetrievalTest, ConvertsByTheZonesRulesOnTheArrivalDate) {
  const Conversion cases[] = {
      {"Asia/Kathmandu", "UTC+05:45", "14:20:00", R"(Start="2027-03-05" End="2027-03-08")", Milliseconds(20, 5)},
      {"Asia/Kolkata", "UTC+05:30", "14:00:00", R"(Start="2027-03-05" End="2027-03-08")", Milliseconds(19, 30)},
      {"Europe/Berlin", "winter", "14:00:00", R"(Start="2027-01-15" End="2027-01-18")", Milliseconds(15, 0)},
      {"Europe/Berlin", "summer", "14:00:00", R"(Start="2027-07-15" End="2027-07-18")", Milliseconds(16, 0)},
      {"Europe/Berlin", "the day summer time begins", "14:00:00", R"(Start="2027-03-28" End="2027-03-30")",
       Milliseconds(16, 0)},
      {"Pacific/Apia", "UTC+13, past midnight", "14:00:00", R"(Start="2027-03-05" End="2027-03-08")",
       std::to_string(86400000 + 3 * 3600000)},
      {"Pacific/Apia", "a zone of its own", "14:00:00+13:00", R"(Start="2027-03-05" End="2027-03-08")",
       Milliseconds(14, 0)},
  };
  for (const Conversion& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + ", " + c.what);
    StartAfresh();
    Offer({WithArrivalTime("CM-1", c.time, c.timeSpan)});
    for (int poll = 1; poll <= 3; ++poll) {
      SCOPED_TRACE(poll);
      const Retrieval run = RetrieveThroughHost({{"TZ", c.zone}});
      EXPECT_EQ(run.result, poll == 1 ? 1 : 0) << run.error;
      EXPECT_EQ(run.reports, poll == 1 ? Strings{"CM-1 success"} : Strings{});
      EXPECT_EQ(ArrivalTimes(), Strings{"WEB-CM-1|" + c.stored});
    }
  }
}

// Its report lost, the reservation comes again with its arrival time written
// another way: under UseUTCTime the same time, so the same reservation, stored
// once.
TEST_F(ArrivalTimeRetrievalTest, AReofferComparesTheConvertedTime) {
  Offer({WithArrivalTime("CM-1", "14:00", R"(Start="2027-03-05" End="2027-03-08")")});
  SetOptions([](auto& o) { o.drop.kinds = channelsim::kReport; });
  RetrieveThroughHost();
  SetOptions([](auto&) {});
  ASSERT_EQ(host.StoredBookings(), 1);
  const Strings tables = HostTables();

  Offer({WithArrivalTime("CM-1", "14:00:00.000Z", R"(Start="2027-03-05" End="2027-03-08")")});
  const Retrieval again = RetrieveThroughHost();
  EXPECT_EQ(again.result, 0);
  EXPECT_EQ(again.reports, Strings{"CM-1 success"});
  EXPECT_EQ(RetrieveThroughHost().reports, Strings{});
  EXPECT_EQ(HostTables(), tables);
}

}  // namespace
}  // namespace corvenna::test
