#pragma once
// The configuration and operations dialog. Creating it connects the data
// module to the host database, loads the translations and fills the controls;
// every exported call therefore creates it, also when it is never shown.
#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "platform/Translations.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolButton;
class QWidget;

namespace corvenna {

class TComboBox;
class TRadioGroup;
class DatasetTableModel;

// Module-level state of the dialog unit.
extern TDateTime StartDate;
extern TDateTime EndDate;
extern TDateTime PickedDate;
extern int32_t AllocationLimit;
extern Currency LastRateValue;

// The 38 translated texts, named like their translation identifiers; empty
// until the first UpdateStrings.
extern std::string rsBookingRetrival, rsAvailabilityUpdate, rsRateUpdate, rsDontCheck, rsDontUpdate,
    rsEveryDay, rsMinutes, rsHours, rsToday, rsday, rsdays, rsClose, rsError, rsInformation,
    rsNoreservation, rsNoNewReservation, rsNewReservation, rsNewReservRecorded, rsType, rsCode,
    rsBookingNo, rsWrongDates, rsFromAfterTo, rsNoDays, rsDontSelectMore, rsCompany, rsEnterCompany,
    rsRoomType, rsPleaseEnterRoomType, rsRateCode, rsPleaseEnterRateCode, rsErrorSendingMessage,
    rsGuestCode, rsGuestID, rsBookingDate, rsArrivalDate, rsRoomNo, rsTravelAgent;
// Empties all 38 (what the unit's finalisation does; tests use it too).
void ClearTranslatedTexts();

// The four version numbers of the caption's suffix.
struct TFileVersion {
  uint16_t Major = 0, Minor = 0, Release = 0, Build = 0;
};
// " - V2.01 R03 (build 45)" for 2.1.3.45.
std::string VersionSuffix(const TFileVersion& version);

// One row of the room-type grid, slot 1..16.
struct TRoomTypeRow {
  QLabel* lblType = nullptr;
  QLineEdit* edtType = nullptr;
  QLineEdit* edtCode = nullptr;
  QLineEdit* edtRate = nullptr;
  QLineEdit* edtStop = nullptr;
  QCheckBox* cbUpdate = nullptr;
};

// The items of rgAction, in list order.
enum ActionIndex { BookingRetrievalAction = 0, AvailabilityUpdateAction = 1, RateUpdateAction = 2 };

class TdlgCorvenna : public QDialog {
  Q_OBJECT

 public:
  // Builds the form, then runs FormCreate; a failure there is shown in the
  // platform's error box and the dialog exists anyway.
  explicit TdlgCorvenna(QWidget* parent = nullptr);
  ~TdlgCorvenna() override;

  // Published handlers.
  void UpdateStrings();
  void btnSendClick();
  void FormClose();
  void FormCreate();
  void btnFromDateClick();
  void btnToDateClick();
  // key: the UTF-16 code of the typed character; set to 0 to drop it.
  void edtRate1KeyPress(QObject* sender, char16_t& key);
  void edtRate1Enter(QObject* sender);
  void edtRate1Exit(QObject* sender);
  void edtMaxAllocationKeyPress(QObject* sender, char16_t& key);
  void edtStop1KeyPress(QObject* sender, char16_t& key);
  void rgActionClick();
  void PageControlChange();
  void cbNumberDaysCloseUp();
  void siLang1ChangeLanguage();
  void pmuCopyClick();
  void pmuSelectAllClick();
  void btnSelectXmlClick();

  void ShowLatestReservations();

  // The translation store standing in for the form's translation component
  // and its language dispatcher.
  TTranslations& siLang1() { return siLang1_; }
  // The room-type grid row of slot 1..16.
  const TRoomTypeRow& Row(int slot) const { return rows_.at(static_cast<size_t>(slot - 1)); }

