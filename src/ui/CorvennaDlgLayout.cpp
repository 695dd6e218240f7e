// The widgets of the dialog as the stored form lays them out. Every control is
// a child of its container (Qt owns it) and carries its name as object name.
#include <QAction>
#include <QCheckBox>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>

#include "data/OtaDataModule.h"
#include "ui/ComboBox.h"
#include "ui/CorvennaDlg.h"
#include "ui/DatasetTableModel.h"
#include "ui/RadioGroup.h"

namespace corvenna {
namespace {

constexpr int ClientWidth = 861;
constexpr int ClientHeight = 619;
constexpr int ButtonPanelHeight = 41;
constexpr int GridFirstRowTop = 39;
constexpr int GridRowStep = 27;

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& caption, int left, int top) {
  auto* label = Named(new QLabel(caption, parent), name);
  label->move(left, top);
  label->adjustSize();
  return label;
}

// A field keeps its stored left unless one of its labels, in the font in use,
// would reach under it; then it starts just right of the widest.
int FieldLeft(std::initializer_list<const QLabel*> labels, int storedLeft) {
  constexpr int LabelGap = 6;
  int left = storedLeft;
  for (const QLabel* label : labels) left = std::max(left, label->geometry().right() + 1 + LabelGap);
  return left;
}

// A column heading of the room-type grid, centred over its column; its font
// shrinks, down to a floor, until the caption fits the column's width.
QLabel* AddHeading(QWidget* parent, const char* name, const QString& caption, int left, int width) {
  constexpr double LargestPoints = 8, SmallestPoints = 6.5;
  constexpr int ColumnGap = 5;
  auto* label = Named(new QLabel(caption, parent), name);
  QFont font = label->font();
  font.setPointSizeF(LargestPoints);
  while (font.pointSizeF() > SmallestPoints && QFontMetrics(font).horizontalAdvance(caption) > width)
    font.setPointSizeF(font.pointSizeF() - 0.5);
  label->setFont(font);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
  label->setGeometry(left - ColumnGap / 2, 20, width + ColumnGap, GridFirstRowTop - 20 - 2);
  return label;
}

QLineEdit* AddEdit(QWidget* parent, const char* name, int left, int top, int width) {
  auto* edit = Named(new QLineEdit(parent), name);
  edit->setGeometry(left, top, width, 21);
  return edit;
}

QCheckBox* AddCheck(QWidget* parent, const char* name, const QString& caption, int left, int top) {
  auto* check = Named(new QCheckBox(caption, parent), name);
  check->move(left, top);
  check->adjustSize();
  return check;
}

TComboBox* AddCombo(QWidget* parent, const char* name, int left, int top, int width) {
  auto* combo = Named(new TComboBox(parent), name);
  combo->setGeometry(left, top, width, 21);
  return combo;
}

QGroupBox* AddGroup(QWidget* parent, const char* name, const QString& caption, QRect bounds) {
  auto* group = Named(new QGroupBox(caption, parent), name);
  group->setGeometry(bounds);
  return group;
}

QToolButton* AddGlyphButton(QWidget* parent, const char* name, int left, int top) {
  auto* button = Named(new QToolButton(parent), name);
  button->setText(QStringLiteral("..."));
  button->setGeometry(left, top, 21, 21);
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

std::string SlotName(const char* prefix, int slot) { return std::string(prefix) + std::to_string(slot); }

std::vector<TGridColumn> GuestGridColumns() {
  return {
      {"GuestID", "ID", Qt::AlignHCenter, 86},
      {"GuestCode", "Guest code", Qt::AlignLeft, 86},
      {"BookingDate", "Booking date", Qt::AlignHCenter, 86},
      {"ArrivalDate", "Arrival date", Qt::AlignHCenter, 86},
      {"RoomNumber", "Room", Qt::AlignHCenter, 86},
      {"TravelBookingNo", "Boooking no", Qt::AlignHCenter, 180},
      {"TravelAgent", "Travel agent", Qt::AlignHCenter, 180},
  };
}

}  // namespace

void TdlgCorvenna::BuildLayout() {
  setObjectName(QStringLiteral("dlgCorvenna"));
  setWindowTitle(QStringLiteral("Corvenna V2"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(ClientWidth, ClientHeight);

  auto* form = new QVBoxLayout(this);
  form->setContentsMargins(0, 0, 0, 0);
  form->setSpacing(0);
  PageControl = Named(new QTabWidget(this), "PageControl");
  PageControl->setDocumentMode(true);
  // At least the stored 120 pixels, wider where the caption needs it.
  PageControl->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { min-width: 120px; }"));
  PageControl->addTab(BuildCompanyInfoPage(), QStringLiteral("Company info"));
  PageControl->addTab(BuildResultPage(), QStringLiteral("Result"));
  PageControl->addTab(BuildLatestReservationPage(), QStringLiteral("Latest reservation"));
  form->addWidget(PageControl, 1);
  form->addWidget(BuildButtonPanel());
  ConnectHandlers();
}

QWidget* TdlgCorvenna::BuildCompanyInfoPage() {
  tsCompanyInfo = Named(new QWidget, "tsCompanyInfo");
  auto* page = new QVBoxLayout(tsCompanyInfo);
  page->setContentsMargins(0, 0, 0, 0);
  auto* panel = Named(new QFrame(tsCompanyInfo), "pnlMain");
  pnlMain = panel;
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(5);
  panel->setBackgroundRole(QPalette::Base);
  panel->setAutoFillBackground(true);
  page->addWidget(panel);

  cbCompanyInfo = BuildCompanyGroup(panel);
  cbSelectDates = BuildSelectDatesGroup(panel);
  BuildActionGroup(panel);
  gbBookingLimit = BuildBookingLimitGroup(panel);
  gbAutoCheck = BuildAutoCheckGroup(panel);
  gbRoomTypeID = BuildRoomTypeGroup(panel);
  edtXmlFile = AddEdit(panel, "edtXmlFile", 12, 505, 740);
  btnSelectXml = Named(new QPushButton(QStringLiteral("Select Xml"), panel), "btnSelectXml");
  btnSelectXml->setGeometry(760, 503, 77, 25);
  btnSelectXml->setAutoDefault(false);
  return tsCompanyInfo;
}

QGroupBox* TdlgCorvenna::BuildCompanyGroup(QWidget* parent) {
  QGroupBox* group = AddGroup(parent, "cbCompanyInfo", QStringLiteral("Company information"), {12, 11, 421, 150});
  const QLabel* userName = AddLabel(group, "lblUsername", QStringLiteral("User name"), 10, 23);
  const QLabel* password = AddLabel(group, "lblPassword", QStringLiteral("Password"), 10, 50);
  const QLabel* requestor = AddLabel(group, "Label1", QStringLiteral("Requestor ID"), 10, 121);
  const int column = FieldLeft({userName, password, requestor}, 90);
  edtHotelUserName = AddEdit(group, "edtHotelUserName", column, 20, 130);
  edtHotelPassword = AddEdit(group, "edtHotelPassword", column, 47, 130);
  edtHotelPassword->setEchoMode(QLineEdit::Password);
  // 42 is "*"; the styles mask with a dot of their own.
  edtHotelPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
  const QLabel* hotelCode = AddLabel(group, "lblHotelCode", QStringLiteral("Hotel code"), 232, 23);
  constexpr int HotelCodeRight = 410;
  const int hotelCodeLeft = FieldLeft({hotelCode}, 300);
  edtHotelCode = AddEdit(group, "edtHotelCode", hotelCodeLeft, 20, HotelCodeRight - hotelCodeLeft);
  cbRememberPassword = AddCheck(group, "cbRememberPassword", QStringLiteral("Remember password"), 232, 49);
  AddLabel(group, "lblCorvennaUrl", QStringLiteral("Corvenna Url"), 10, 72);
  edtUrl = AddEdit(group, "edtUrl", 10, 88, 390);
  edtRequestorID = AddEdit(group, "edtRequestorID", column, 118, 130);
  return group;
}

QGroupBox* TdlgCorvenna::BuildSelectDatesGroup(QWidget* parent) {
  QGroupBox* group = AddGroup(parent, "cbSelectDates", QStringLiteral("Select dates"), {12, 167, 229, 104});
  QFont font(QStringLiteral("Sans Serif"));
  font.setPointSize(8);
  group->setFont(font);
  lblFromDate = AddLabel(group, "lblFromDate", QStringLiteral("From date"), 8, 23);
  edtFromDate = AddEdit(group, "edtFromDate", 70, 20, 110);
  edtFromDate->setReadOnly(true);
  btnFromDate = AddGlyphButton(group, "btnFromDate", 186, 20);
  lblToDate = AddLabel(group, "lblToDate", QStringLiteral("To date"), 8, 50);
  edtToDate = AddEdit(group, "edtToDate", 70, 47, 110);
  edtToDate->setReadOnly(true);
  btnToDate = AddGlyphButton(group, "btnToDate", 186, 47);
  cbAutoStop = AddCheck(group, "cbAutoStop", QStringLiteral("Auto remove stop sell"), 8, 76);
  return group;
}

void TdlgCorvenna::BuildActionGroup(QWidget* parent) {
  rgAction = Named(new TRadioGroup(QStringLiteral("Action"), parent), "rgAction");
  rgAction->setGeometry(247, 167, 186, 104);
}

QGroupBox* TdlgCorvenna::BuildBookingLimitGroup(QWidget* parent) {
  QGroupBox* group =
      AddGroup(parent, "gbBookingLimit", QStringLiteral("Booking limits / Codes"), {16, 277, 421, 102});
  const QLabel* maxRoom = AddLabel(group, "lblMaxRoom", QStringLiteral("Max room allocation"), 10, 23);
  const QLabel* currCode = AddLabel(group, "lblCurrCode", QStringLiteral("Currency code"), 10, 51);
  const int column = FieldLeft({maxRoom, currCode}, 140);
  edtMaxAllocation = AddEdit(group, "edtMaxAllocation", column, 20, 40);
  cbCurrencyCode = AddCombo(group, "cbCurrencyCode", column, 48, 110);
  cbCurrencyCode->SetListFitsItems(true);
  const int useDotLeft = std::max(200, edtMaxAllocation->geometry().right() + 21);
  cbUseDot = AddCheck(group, "cbUseDot", QStringLiteral("Use . (dot) as decimal separator"), useDotLeft, 21);
  cbIncludingTax = AddCheck(group, "cbIncludingTax", QStringLiteral("Rate Including Tax"), 10, 76);
  cbUseUTCTime = AddCheck(group, "cbUseUTCTime", QStringLiteral("Use UTC time format"), 200, 76);
  return group;
}

QGroupBox* TdlgCorvenna::BuildAutoCheckGroup(QWidget* parent) {
  QGroupBox* group = AddGroup(parent, "gbAutoCheck", QStringLiteral("Auto check reservation"), {16, 385, 421, 112});
  const QLabel* every =
      AddLabel(group, "lblAutoCheckReservation", QStringLiteral("Auto check for new reservation every"), 10, 23);
  cbAutoCheck = AddCombo(group, "cbAutoCheck", FieldLeft({every}, 240), 20, 140);
  const QLabel* fullFlush =
      AddLabel(group, "lblPerformFullFlush", QStringLiteral("Perform a full flush updates"), 10, 50);
  cbFullFlush = AddCombo(group, "cbFullFlush", FieldLeft({fullFlush}, 170), 47, 110);
  const QLabel* at = AddLabel(group, "lblAt", QStringLiteral("at"), cbFullFlush->geometry().right() + 8, 50);
  cbFlushTime = AddCombo(group, "cbFlushTime", FieldLeft({at}, 305), 47, 90);
  cbRecalcOccupancy =
      AddCheck(group, "cbRecalcOccupancy", QStringLiteral("Recalculate occupany level prior to update"), 10, 72);
  cbShowmessage = AddCheck(group, "cbShowmessage", QStringLiteral("Show message"), 10, 90);
  return group;
}

QGroupBox* TdlgCorvenna::BuildRoomTypeGroup(QWidget* parent) {
  QGroupBox* group = AddGroup(parent, "gbRoomTypeID", QStringLiteral("Room type ID and rates"), {443, 11, 394, 486});
  AddHeading(group, "lblRoomType", QStringLiteral("Room type"), 100, 57);
  AddHeading(group, "lblRoomCode", QStringLiteral("Room code"), 162, 57);
  AddHeading(group, "lblRate", QStringLiteral("Rate"), 224, 57);
  AddHeading(group, "lblStopSale", QStringLiteral("Stop sale"), 286, 57);
  lblUpdate = AddHeading(group, "lblUpdate", QStringLiteral("Update"), 348, 41);
  for (int slot = 1; slot <= 16; ++slot) {
    const int top = GridFirstRowTop + GridRowStep * (slot - 1);
    TRoomTypeRow& row = rows_[static_cast<size_t>(slot - 1)];
    row.lblType = Named(new QLabel(QStringLiteral("Type %1").arg(slot), group), SlotName("lblType", slot).c_str());
    row.lblType->setGeometry(5, top, 90, 21);
    row.lblType->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row.edtType = AddEdit(group, SlotName("edtType", slot).c_str(), 100, top, 57);
    row.edtCode = AddEdit(group, SlotName("edtCode", slot).c_str(), 162, top, 57);
    row.edtRate = AddEdit(group, SlotName("edtRate", slot).c_str(), 224, top, 57);
    row.edtStop = AddEdit(group, SlotName("edtStop", slot).c_str(), 286, top, 57);
    row.cbUpdate = AddCheck(group, SlotName("cbUpdate", slot).c_str(), QString(), 355, top + 2);
    row.cbUpdate->resize(17, 17);
  }
  return group;
}

QWidget* TdlgCorvenna::BuildResultPage() {
  tsResult = Named(new QWidget, "tsResult");
  auto* page = new QVBoxLayout(tsResult);
  page->setContentsMargins(0, 0, 0, 0);
  auto* panel = Named(new QFrame(tsResult), "pnlResult");
  auto* inner = new QVBoxLayout(panel);
  inner->setContentsMargins(0, 0, 0, 0);
  Memo1 = Named(new QPlainTextEdit(panel), "Memo1");
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Tab moves on, as in the other fields, rather than typing into the XML.
  Memo1->setTabChangesFocus(true);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
  inner->addWidget(Memo1);
  page->addWidget(panel);

  PopupMenu1 = Named(new QMenu(this), "PopupMenu1");
  pmuCopy = Named(PopupMenu1->addAction(QStringLiteral("Copy")), "pmuCopy");
  Named(PopupMenu1->addSeparator(), "N1");
  pmuSelectAll = Named(PopupMenu1->addAction(QStringLiteral("Select All")), "pmuSelectAll");
  return tsResult;
}

QWidget* TdlgCorvenna::BuildLatestReservationPage() {
  tsLatestReservation = Named(new QWidget, "tsLatestReservation");
  auto* page = new QVBoxLayout(tsLatestReservation);
  page->setContentsMargins(0, 0, 0, 0);
  page->setSpacing(0);
  pnlNoDay = Named(new QFrame(tsLatestReservation), "pnlNoDay");
  pnlNoDay->setFixedHeight(41);
  auto* top = new QHBoxLayout(pnlNoDay);
  top->addWidget(Named(new QLabel(QStringLiteral("Show lastest reservation for"), pnlNoDay), "lblShowlatest"));
  cbNumberDays = Named(new TComboBox(pnlNoDay), "cbNumberDays");
  cbNumberDays->setMinimumWidth(120);
  top->addWidget(cbNumberDays);
  top->addStretch(1);
  page->addWidget(pnlNoDay);

  dbgGuest = Named(new QTableView(tsLatestReservation), "dbgGuest");
  guestModel_ = std::make_unique<DatasetTableModel>(GuestGridColumns());
  if (DMExists()) guestModel_->SetDataSource(&DM().dsGuestDQuery);
  dbgGuest->setModel(guestModel_.get());
  dbgGuest->setSelectionBehavior(QAbstractItemView::SelectRows);
  dbgGuest->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab and Shift+Tab leave the grid for the dialog's next and previous controls;
  // the arrow keys move between its cells.
  dbgGuest->setTabKeyNavigation(false);
  dbgGuest->setShowGrid(true);
  dbgGuest->setAlternatingRowColors(true);
  dbgGuest->verticalHeader()->setVisible(true);
  dbgGuest->horizontalHeader()->setVisible(true);
  const auto& columns = guestModel_->Columns();
  for (size_t i = 0; i < columns.size(); ++i) dbgGuest->setColumnWidth(static_cast<int>(i), columns[i].Width);
  page->addWidget(dbgGuest, 1);
  return tsLatestReservation;
}

QWidget* TdlgCorvenna::BuildButtonPanel() {
  pnlEdit = Named(new QFrame(this), "pnlEdit");
  pnlEdit->setFixedHeight(ButtonPanelHeight);
  auto* buttons = new QHBoxLayout(pnlEdit);
  buttons->addStretch(1);
  btnSend = Named(new QPushButton(QStringLiteral("Send"), pnlEdit), "btnSend");
  btnCancel = Named(new QPushButton(QStringLiteral("Cancel"), pnlEdit), "btnCancel");
  for (QPushButton* button : {btnSend, btnCancel}) {
    button->setAutoDefault(false);
    button->setDefault(false);
    buttons->addWidget(button);
  }
  return pnlEdit;
}

}  // namespace corvenna
