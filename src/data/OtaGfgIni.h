#pragma once
// The plug-in's settings in the current user's registry key
// "\Software\Quendale\Corvenna", the host product's settings it reads, and the
// small tax, currency and GUID helpers. Nothing is cached: every call goes to
// the registry. Readers never raise (a default stands in for every failure);
// writers raise ERegistryException "Failed to set data for '<name>'". During
// a call of the library a store that cannot be opened or read is tried once
// (platform/RegistryCall.h); the call checks for that failure itself.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Colors.h"
#include "platform/Currency.h"
#include "platform/DateTime.h"

namespace corvenna {

inline constexpr int RoomTypeSlots = 16;
inline constexpr int GSTSlots = 6;

// The current user's Documents folder, without a trailing "/"; raises
// Exception "Could not determine My Documents path".
std::string GetMyDocumentsPath();
// A value holding "{userdocs}" gets its first ten characters replaced by the
// Documents folder; the folder is looked up for every value, so its failure
// passes on even for a value without the token.
std::string ExpandUserDocs(const std::string& value);

// Makes the unit's one registry object (current user, full access). The
// accessors call it themselves and release the object before they return.
void CreateRegistry();

// --- the plug-in's key -------------------------------------------------------
std::string ReadUserName();
void WriteUserName(const std::string& value);
std::string ReadPassword();
void WritePassword(const std::string& value);
bool ReadSavePassword();
void WriteSavePassword(bool value);
std::string ReadHotelCode();
void WriteHotelCode(const std::string& value);
std::string ReadRequestorID();
void WriteRequestorID(const std::string& value);

// Room-type slot 1..16. A slot outside reads as the default; writing one
// raises ERegistryException "Failed to set data for '<name>'".
std::string ReadType(int slot);
void WriteType(int slot, const std::string& value);
std::string ReadCode(int slot);
void WriteCode(int slot, const std::string& value);
int32_t ReadStopSale(int slot);
void WriteStopSale(int slot, int32_t value);

int32_t ReadMaxAllocation();
void WriteMaxAllocation(int32_t value);
int32_t ReadCurrencyCode();
void WriteCurrencyCode(int32_t value);
bool ReadRateIncludingTax();
void WriteRateIncludingTax(bool value);
bool ReadUseUTCTime();
void WriteUseUTCTime(bool value);
int32_t ReadFullFlush();
void WriteFullFlush(int32_t value);
int32_t ReadFlushTime();
void WriteFlushTime(int32_t value);
// A missing or empty value gives DefaultEndpoint (Constants.h).
std::string ReadCorvennaAvailReqUlr();
void WriteCorvennaAvailReqUlr(const std::string& value);
int32_t ReadAutoCheck();
void WriteAutoCheck(int32_t value);
bool ReadRecalcOccupancy();
void WriteRecalcOccupancy(bool value);
bool ReadShowmessage();
void WriteShowmessage(bool value);
bool ReadUseDot();
void WriteUseDot(bool value);
bool ReadAutoStop();
void WriteAutoStop(bool value);
void WriteCorvennaHasError(bool value);
void WriteCorvennaErrorMsg(const std::string& value);

#define CORVENNA_SLOT_ACCESSORS(n)                                            \
  inline std::string ReadType##n() { return ReadType(n); }                    \
  inline void WriteType##n(const std::string& value) { WriteType(n, value); } \
  inline std::string ReadCode##n() { return ReadCode(n); }                    \
  inline void WriteCode##n(const std::string& value) { WriteCode(n, value); } \
  inline int32_t ReadStopSale##n() { return ReadStopSale(n); }                \
  inline void WriteStopSale##n(int32_t value) { WriteStopSale(n, value); }
CORVENNA_SLOT_ACCESSORS(1)
CORVENNA_SLOT_ACCESSORS(2)
CORVENNA_SLOT_ACCESSORS(3)
CORVENNA_SLOT_ACCESSORS(4)
CORVENNA_SLOT_ACCESSORS(5)
CORVENNA_SLOT_ACCESSORS(6)
CORVENNA_SLOT_ACCESSORS(7)
CORVENNA_SLOT_ACCESSORS(8)
CORVENNA_SLOT_ACCESSORS(9)
CORVENNA_SLOT_ACCESSORS(10)
CORVENNA_SLOT_ACCESSORS(11)
CORVENNA_SLOT_ACCESSORS(12)
CORVENNA_SLOT_ACCESSORS(13)
CORVENNA_SLOT_ACCESSORS(14)
CORVENNA_SLOT_ACCESSORS(15)
CORVENNA_SLOT_ACCESSORS(16)
#undef CORVENNA_SLOT_ACCESSORS

// --- the host product's settings (read only) ---------------------------------
// The host's product name ("Quendale"); a test may put another in its place.
std::string ProductNameRes();
void OverrideProductNameRes(std::optional<std::string> name);

TColor ReadGridStripeColor();  // clCream when missing or not a colour
bool ReadGSTInclusive();
bool ReadAlwaysAddFixedTax();
bool ReadFixedTaxFirst();
bool ReadCumulativeTax();
bool ReadFixedInPercent();

// Index 0 holds slot 1. Rates are percentages as money (10 % is 10.0000).
using TGSTCodes = std::array<std::string, GSTSlots>;
using TGSTRates = std::array<Currency, GSTSlots>;
void BuiltInGSTCodes(TGSTCodes& codes, TGSTRates& rates, TGSTCodes& descriptions);
// Any failure gives the whole built-in table.
void ReadGSTCodes(TGSTCodes& codes, TGSTRates& rates, TGSTCodes& descriptions);
// Any failure gives all three false.
void ReadAddTaxes(bool& addTax2, bool& addTax3, bool& addTax4);
Currency ReadFixedTax();

int32_t ReadLanguage();  // missing: 4 for the product "Vardelle", else 1
// Index 0 holds slot 1 (resp. 9); empty texts become "Type<slot>", any failure
// gives the whole group its "Type<slot>" names.
using TTypeDescs = std::array<std::string, 8>;
void ReadTypeDescs1To8(TTypeDescs& descs);
void ReadTypeDescs9To16(TTypeDescs& descs);
int32_t ReadLastAutoGenNo();     // 1
int32_t ReadMaxNoNights();       // 32
TDateTime ReadDefaultArrival();  // 0
// Documents + "/Quendale/Lan/Language.sil" by default; raises when the
// Documents folder cannot be determined.
std::string ReadLanguageFile();
// Documents + "/Quendale/Database" by default; raises when the Documents folder
// cannot be determined.
std::string ReadDataDir();
std::string ReadDataBaseFileName();  // "Quendale.abs"

// --- small utilities ----------------------------------------------------------
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", or empty when no GUID can be made.
std::string NewGuidString();
// (77 R + 151 G + 28 B) div 256 > 128, system colours resolved first.
bool IsLightColor(TColor color);
// The amount with the host's configured taxes added; unchanged when the host's
// prices include GST.
Currency AddTaxes(Currency amount);
// By the run-time FormatSettings: currency string, format 0..3, decimals.
std::string CurrencyToText(Currency value);
// 0 for empty text; raises EConvertError "'%s' is not a valid floating point value".
Currency TextToCurrency(const std::string& text);

}  // namespace corvenna