 protected:
  // Runs FormClose before the modal loop ends; a failure there keeps the dialog open.
  void done(int result) override;
  // No button is the default or the cancel one: Escape and Enter close nothing.
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildLayout();
  QWidget* BuildCompanyInfoPage();
  QWidget* BuildResultPage();
  QWidget* BuildLatestReservationPage();
  QWidget* BuildButtonPanel();
  QGroupBox* BuildCompanyGroup(QWidget* parent);
  QGroupBox* BuildSelectDatesGroup(QWidget* parent);
  void BuildActionGroup(QWidget* parent);
  QGroupBox* BuildBookingLimitGroup(QWidget* parent);
  QGroupBox* BuildAutoCheckGroup(QWidget* parent);
  QGroupBox* BuildRoomTypeGroup(QWidget* parent);
  void ConnectHandlers();

  void SetTabOrders();
  void LoadTranslations();
  void AppendVersionSuffix();

  void LoadRoomTypeGrid();
  void LoadCompanySettings();
  void FillActionList();
  void LoadCurrencySettings();
  void InitLatestReservationPage();
  void LoadAutoCheckSettings();
  void LoadRoomTypeLabels();

  // Send's entry checks; each shows its own message before it fails.
  bool CheckCompanyInfo();
  bool CheckRoomTypes();
  bool CheckRateCodes();
  bool CheckDates();
  void StoreSettings();
  // Runs the action chosen in rgAction and lists its copies; false when its
  // date check stopped it.
  bool RunChosenAction(bool& failed);
  void FillRateAmounts();
  void ApplyRememberPassword();
  // The calendar on date; the date it hands back goes to date and field.
  void PickDate(TDateTime& date, QLineEdit* field);

  TTranslations siLang1_;
  std::array<TRoomTypeRow, 16> rows_{};
  std::unique_ptr<DatasetTableModel> guestModel_;

 public:
  // Controls, named as their object names.
  QTabWidget* PageControl = nullptr;
  QWidget* tsCompanyInfo = nullptr;
  QWidget* tsResult = nullptr;
  QWidget* tsLatestReservation = nullptr;
  QWidget* pnlMain = nullptr;
  QWidget* pnlEdit = nullptr;
  QGroupBox* cbCompanyInfo = nullptr;
  QLineEdit* edtHotelUserName = nullptr;
  QLineEdit* edtHotelPassword = nullptr;
  QLineEdit* edtHotelCode = nullptr;
  QCheckBox* cbRememberPassword = nullptr;
  QLineEdit* edtUrl = nullptr;
  QLineEdit* edtRequestorID = nullptr;
  QGroupBox* cbSelectDates = nullptr;
  QLabel* lblFromDate = nullptr;
  QLabel* lblToDate = nullptr;
  QLineEdit* edtFromDate = nullptr;
  QToolButton* btnFromDate = nullptr;
  QLineEdit* edtToDate = nullptr;
  QToolButton* btnToDate = nullptr;
  QCheckBox* cbAutoStop = nullptr;
  TRadioGroup* rgAction = nullptr;
  QGroupBox* gbBookingLimit = nullptr;
  QLineEdit* edtMaxAllocation = nullptr;
  QCheckBox* cbUseDot = nullptr;
  TComboBox* cbCurrencyCode = nullptr;
  QCheckBox* cbIncludingTax = nullptr;
  QCheckBox* cbUseUTCTime = nullptr;
  QGroupBox* gbAutoCheck = nullptr;
  TComboBox* cbAutoCheck = nullptr;
  TComboBox* cbFullFlush = nullptr;
  TComboBox* cbFlushTime = nullptr;
  QCheckBox* cbRecalcOccupancy = nullptr;
  QCheckBox* cbShowmessage = nullptr;
  QGroupBox* gbRoomTypeID = nullptr;
  QLabel* lblUpdate = nullptr;
  QLineEdit* edtXmlFile = nullptr;
  QPushButton* btnSelectXml = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* pmuCopy = nullptr;
  QAction* pmuSelectAll = nullptr;
  QWidget* pnlNoDay = nullptr;
  TComboBox* cbNumberDays = nullptr;
  QTableView* dbgGuest = nullptr;
  QPushButton* btnSend = nullptr;
  QPushButton* btnCancel = nullptr;
};

// The dialog of the running exported call (created and destroyed by it).
extern std::unique_ptr<TdlgCorvenna> dlgCorvenna;

}  // namespace corvenna
