#include "data/OtaGfgIni.h"

#include "data/Constants.h"
#include "data/SettingsAccess.h"
#include "platform/DocumentsFolder.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {

std::unique_ptr<TRegistry> Reg;

namespace {

// A value of the plug-in's key: its name and the default that stands in for
// every failure to read it.
template <typename T>
struct TSetting {
  std::string_view name;
  T fallback;
};
using TTextSetting = TSetting<std::string_view>;
using TIntegerSetting = TSetting<int32_t>;
using TBooleanSetting = TSetting<bool>;

constexpr TTextSetting UserName{"UserName", ""};
constexpr TTextSetting Password{"Password", ""};
constexpr TBooleanSetting SavePassword{"SavePassword", true};
constexpr TTextSetting HotelCode{"HotelCode", ""};
constexpr TTextSetting RequestorID{"RequestorID", ""};
constexpr TTextSetting Type{"Type", ""};
constexpr TTextSetting Code{"Code", ""};
constexpr TIntegerSetting StopSale{"StopSale", 0};
constexpr TIntegerSetting MaxAllocation{"MaxAllocation", 0};
constexpr TIntegerSetting CurrencyCode{"CurrencyCode", 0};
constexpr TBooleanSetting RateIncludingTax{"RateIncludingTax", true};
constexpr TBooleanSetting UseUTCTime{"UseUTCTime", true};
constexpr TIntegerSetting FullFlush{"FullFlush", 0};
constexpr TIntegerSetting FlushTime{"FlushTime", 0};
constexpr TTextSetting CorvennaAvailReqUlr{"CorvennaAvailReqUlr", DefaultEndpoint};
constexpr TIntegerSetting AutoCheck{"AutoCheck", 0};
constexpr TBooleanSetting RecalcOccupancy{"RecalcOccupancy", true};
constexpr TBooleanSetting Showmessage{"Showmessage", true};
constexpr TBooleanSetting UseDot{"UseDot", true};
constexpr TBooleanSetting AutoStop{"AutoStop", false};
constexpr TBooleanSetting CorvennaHasError{"CorvennaHasError", false};
constexpr TTextSetting CorvennaErrorMsg{"CorvennaErrorMsg", ""};

// An empty text, stored or standing in for a failure, gives the default.
std::string Read(const TTextSetting& setting, const std::string& name) {
  const std::string text = ReadTextValue(CorvennaKey, name);
  return text.empty() ? std::string(setting.fallback) : text;
}
std::string Read(const TTextSetting& setting) { return Read(setting, std::string(setting.name)); }
int32_t Read(const TIntegerSetting& setting, const std::string& name) {
  return ReadIntegerValue(CorvennaKey, name, setting.fallback);
}
int32_t Read(const TIntegerSetting& setting) { return Read(setting, std::string(setting.name)); }
bool Read(const TBooleanSetting& setting) {
  return ReadBooleanValue(CorvennaKey, std::string(setting.name), setting.fallback);
}

void Write(const TTextSetting& setting, const std::string& value) {
  WriteTextValue(CorvennaKey, std::string(setting.name), value);
}
void Write(const TIntegerSetting& setting, int32_t value) {
  WriteIntegerValue(CorvennaKey, std::string(setting.name), value);
}
void Write(const TBooleanSetting& setting, bool value) {
  WriteBooleanValue(CorvennaKey, std::string(setting.name), value);
}
void WriteNamed(const std::string& name, const std::string& value) { WriteTextValue(CorvennaKey, name, value); }
void WriteNamed(const std::string& name, int32_t value) { WriteIntegerValue(CorvennaKey, name, value); }

bool ValidSlot(int slot) { return slot >= 1 && slot <= RoomTypeSlots; }

template <typename T>
std::string SlotName(const TSetting<T>& family, int slot) {
  return std::string(family.name) + IntToStr(slot);
}

template <typename T, typename V>
void WriteSlot(const TSetting<T>& family, int slot, const V& value) {
  if (!ValidSlot(slot)) throw ERegistryException(Format("Failed to set data for '%s'", SlotName(family, slot).c_str()));
  WriteNamed(SlotName(family, slot), value);
}

}  // namespace

// --- the registry object and its session ---------------------------------------

void CreateRegistry() { Reg = std::make_unique<TRegistry>(KEY_ALL_ACCESS); }

TRegistrySession::TRegistrySession(std::string_view key) {
  CreateRegistry();
  Reg->SetRootKey(HKEY_CURRENT_USER);
  Reg->OpenKey(std::string(key), true);  // a failure shows in the reads and writes
}

TRegistrySession::~TRegistrySession() { Reg.reset(); }

std::string ReadTextValue(std::string_view key, const std::string& name) {
  TRegistrySession session(key);
  try {
    return session->ReadString(name);
  } catch (...) {
    return {};
  }
}

int32_t ReadIntegerValue(std::string_view key, const std::string& name, int32_t fallback) {
  TRegistrySession session(key);
  try {
    return session->FindInteger(name).value_or(fallback);
  } catch (...) {
    return fallback;
  }
}

