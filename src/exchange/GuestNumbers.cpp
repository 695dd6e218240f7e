#include "exchange/GuestNumbers.h"

#include <optional>

#include "data/OtaDataModule.h"
#include "exchange/HostQuery.h"
#include "platform/Dataset.h"
#include "platform/Errors.h"

namespace corvenna {
namespace {

// Codes of more digits than this cannot be read back as 64-bit numbers.
inline constexpr size_t MaxCodeDigits = 18;

struct TNumberHint {
  bool valid = false;
  int64_t start = 0;        // the search began here (LastAutoGenNo + 1)
  int64_t next = 0;         // every number from start below next is taken
  int64_t dataVersion = 0;  // of the connection, when that was known
};
TNumberHint Hint;
int64_t LastSearchDataVersion = 0;

bool GuestCodeTaken(const std::string& code) {
  THostQuery lookup({"Select 1 from GuestName", "Where GuestCode = :Code", "Limit 1"});
  lookup->ParamByName("Code").SetAsString(code);
  lookup->Open();
  return !lookup->IsEmpty();
}

// Texts of `digits` digits that some number writes as its code: six digits
// with zeros in front, or more digits without a leading zero.
std::string CodePattern(size_t digits) {
  std::string pattern = digits == 6 ? "[0-9]" : "[1-9]";
  for (size_t i = 1; i < digits; ++i) pattern += "[0-9]";
  return pattern;
}

// The smallest taken number at or above `from` of the same number of digits
// whose successor is free. Codes of one length sort as their numbers do.
std::optional<int64_t> LastOfTakenRun(const std::string& from) {
  THostQuery run({"Select a.GuestCode from GuestName a",
               "Where a.GuestCode >= :FromCode and a.GuestCode <= :TopCode",
               " and a.GuestCode glob :Pattern",
               " and not exists (Select 1 from GuestName b",
               "   Where b.GuestCode = printf('%06d', cast(a.GuestCode as integer) + 1))",
               "Order by a.GuestCode",
               "Limit 1"});
  run->ParamByName("FromCode").SetAsString(from);
  run->ParamByName("TopCode").SetAsString(std::string(from.size(), '9'));
  run->ParamByName("Pattern").SetAsString(CodePattern(from.size()));
  run->Open();
  if (run->IsEmpty()) return std::nullopt;
  return std::stoll(run->Fields(0).AsString());
}

int64_t PowerOfTen(size_t digits) {
  int64_t value = 1;
  for (size_t i = 0; i < digits; ++i) value *= 10;
  return value;
}

}  // namespace

std::string GuestCodeText(int64_t number) {
  if (number < 0) return Format("-%06llu", static_cast<unsigned long long>(-(number + 1)) + 1ULL);
  return Format("%06lld", static_cast<long long>(number));
}

int64_t FirstFreeGuestNumber(int64_t lastAutoGenNo) {
  const int64_t start = lastAutoGenNo + 1;
  LastSearchDataVersion = DM().Quendale.DataVersion();
  int64_t number = start;
  if (Hint.valid && Hint.start == start && Hint.dataVersion == LastSearchDataVersion && Hint.next > start)
    number = Hint.next;
  for (; number < 0; ++number)
    if (!GuestCodeTaken(GuestCodeText(number))) return number;
  while (true) {
    const std::string code = GuestCodeText(number);
    if (!GuestCodeTaken(code)) return number;
    if (code.size() > MaxCodeDigits)
      throw EDatabaseError(Format("No free guest code above %lld in table 'GuestName'",
                                  static_cast<long long>(lastAutoGenNo)));
    if (const std::optional<int64_t> last = LastOfTakenRun(code)) return *last + 1;
    // Every code of this length from `code` up is taken.
    number = PowerOfTen(code.size());
  }
}

void RememberGuestNumberTaken(int64_t lastAutoGenNo, int64_t number) {
  Hint = TNumberHint{true, lastAutoGenNo + 1, number + 1, LastSearchDataVersion};
}

void ForgetGuestNumberHint() { Hint = TNumberHint{}; }

}  // namespace corvenna
