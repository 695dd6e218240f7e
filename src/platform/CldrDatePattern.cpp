#include "platform/CldrDatePattern.h"

#include <unicode/udat.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <array>
#include <memory>

namespace corvenna {
namespace {

struct DateFormatCloser {
  void operator()(UDateFormat* format) const { udat_close(format); }
};
using DateFormatHandle = std::unique_ptr<UDateFormat, DateFormatCloser>;

std::string LanguageOf(const char* localeId) {
  std::array<char, ULOC_LANG_CAPACITY> language{};
  UErrorCode status = U_ZERO_ERROR;
  uloc_getLanguage(localeId, language.data(), static_cast<int32_t>(language.size()), &status);
  return U_SUCCESS(status) ? std::string(language.data()) : std::string();
}

std::string Utf8Of(const UChar* text, int32_t length) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t size = 0;
  u_strToUTF8(nullptr, 0, &size, text, length, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::string out(static_cast<size_t>(size), '\0');
  status = U_ZERO_ERROR;
  u_strToUTF8(out.data(), size, nullptr, text, length, &status);
  return U_SUCCESS(status) ? out : std::string();
}

}  // namespace

std::string CldrFullDatePattern(const std::string& posixLocaleName) {
  std::array<char, ULOC_FULLNAME_CAPACITY> localeId{};
  UErrorCode status = U_ZERO_ERROR;
  uloc_canonicalize(posixLocaleName.c_str(), localeId.data(), static_cast<int32_t>(localeId.size()), &status);
  if (U_FAILURE(status)) return {};
  const std::string language = LanguageOf(localeId.data());
  if (language.empty()) return {};

  const DateFormatHandle format(
      udat_open(UDAT_NONE, UDAT_FULL, localeId.data(), nullptr, 0, nullptr, 0, &status));
  if (U_FAILURE(status) || !format) return {};
  // ICU falls back to the process's default locale, then to the root data:
  // only data of the locale's own language counts.
  const char* actual = udat_getLocaleByType(format.get(), ULOC_ACTUAL_LOCALE, &status);
  if (U_FAILURE(status) || actual == nullptr || LanguageOf(actual) != language) return {};

  std::array<UChar, 256> pattern{};
  const int32_t length =
      udat_toPattern(format.get(), false, pattern.data(), static_cast<int32_t>(pattern.size()), &status);
  if (U_FAILURE(status) || length > static_cast<int32_t>(pattern.size())) return {};
  return Utf8Of(pattern.data(), length);
}

}  // namespace corvenna
