// The dialog's life cycle: creation in its fixed order, the caption's version
// suffix, and the close handler that prunes old day logs and disconnects.
#include "ui/CorvennaDlg.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QCheckBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <filesystem>

#include "data/Constants.h"
#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "data/OtaOpenTables.h"
#include "exchange/ExchangeFrame.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Messages.h"
#include "platform/ModuleInfo.h"
#include "ui/ComboBox.h"
#include "ui/DatasetTableModel.h"
#include "ui/RadioGroup.h"

namespace corvenna {

TDateTime StartDate = 0;
TDateTime EndDate = 0;
TDateTime PickedDate = 0;
int32_t AllocationLimit = 0;
Currency LastRateValue;
std::unique_ptr<TdlgCorvenna> dlgCorvenna;

namespace {

constexpr int OuterHeight = 609;
// The day logs 7 to 21 days old go when the dialog closes.
constexpr int FirstPrunedDay = 7;
constexpr int PrunedDays = 15;

std::string TwoDigits(uint16_t value) { return Format(value < 10 ? "0%d" : "%d", value); }

void DeleteIfPresent(const std::string& name) {
  std::error_code error;
  if (std::filesystem::exists(name, error)) std::filesystem::remove(name, error);
}

}  // namespace

std::string VersionSuffix(const TFileVersion& v) {
  return Format(" - V%d.", v.Major) + TwoDigits(v.Minor) + " R" + TwoDigits(v.Release) + " (build " +
         TwoDigits(v.Build) + ")";
}

TdlgCorvenna::TdlgCorvenna(QWidget* parent)
    : QDialog(parent), siLang1_({"English", "Dutch", "French", "Italian", "Spanish"}) {
  BuildLayout();
  try {
    FormCreate();
  } catch (const std::exception& error) {
    ShowErrorBox(error.what());
  }
}

TdlgCorvenna::~TdlgCorvenna() {
  // Destroying the form raises no handler: no focus loss reaches the rate fields.
  for (const TRoomTypeRow& row : rows_) {
    row.edtRate->removeEventFilter(this);
    row.edtStop->removeEventFilter(this);
  }
  edtMaxAllocation->removeEventFilter(this);
  siLang1_.SetOnChangeLanguage(nullptr);
  dbgGuest->setModel(nullptr);
}

void TdlgCorvenna::FormCreate() {
  edtXmlFile->hide();
  btnSelectXml->hide();
  // Before the window is shown its frame is unknown, so the outer height is the client's.
  setFixedHeight(OuterHeight - (frameGeometry().height() - height()));
  OpenHostDatabase();
  SetTablesActive(true);
  LoadTranslations();
  UpdateStrings();
  SetTabOrders();
  LoadRoomTypeGrid();
  LoadCompanySettings();
  FillActionList();
  LoadCurrencySettings();
  InitLatestReservationPage();
  LoadAutoCheckSettings();
  LoadRoomTypeLabels();
  Memo1->clear();
  PageControl->setCurrentWidget(tsCompanyInfo);
  AppendVersionSuffix();
}

void TdlgCorvenna::LoadTranslations() {
  siLang1_.ClearTranslations();
  const std::string path = ReadLanguageFile();
  // No file means the built-in texts. A file that cannot be read, or what is no
  // regular file, is reported and the built-in texts stay: the rest of the
  // form must still load, or a Send would store its empty fields.
  std::error_code error;
  try {
    if (std::filesystem::exists(path, error)) siLang1_.LoadAllFromFile(path);
  } catch (const EOSError& failure) {
    ShowErrorBox(failure.what());
  }
  siLang1_.SetActiveLanguage(ReadLanguage());
}

void TdlgCorvenna::SetTabOrders() {
  // Tab stops only: the page control as its tab bar (a widget ordered after
  // the page control itself would land behind the fields of its pages), and
  // the action group's items, made later by the action list, placed by the group.
  std::vector<QWidget*> chain{PageControl->tabBar(), edtHotelUserName, edtHotelPassword, edtHotelCode,
                              cbRememberPassword,    edtUrl,           edtRequestorID,   edtFromDate,
                              btnFromDate,           edtToDate,        btnToDate,        cbAutoStop,
                              edtMaxAllocation,      cbUseDot,         cbCurrencyCode,   cbIncludingTax,
                              cbUseUTCTime,          cbAutoCheck,      cbFullFlush,      cbFlushTime,
                              cbRecalcOccupancy,     cbShowmessage};
  for (const TRoomTypeRow& row : rows_) {
    chain.insert(chain.end(), {row.edtType, row.edtCode, row.edtRate, row.edtStop, row.cbUpdate});
  }
  chain.insert(chain.end(), {edtXmlFile, btnSelectXml, Memo1, cbNumberDays, dbgGuest, btnSend, btnCancel});
  for (size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
  rgAction->SetTabPredecessor(cbAutoStop);
}

void TdlgCorvenna::AppendVersionSuffix() {
  TFileVersion version;
  const std::string fileName = GetLibraryFileName();
  const bool found = ReadFileVersion(fileName, version.Major, version.Minor, version.Release, version.Build);
  const std::string suffix = found ? VersionSuffix(version) : " Ver ?";
  setWindowTitle(windowTitle() + QString::fromStdString(suffix));
}

void TdlgCorvenna::FormClose() {
  const TDateTime today = Today();
  for (int i = 0; i < PrunedDays; ++i) {
    const TDateTime day = IncDay(today, -(i + FirstPrunedDay));
    DeleteIfPresent(GetMyDocumentsPath() + std::string(OtaLogSubPath) + DayLogName(day));
  }
  SetTablesActive(false);
  DM().Quendale.SetConnected(false);
}

void TdlgCorvenna::done(int result) {
  try {
    FormClose();
  } catch (const std::exception& error) {
    ShowErrorBox(error.what());
    return;
  }
  QDialog::done(result);
}

void TdlgCorvenna::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      QWidget::keyPressEvent(event);
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace corvenna