bool ReadBooleanValue(std::string_view key, const std::string& name, bool fallback) {
  TRegistrySession session(key);
  try {
    const auto value = session->FindInteger(name);
    return value ? *value != 0 : fallback;
  } catch (...) {
    return fallback;
  }
}

double ReadFloatValue(std::string_view key, const std::string& name, double fallback) {
  TRegistrySession session(key);
  try {
    return session->FindFloat(name).value_or(fallback);
  } catch (...) {
    return fallback;
  }
}

void WriteTextValue(std::string_view key, const std::string& name, const std::string& value) {
  TRegistrySession session(key);
  session->WriteString(name, value);
}

void WriteIntegerValue(std::string_view key, const std::string& name, int32_t value) {
  TRegistrySession session(key);
  session->WriteInteger(name, value);
}

void WriteBooleanValue(std::string_view key, const std::string& name, bool value) {
  TRegistrySession session(key);
  session->WriteBool(name, value);
}

// --- paths -----------------------------------------------------------------------

std::string GetMyDocumentsPath() {
  const auto folder = DocumentsFolder();
  if (!folder) throw Exception("Could not determine My Documents path");
  return *folder;
}

// The token is replaced where it stands (not by cutting the value's first ten
// characters, which would mangle a value holding it elsewhere); the host's
// Windows-style separators after it become "/".
std::string ExpandUserDocs(const std::string& value) {
  const std::string documents = GetMyDocumentsPath();
  const auto at = value.find(UserDocsToken);
  if (at == std::string::npos) return value;
  std::string rest = value.substr(at + UserDocsToken.size());
  for (char& c : rest)
    if (c == '\\') c = '/';
  return value.substr(0, at) + documents + rest;
}

// --- the plug-in's key -------------------------------------------------------------

std::string ReadUserName() { return Read(UserName); }
void WriteUserName(const std::string& value) { Write(UserName, value); }
std::string ReadPassword() { return Read(Password); }
void WritePassword(const std::string& value) { Write(Password, value); }
bool ReadSavePassword() { return Read(SavePassword); }
void WriteSavePassword(bool value) { Write(SavePassword, value); }
std::string ReadHotelCode() { return Read(HotelCode); }
void WriteHotelCode(const std::string& value) { Write(HotelCode, value); }
std::string ReadRequestorID() { return Read(RequestorID); }
void WriteRequestorID(const std::string& value) { Write(RequestorID, value); }

std::string ReadType(int slot) { return ValidSlot(slot) ? Read(Type, SlotName(Type, slot)) : std::string(); }
void WriteType(int slot, const std::string& value) { WriteSlot(Type, slot, value); }
std::string ReadCode(int slot) { return ValidSlot(slot) ? Read(Code, SlotName(Code, slot)) : std::string(); }
void WriteCode(int slot, const std::string& value) { WriteSlot(Code, slot, value); }
int32_t ReadStopSale(int slot) {
  return ValidSlot(slot) ? Read(StopSale, SlotName(StopSale, slot)) : StopSale.fallback;
}
void WriteStopSale(int slot, int32_t value) { WriteSlot(StopSale, slot, value); }

int32_t ReadMaxAllocation() { return Read(MaxAllocation); }
void WriteMaxAllocation(int32_t value) { Write(MaxAllocation, value); }
int32_t ReadCurrencyCode() { return Read(CurrencyCode); }
void WriteCurrencyCode(int32_t value) { Write(CurrencyCode, value); }
bool ReadRateIncludingTax() { return Read(RateIncludingTax); }
void WriteRateIncludingTax(bool value) { Write(RateIncludingTax, value); }
bool ReadUseUTCTime() { return Read(UseUTCTime); }
void WriteUseUTCTime(bool value) { Write(UseUTCTime, value); }
int32_t ReadFullFlush() { return Read(FullFlush); }
void WriteFullFlush(int32_t value) { Write(FullFlush, value); }
int32_t ReadFlushTime() { return Read(FlushTime); }
void WriteFlushTime(int32_t value) { Write(FlushTime, value); }
std::string ReadCorvennaAvailReqUlr() { return Read(CorvennaAvailReqUlr); }
void WriteCorvennaAvailReqUlr(const std::string& value) { Write(CorvennaAvailReqUlr, value); }
int32_t ReadAutoCheck() { return Read(AutoCheck); }
void WriteAutoCheck(int32_t value) { Write(AutoCheck, value); }
bool ReadRecalcOccupancy() { return Read(RecalcOccupancy); }
void WriteRecalcOccupancy(bool value) { Write(RecalcOccupancy, value); }
bool ReadShowmessage() { return Read(Showmessage); }
void WriteShowmessage(bool value) { Write(Showmessage, value); }
bool ReadUseDot() { return Read(UseDot); }
void WriteUseDot(bool value) { Write(UseDot, value); }
bool ReadAutoStop() { return Read(AutoStop); }
void WriteAutoStop(bool value) { Write(AutoStop, value); }
void WriteCorvennaHasError(bool value) { Write(CorvennaHasError, value); }
void WriteCorvennaErrorMsg(const std::string& value) { Write(CorvennaErrorMsg, value); }

}  // namespace corvenna
