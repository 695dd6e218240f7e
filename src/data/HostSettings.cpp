// The host product's own settings, read only.
#include <optional>

#include "data/Constants.h"
#include "data/OtaGfgIni.h"
#include "data/SettingsAccess.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

std::optional<std::string> productNameOverride;

std::string Numbered(const char* name, int slot) { return name + IntToStr(slot); }

Currency ReadMoneyValue(std::string_view key, const std::string& name) {
  return Currency::FromDouble(ReadFloatValue(key, name, 0.0));
}

void ReadTypeDescGroup(int firstSlot, TTypeDescs& descs) {
  TRegistrySession session(PreferenceKey);
  try {
    for (int i = 0; i < static_cast<int>(descs.size()); ++i) {
      const int slot = firstSlot + i;
      const std::string text = session->ReadString(Numbered("TypeDesc", slot));
      descs[i] = text.empty() ? Numbered("Type", slot) : text;
    }
  } catch (...) {
    for (int i = 0; i < static_cast<int>(descs.size()); ++i) descs[i] = Numbered("Type", firstSlot + i);
  }
}

}  // namespace

std::string ProductNameRes() { return productNameOverride.value_or(std::string(HostProductName)); }
void OverrideProductNameRes(std::optional<std::string> name) { productNameOverride = std::move(name); }

TColor ReadGridStripeColor() {
  TRegistrySession session(ScreenSettingsKey);
  try {
    return StringToColor(session->ReadString("GridStripeColor"));
  } catch (...) {
    return clCream;
  }
}

bool ReadGSTInclusive() { return ReadBooleanValue(GSTSettingsKey, "GSTInclusive", true); }
bool ReadAlwaysAddFixedTax() { return ReadBooleanValue(GSTSettingsKey, "AlwaysAddFixedTax", false); }
bool ReadFixedTaxFirst() { return ReadBooleanValue(GSTSettingsKey, "FixedTaxFirst", true); }
bool ReadCumulativeTax() { return ReadBooleanValue(GSTSettingsKey, "CumulativeTax", true); }
bool ReadFixedInPercent() { return ReadBooleanValue(GSTSettingsKey, "FixedInPercent", true); }

void BuiltInGSTCodes(TGSTCodes& codes, TGSTRates& rates, TGSTCodes& descriptions) {
  codes = {"S", "E", "N", "Z", "A", "B"};
  rates = {Currency::FromRaw(10 * 10000), {}, {}, {}, {}, {}};
  descriptions = {"Standard", "Exempt", "Non-Taxable", "", "", ""};
}

void ReadGSTCodes(TGSTCodes& codes, TGSTRates& rates, TGSTCodes& descriptions) {
  TRegistrySession session(GSTCodeKey);
  try {
    for (int slot = 1; slot <= GSTSlots; ++slot) {
      codes[slot - 1] = session->ReadString(Numbered("GSTCode", slot));
      rates[slot - 1] = Currency::FromDouble(session->ReadFloat(Numbered("GSTRate", slot)));
      descriptions[slot - 1] = session->ReadString(Numbered("GSTDescription", slot));
    }
  } catch (...) {
    BuiltInGSTCodes(codes, rates, descriptions);
  }
}

void ReadAddTaxes(bool& addTax2, bool& addTax3, bool& addTax4) {
  TRegistrySession session(GSTCodeKey);
  try {
    addTax2 = session->ReadBool("AddTax2");
    addTax3 = session->ReadBool("AddTax3");
    addTax4 = session->ReadBool("AddTax4");
  } catch (...) {
    addTax2 = addTax3 = addTax4 = false;
  }
}

Currency ReadFixedTax() { return ReadMoneyValue(GSTLabelKey, "FixedTax"); }

int32_t ReadLanguage() {
  const int32_t unset = ProductNameRes() == FrenchEditionName ? 4 : 1;
  return ReadIntegerValue(MainWindowKey, "Language", unset);
}

void ReadTypeDescs1To8(TTypeDescs& descs) { ReadTypeDescGroup(1, descs); }
void ReadTypeDescs9To16(TTypeDescs& descs) { ReadTypeDescGroup(9, descs); }

int32_t ReadLastAutoGenNo() { return ReadIntegerValue(PreferenceKey, "LastAutoGenNo", 1); }
int32_t ReadMaxNoNights() { return ReadIntegerValue(PreferenceKey, "MaxNoNights", 32); }
TDateTime ReadDefaultArrival() { return ReadFloatValue(PreferenceKey, "DefaultArrival", 0.0); }

std::string ReadLanguageFile() {
  try {
    std::string text = ReadTextValue(PreferenceKey, "LanguageFile");
    if (text.empty()) text = GetMyDocumentsPath() + std::string(DefaultLanguageSubPath);
    return ExpandUserDocs(text);
  } catch (...) {
    return GetMyDocumentsPath() + std::string(DefaultLanguageSubPath);
  }
}

std::string ReadDataDir() {
  const std::string documents = GetMyDocumentsPath();
  try {
    std::string text = ReadTextValue(DataDirectoryKey, "DataDir");
    if (text.empty()) text = documents + std::string(DefaultDatabaseSubPath);
    return ExpandUserDocs(text);
  } catch (...) {
    return documents + std::string(DefaultDatabaseSubPath);
  }
}

std::string ReadDataBaseFileName() {
  const std::string name = ReadTextValue(DataDirectoryKey, "DataBaseFileName");
  return name.empty() ? std::string(DefaultDataBaseFileName) : name;
}

}  // namespace corvenna
