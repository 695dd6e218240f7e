#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "data/Constants.h"
#include "data/OtaGfgIni.h"
#include "platform/Errors.h"
#include "support/RegistryFixture.h"
#include "support/ScratchHome.h"
#include "support/ErrorOf.h"

namespace corvenna {
namespace {

namespace fs = std::filesystem;
const std::string GSTCode(GSTCodeKey);
const std::string Preference(PreferenceKey);
const std::string DataDirectory(DataDirectoryKey);
const std::string Screen(ScreenSettingsKey);


class HostSettingsTest : public ::testing::Test {
 protected:
  std::string Docs() const { return home.Documents().string(); }
  test::ScratchHome home;
};

TEST_F(HostSettingsTest, WithoutHostKeysEveryReaderGivesItsDefaultAndCreatesItsKey) {
  EXPECT_EQ(ReadGridStripeColor(), clCream);
  EXPECT_TRUE(ReadGSTInclusive());
  EXPECT_FALSE(ReadAlwaysAddFixedTax());
  EXPECT_TRUE(ReadFixedTaxFirst());
  EXPECT_TRUE(ReadCumulativeTax());
  EXPECT_TRUE(ReadFixedInPercent());
  TGSTCodes codes, descriptions, builtInCodes, builtInDescriptions;
  TGSTRates rates, builtInRates;
  ReadGSTCodes(codes, rates, descriptions);
  BuiltInGSTCodes(builtInCodes, builtInRates, builtInDescriptions);
  EXPECT_EQ(codes, (TGSTCodes{"S", "E", "N", "Z", "A", "B"}));
  EXPECT_EQ(rates, builtInRates);
  EXPECT_EQ(rates[0], Currency::FromRaw(100000));
  EXPECT_EQ(descriptions, (TGSTCodes{"Standard", "Exempt", "Non-Taxable", "", "", ""}));
  bool addTax2 = true, addTax3 = true, addTax4 = true;
  ReadAddTaxes(addTax2, addTax3, addTax4);
  EXPECT_FALSE(addTax2 || addTax3 || addTax4);
  EXPECT_EQ(ReadFixedTax(), Currency{});
  EXPECT_EQ(ReadLanguage(), 1);
  TTypeDescs first, second;
  ReadTypeDescs1To8(first);
  ReadTypeDescs9To16(second);
  EXPECT_EQ(first[0], "Type1");
  EXPECT_EQ(second[7], "Type16");
  EXPECT_EQ(ReadLastAutoGenNo(), 1);
  EXPECT_EQ(ReadMaxNoNights(), 32);
  EXPECT_EQ(ReadDefaultArrival(), 0.0);
  EXPECT_EQ(ReadLanguageFile(), Docs() + "/Quendale/Lan/Language.sil");
  EXPECT_EQ(ReadDataDir(), Docs() + "/Quendale/Database");
  EXPECT_EQ(ReadDataBaseFileName(), "Quendale.abs");
  for (const auto key :
       {ScreenSettingsKey, GSTSettingsKey, GSTCodeKey, GSTLabelKey, MainWindowKey, PreferenceKey, DataDirectoryKey})
    EXPECT_TRUE(test::RegKeyExists(std::string(key))) << key;
}

void StoreGSTTable() {
  for (int slot = 1; slot <= 6; ++slot) {
    const std::string n = std::to_string(slot);
    test::SetString(GSTCode, "GSTCode" + n, "C" + n);
    test::SetDouble(GSTCode, "GSTRate" + n, slot * 2.5);
    test::SetString(GSTCode, "GSTDescription" + n, "Tax " + n);
  }
}

TEST_F(HostSettingsTest, GSTCodesAreReadWholeOrReplacedByTheBuiltInTable) {
  struct Case {
    const char* what;
    std::function<void()> spoil;
    bool builtIn;
    int emptyDescriptionSlot = 0;
  };
  const std::vector<Case> cases = {
      {"all stored", [] {}, false},
      {"missing description reads empty", [] { test::DeleteRegValue(GSTCode, "GSTDescription2"); }, false, 2},
      {"missing rate", [] { test::DeleteRegValue(GSTCode, "GSTRate4"); }, true},
      {"rate as DWORD", [] { test::SetDword(GSTCode, "GSTRate1", 10); }, true},
      {"rate of 4 bytes",
       [] {
         test::SetRawValue(GSTCode, "GSTRate6", REG_BINARY, {0, 0, 0x20, 0x41});
       },
       true},
      {"code of a wrong type", [] { test::SetDword(GSTCode, "GSTCode3", 1); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchHome caseHome;
    StoreGSTTable();
    c.spoil();
    TGSTCodes codes, descriptions, expectedCodes, expectedDescriptions;
    TGSTRates rates, expectedRates;
    ReadGSTCodes(codes, rates, descriptions);
    if (c.builtIn) {
      BuiltInGSTCodes(expectedCodes, expectedRates, expectedDescriptions);
    } else {
      expectedCodes = {"C1", "C2", "C3", "C4", "C5", "C6"};
      expectedRates = {Currency::FromRaw(25000),  Currency::FromRaw(50000),  Currency::FromRaw(75000),
                       Currency::FromRaw(100000), Currency::FromRaw(125000), Currency::FromRaw(150000)};
      expectedDescriptions = {"Tax 1", "Tax 2", "Tax 3", "Tax 4", "Tax 5", "Tax 6"};
      if (c.emptyDescriptionSlot) expectedDescriptions[c.emptyDescriptionSlot - 1] = "";
    }
    EXPECT_EQ(codes, expectedCodes);
    EXPECT_EQ(rates, expectedRates);
    EXPECT_EQ(descriptions, expectedDescriptions);
  }
}

TEST_F(HostSettingsTest, AddTaxesAreReadTogetherOrAllFalse) {
  test::SetDword(GSTCode, "AddTax2", 1);
  test::SetDword(GSTCode, "AddTax4", 1);
  bool addTax2 = true, addTax3 = true, addTax4 = true;
  ReadAddTaxes(addTax2, addTax3, addTax4);
  EXPECT_FALSE(addTax2 || addTax3 || addTax4) << "AddTax3 is missing";
  test::SetDword(GSTCode, "AddTax3", 0);
  ReadAddTaxes(addTax2, addTax3, addTax4);
  EXPECT_TRUE(addTax2);
  EXPECT_FALSE(addTax3);
  EXPECT_TRUE(addTax4);
}

TEST_F(HostSettingsTest, GridStripeColorTakesNamesAndNumbers) {
  struct Case {
    std::string stored;
    TColor expected;
  };
  const std::vector<Case> cases = {
      {"clcream", 0xF0FBFF}, {"CLWINDOW", clWindow}, {"clMoneyGreen", 0xC0DCC0}, {"255", clRed}, {"$FF0000", clBlue},
      {"0x00FF00", clLime},  {"clNone", clNone},     {"banana", clCream},        {"", clCream},  {" 12 ", 12},
  };
  for (const auto& c : cases) {
    test::SetString(Screen, "GridStripeColor", c.stored);
    EXPECT_EQ(ReadGridStripeColor(), c.expected) << c.stored;
  }
  test::SetDword(Screen, "GridStripeColor", 255);
  EXPECT_EQ(ReadGridStripeColor(), clCream);
}

TEST_F(HostSettingsTest, LanguageFallsBackByProductName) {
  const std::string MainWindow(MainWindowKey);
  EXPECT_EQ(ProductNameRes(), "Quendale");
  EXPECT_EQ(ReadLanguage(), 1);
  OverrideProductNameRes("Vardelle");
  EXPECT_EQ(ReadLanguage(), 4);
  test::SetString(MainWindow, "Language", "1");
  EXPECT_EQ(ReadLanguage(), 4);
  OverrideProductNameRes("vardelle");
  EXPECT_EQ(ReadLanguage(), 1);
  OverrideProductNameRes(std::nullopt);
  test::SetDword(MainWindow, "Language", 3);
  EXPECT_EQ(ReadLanguage(), 3);
}

TEST_F(HostSettingsTest, TypeDescriptionsFallBackPerSlotOrPerGroup) {
  for (int slot = 1; slot <= 16; ++slot)
    test::SetString(Preference, "TypeDesc" + std::to_string(slot), "Room " + std::to_string(slot));
  test::SetString(Preference, "TypeDesc5", "");
  test::DeleteRegValue(Preference, "TypeDesc12");
  TTypeDescs first, second;
  ReadTypeDescs1To8(first);
  ReadTypeDescs9To16(second);
  EXPECT_EQ(first, (TTypeDescs{"Room 1", "Room 2", "Room 3", "Room 4", "Type5", "Room 6", "Room 7", "Room 8"}));
  EXPECT_EQ(second, (TTypeDescs{"Room 9", "Room 10", "Room 11", "Type12", "Room 13", "Room 14", "Room 15", "Room 16"}));

  test::SetDword(Preference, "TypeDesc5", 5);
  ReadTypeDescs1To8(first);
  ReadTypeDescs9To16(second);
  EXPECT_EQ(first, (TTypeDescs{"Type1", "Type2", "Type3", "Type4", "Type5", "Type6", "Type7", "Type8"}));
  EXPECT_EQ(second[0], "Room 9");
}

TEST_F(HostSettingsTest, PathReadersExpandOrFallBack) {
  struct Case {
    const char* what;
    std::function<void()> store;
    std::string dataDir, languageFile, fileName;
  };
  const std::string db = Docs() + "/Quendale/Database", lan = Docs() + "/Quendale/Lan/Language.sil";
  const std::vector<Case> cases = {
      {"missing", [] {}, db, lan, "Quendale.abs"},
      {"token paths",
       [] {
         test::SetString(DataDirectory, "DataDir", "{userdocs}\\Quendale\\Database");
         test::SetString(Preference, "LanguageFile", "{userdocs}\\Quendale\\Lan\\Language.sil");
       },
       db, lan, "Quendale.abs"},
      {"plain paths",
       [] {
         test::SetString(DataDirectory, "DataDir", "/srv/hotel");
         test::SetString(Preference, "LanguageFile", "/srv/hotel/Lang.sil");
         test::SetString(DataDirectory, "DataBaseFileName", "{userdocs}.abs");
       },
       "/srv/hotel", "/srv/hotel/Lang.sil", "{userdocs}.abs"},
      {"empty",
       [] {
         test::SetString(DataDirectory, "DataDir", "");
         test::SetString(Preference, "LanguageFile", "");
         test::SetString(DataDirectory, "DataBaseFileName", "");
       },
       db, lan, "Quendale.abs"},
      {"wrong types",
       [] {
         test::SetDword(DataDirectory, "DataDir", 1);
         test::SetDword(Preference, "LanguageFile", 1);
         test::SetDword(DataDirectory, "DataBaseFileName", 1);
       },
       db, lan, "Quendale.abs"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.store();
    EXPECT_EQ(ReadDataDir(), c.dataDir);
    EXPECT_EQ(ReadLanguageFile(), c.languageFile);
    EXPECT_EQ(ReadDataBaseFileName(), c.fileName);
    for (const char* name : {"DataDir", "DataBaseFileName"}) test::DeleteRegValue(DataDirectory, name);
    test::DeleteRegValue(Preference, "LanguageFile");
  }
}

TEST_F(HostSettingsTest, PathReadersRaiseWithoutDocumentsFolder) {
  test::SetString(DataDirectory, "DataDir", "/srv/hotel");
  fs::remove_all(home.Documents());
  EXPECT_EQ(test::ErrorOf([] { ReadDataDir(); }), "Could not determine My Documents path");
  EXPECT_EQ(test::ErrorOf([] { ReadLanguageFile(); }), "Could not determine My Documents path");
  EXPECT_EQ(ReadDataBaseFileName(), "Quendale.abs");
}

TEST_F(HostSettingsTest, NumbersAndFloatsReadOnlyFromTheirTypes) {
  EXPECT_EQ(ReadMaxNoNights(), 32);
  test::SetDword(Preference, "MaxNoNights", 60);
  test::SetDword(Preference, "LastAutoGenNo", 1200);
  EXPECT_EQ(ReadMaxNoNights(), 60);
  EXPECT_EQ(ReadLastAutoGenNo(), 1200);
  test::SetRawValue(Preference, "DefaultArrival", REG_BINARY, {0, 0, 0, 0});
  EXPECT_EQ(ReadDefaultArrival(), 0.0);
  test::SetDouble(Preference, "DefaultArrival", 0.625);
  EXPECT_EQ(ReadDefaultArrival(), 0.625);
  test::SetDouble(std::string(GSTLabelKey), "FixedTax", 2.5);
  EXPECT_EQ(ReadFixedTax(), Currency::FromRaw(25000));
  test::SetString(std::string(GSTSettingsKey), "GSTInclusive", "0");
  EXPECT_TRUE(ReadGSTInclusive());
  test::SetDword(std::string(GSTSettingsKey), "GSTInclusive", 0);
  EXPECT_FALSE(ReadGSTInclusive());
}

}  // namespace
}  // namespace corvenna
