#include <QApplication>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "ChannelSim.h"
#include "data/OtaGfgIni.h"
#include "exchange/BookingImport.h"
#include "exchange/CorvennaMessages.h"
#include "exchange/RetrievalLock.h"
#include "platform/RegistryCall.h"
#include "platform/Text.h"
#include "platform/XmlDocument.h"
#include "support/ExchangeFixture.h"
#include "support/NotAFile.h"
#include "ui/CalendarGrid.h"
#include "ui/ComboBox.h"
#include "ui/MessageCopies.h"
#include "ui/OtaCalendarDlg.h"
#include "ui/RadioGroup.h"
#include "DialogFixture.h"

namespace corvenna::test {
namespace {
namespace fs = std::filesystem;

constexpr int NoAction = -1;
constexpr int Retrieval = 0;
constexpr int Availability = 1;
constexpr int Rates = 2;
const char* const kPassword = "s3cret&<pw>";

// While `action` runs, answers the first modal dialog that opens with `answer`;
// a watchdog closes any modal dialog that is still open after ten seconds.
void AnswerModal(const std::function<void()>& action, const std::function<void(QDialog&)>& answer) {
  bool answered = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (answered || modal == nullptr || !modal->isVisible()) return;
    answered = true;
    answer(*modal);
    if (modal->isVisible()) modal->reject();
  });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    ADD_FAILURE() << "a modal dialog stayed open";
    if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) modal->done(-1);
  });
  poll.start(10);
  watchdog.start(10000);
  action();
  EXPECT_TRUE(answered) << "no modal dialog opened";
}

std::string Caption(const QPushButton* button) { return button->text().toStdString(); }

// A hotel with room types 1 to 3 mapped to DBL, SGL and STE, the translation
// file, and channel-sim as the endpoint; the dialog of each test is made with
// these settings stored.
class DialogSendTest : public DialogTest {
 protected:
  DialogSendTest() {
    fs::copy_file(fs::path(CORVENNA_SOURCE_DIR) / "host" / "Language.sil", LanguageFile());
    fs::create_directories(ReservationsFolder());
    sim_ = std::make_unique<channelsim::ChannelSim>(ReservationsFolder().string());
    for (const auto& [room, type, rate] :
         std::vector<std::tuple<const char*, int, double>>{{"101", 1, 80}, {"102", 1, 80}, {"201", 2, 60}, {"301", 3, 150}})
      Database().AddRoom(room, type, "Y", "", rate);
    WriteUserName("frontdesk");
    WritePassword(kPassword);
    WriteHotelCode("HOTEL42");
    WriteRequestorID("REQ7");
    WriteCorvennaAvailReqUlr(sim_->Url());
    const char* const types[] = {"DBL", "SGL", "STE"};
    const char* const codes[] = {"BAR", "NRF", "BAR"};
    for (int slot = 1; slot <= 3; ++slot) {
      WriteType(slot, types[slot - 1]);
      WriteCode(slot, codes[slot - 1]);
    }
    SilentRun = false;
    RateAmount.fill(Currency{});
    RateSelected.fill(false);
    ResetImportStateForTesting();
  }
  ~DialogSendTest() override {
    ResetImportStateForTesting();
    SilentRun = false;
  }

  fs::path ReservationsFolder() const { return home_.Root() / "reservations"; }
  fs::path TempFolder() const { return home_.Documents() / "Quendale" / "Temp"; }

  TdlgCorvenna& DialogFor(int action) {
    TdlgCorvenna& dialog = CreateDialog();
    EXPECT_TRUE(messages_.errorBoxes.empty()) << messages_.errorBoxes.front();
    dialog.rgAction->SetItemIndex(action);
    return dialog;
  }
  void Send() { Dialog().btnSend->click(); }

  std::vector<std::pair<std::string, std::string>> Shown() const {
    std::vector<std::pair<std::string, std::string>> shown;
    for (const TaskMessage& m : messages_.tasks) shown.emplace_back(m.instruction, m.content);
    return shown;
  }
  std::vector<std::string> ReceivedRoots() const {
    std::vector<std::string> roots;
    for (const auto& request : sim_->Received()) roots.push_back(request.rootName);
    return roots;
  }
  // The memo's lines as it shows them, an empty last line included.
  std::vector<std::string> MemoLines() {
    std::vector<std::string> lines;
    const QTextDocument* document = Dialog().Memo1->document();
    for (QTextBlock block = document->begin(); block != document->end(); block = block.next())
      lines.push_back(block.text().toStdString());
    return lines;
  }
  // What the Result page shows of a copy on disk.
  std::string ShownCopy(const std::string& copy) const {
    XmlDocument document;
    document.Load((TempFolder() / copy).string());
    return ReIndentXml(document.Xml());
  }

  std::unique_ptr<channelsim::ChannelSim> sim_;
};

TEST_F(DialogSendTest, EntryChecksStopSendBeforeAnythingIsStored) {
  struct Case {
    const char* name;
    std::function<void(TdlgCorvenna&)> edit;
    std::string* instruction;
    std::string* content;
  };
  const std::vector<Case> cases{
      {"empty user name", [](TdlgCorvenna& d) { d.edtHotelUserName->clear(); }, &rsCompany, &rsEnterCompany},
      {"empty hotel code", [](TdlgCorvenna& d) { d.edtHotelCode->clear(); }, &rsCompany, &rsEnterCompany},
      {"empty password", [](TdlgCorvenna& d) { d.edtHotelPassword->clear(); }, &rsCompany, &rsEnterCompany},
      {"empty url", [](TdlgCorvenna& d) { d.edtUrl->clear(); }, &rsCompany, &rsEnterCompany},
      {"counted row without type or rate code",
       [](TdlgCorvenna& d) {
         d.Row(2).edtType->clear();
         d.Row(2).edtCode->clear();
       },
       &rsRoomType, &rsPleaseEnterRoomType},
      {"counted but unticked row without rate code",
       [](TdlgCorvenna& d) {
         d.Row(3).cbUpdate->setChecked(false);
         d.Row(3).edtCode->clear();
       },
       &rsRateCode, &rsPleaseEnterRateCode},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TdlgCorvenna& dialog = DialogFor(Availability);
    messages_.tasks.clear();
    dialog.Memo1->setPlainText("old copies");
    dialog.edtRequestorID->setText("CHANGED");
    c.edit(dialog);
    Send();

    ASSERT_EQ(messages_.tasks.size(), 1u);
    const TaskMessage& shown = messages_.tasks[0];
    EXPECT_EQ(shown.instruction, *c.instruction);
    EXPECT_EQ(shown.content, *c.content);
    EXPECT_FALSE(shown.instruction.empty());
    EXPECT_EQ(shown.title, rsError);
    EXPECT_EQ(shown.button, rsClose);
    EXPECT_EQ(shown.icon, TaskIcon::Error);
    EXPECT_EQ(ReadRequestorID(), "REQ7");
    EXPECT_TRUE(dialog.Memo1->toPlainText().isEmpty());
    EXPECT_EQ(dialog.PageControl->currentIndex(), 0);
    EXPECT_TRUE(sim_->Received().empty());
  }
}

TEST_F(DialogSendTest, BlankEntriesPassTheChecksAndBlankCodesAreStoredEmpty) {
  TdlgCorvenna& dialog = DialogFor(NoAction);
  dialog.edtHotelPassword->setText("   ");
  dialog.Row(1).edtType->setText("   ");
  dialog.Row(2).edtCode->setText(" \t ");
  dialog.Row(3).edtType->setText("  STE2 ");
  Send();
  EXPECT_TRUE(messages_.tasks.empty());
  EXPECT_TRUE(messages_.errorBoxes.empty());
  EXPECT_EQ(ReadType(1), "");
  EXPECT_EQ(ReadCode(2), "");
  EXPECT_EQ(ReadType(3), "STE2");
  EXPECT_EQ(dialog.PageControl->currentIndex(), 1);
}

TEST_F(DialogSendTest, StoresEveryControlAndTheRememberPasswordRule) {
  struct Case {
    bool remember;
    std::string password;
  };
  for (const Case& c : {Case{false, ""}, Case{true, "typed pw"}}) {
    SCOPED_TRACE(c.remember ? "remembered" : "not remembered");
    WriteSavePassword(!c.remember);
    TdlgCorvenna& dialog = DialogFor(NoAction);
    ASSERT_EQ(Caption(dialog.btnCancel), "Cancel");
    dialog.edtHotelUserName->setText(" user ");
    dialog.edtHotelPassword->setText("typed pw");
    dialog.cbRememberPassword->setChecked(c.remember);
    dialog.edtHotelCode->setText(" H1 ");
    dialog.edtRequestorID->setText(" R1 ");
    for (int slot = 1; slot <= 16; ++slot) {
      dialog.Row(slot).edtType->setText(QString::fromStdString(" T" + std::to_string(slot)));
      dialog.Row(slot).edtCode->setText(QString::fromStdString("C" + std::to_string(slot) + " "));
      dialog.Row(slot).edtStop->setText(QString::fromStdString(" " + std::to_string(slot * 2)));
    }
    dialog.edtMaxAllocation->setText(" 17 ");
    dialog.cbCurrencyCode->setCurrentIndex(4);
    dialog.cbIncludingTax->setChecked(true);
    dialog.cbUseUTCTime->setChecked(true);
    dialog.cbAutoCheck->setCurrentIndex(3);
    dialog.cbFullFlush->setCurrentIndex(1);
    dialog.cbFlushTime->setCurrentIndex(23);
    dialog.edtUrl->setText(" http://127.0.0.1:1/x ");
    dialog.cbRecalcOccupancy->setChecked(true);
    dialog.cbShowmessage->setChecked(true);
    dialog.cbUseDot->setChecked(true);
    dialog.cbAutoStop->setChecked(true);
    Send();
    ASSERT_TRUE(messages_.errorBoxes.empty()) << messages_.errorBoxes.front();

    EXPECT_EQ(ReadUserName(), " user ");
    EXPECT_EQ(ReadHotelCode(), " H1 ");
    EXPECT_EQ(ReadRequestorID(), " R1 ");
    for (int slot = 1; slot <= 16; ++slot) {
      EXPECT_EQ(ReadType(slot), "T" + std::to_string(slot));
      EXPECT_EQ(ReadCode(slot), "C" + std::to_string(slot));
      EXPECT_EQ(ReadStopSale(slot), slot * 2);
    }
    EXPECT_EQ(ReadMaxAllocation(), 17);
    EXPECT_EQ(ReadCurrencyCode(), 4);
    EXPECT_TRUE(ReadRateIncludingTax());
    EXPECT_TRUE(ReadUseUTCTime());
    EXPECT_EQ(ReadAutoCheck(), 3);
    EXPECT_EQ(ReadFullFlush(), 1);
    EXPECT_EQ(ReadFlushTime(), 23);
    EXPECT_EQ(ReadCorvennaAvailReqUlr(), " http://127.0.0.1:1/x ");
    EXPECT_TRUE(ReadRecalcOccupancy());
    EXPECT_TRUE(ReadShowmessage());
    EXPECT_TRUE(ReadUseDot());
    EXPECT_TRUE(ReadAutoStop());

    EXPECT_EQ(ReadPassword(), c.password);
    EXPECT_EQ(ReadSavePassword(), c.remember);
    EXPECT_EQ(Caption(dialog.btnCancel), rsClose);
    EXPECT_EQ(dialog.PageControl->currentIndex(), 1);
    EXPECT_TRUE(sim_->Received().empty());
  }
}

TEST_F(DialogSendTest, TextThatIsNoIntegerStopsStoringAtItsField) {
  for (int slot = 1; slot <= 16; ++slot) WriteStopSale(slot, 50 + slot);
  WriteMaxAllocation(9);
  WriteCurrencyCode(1);
  struct Case {
    const char* name;
    std::function<void(TdlgCorvenna&)> edit;
    std::string error;
    int storedStopSales;  // slots stored before the failing field
  };
  const std::vector<Case> cases{
      {"emptied stop sale 3", [](TdlgCorvenna& d) { d.Row(3).edtStop->clear(); }, "'' is not a valid integer value", 2},
      {"allocation with letters", [](TdlgCorvenna& d) { d.edtMaxAllocation->setText(" 4x "); },
       "'4x' is not a valid integer value", 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.errorBoxes.clear();
    TdlgCorvenna& dialog = DialogFor(Availability);
    for (int slot = 1; slot <= 16; ++slot) dialog.Row(slot).edtStop->setText(QString::number(slot));
    dialog.Row(1).edtType->setText("NEW");
    dialog.cbCurrencyCode->setCurrentIndex(5);
    c.edit(dialog);
    Send();

    ASSERT_EQ(messages_.errorBoxes.size(), 1u);
    EXPECT_EQ(messages_.errorBoxes[0], c.error);
    EXPECT_EQ(ReadType(1), "NEW");
    for (int slot = 1; slot <= 16; ++slot) {
      EXPECT_EQ(ReadStopSale(slot), slot <= c.storedStopSales ? slot : 50 + slot) << "slot " << slot;
    }
    EXPECT_EQ(ReadMaxAllocation(), 9);
    EXPECT_EQ(ReadCurrencyCode(), 1);
    EXPECT_TRUE(sim_->Received().empty());
    EXPECT_EQ(dialog.PageControl->currentIndex(), 0);
    EXPECT_EQ(Caption(dialog.btnCancel), "Cancel");
  }
}

TEST_F(DialogSendTest, UpdatesCheckTheirDatesAfterStoringAndTheRetrievalIgnoresThem) {
  const TDateTime start = EncodeDate(2025, 6, 10);
  struct Case {
    int action;
    TDateTime end;
    std::string* instruction;  // nullptr: sent
    std::string* content;
  };
  for (const Case& c : {Case{Availability, start, nullptr, nullptr},
                        Case{Availability, start - 1, &rsWrongDates, &rsFromAfterTo},
                        Case{Rates, start - 1, &rsWrongDates, &rsFromAfterTo},
                        Case{Availability, start + 365, nullptr, nullptr},
                        Case{Availability, start + 366, &rsNoDays, &rsDontSelectMore},
                        Case{Retrieval, start - 1, nullptr, nullptr}}) {
    SCOPED_TRACE("action " + std::to_string(c.action) + ", days " + std::to_string(static_cast<int>(c.end - start)));
    sim_->ClearReceived();
    messages_.tasks.clear();
    TdlgCorvenna& dialog = DialogFor(c.action);
    StartDate = start;
    EndDate = c.end;
    dialog.edtRequestorID->setText("STORED");
    Send();

    EXPECT_EQ(ReadRequestorID(), "STORED");
    if (c.instruction == nullptr) {
      EXPECT_EQ(sim_->Received().size(), 1u);
      EXPECT_EQ(dialog.PageControl->currentIndex(), 1);
      continue;
    }
    EXPECT_TRUE(sim_->Received().empty());
    EXPECT_EQ(Shown(), (std::vector<std::pair<std::string, std::string>>{{*c.instruction, *c.content}}));
    EXPECT_EQ(dialog.PageControl->currentIndex(), 0);
    EXPECT_EQ(Caption(dialog.btnCancel), "Cancel");
    WriteRequestorID("REQ7");
  }
}

TEST_F(DialogSendTest, RateUpdateSendsTheItemsCurrencyCodeAndTheTypedRatesOfTheTickedRows) {
  struct Case {
    int currencyItem;
    std::string code;
  };
  for (const Case& c : {Case{0, "EUR"}, Case{6, "THB"}, Case{-1, ""}}) {
    SCOPED_TRACE(c.currencyItem);
    sim_->ClearReceived();
    TdlgCorvenna& dialog = DialogFor(Rates);
    dialog.cbCurrencyCode->setCurrentIndex(c.currencyItem);
    dialog.Row(1).edtRate->setText(" $95.50 ");
    dialog.Row(2).cbUpdate->setChecked(false);
    Send();
    ASSERT_TRUE(messages_.errorBoxes.empty()) << messages_.errorBoxes.front();

    EXPECT_EQ(RateAmount[1], Currency::FromDouble(95.5));
    EXPECT_EQ(RateAmount[3], Currency::FromDouble(150));
    EXPECT_EQ(RateAmount[4], Currency{});
    EXPECT_TRUE(RateSelected[1]);
    EXPECT_FALSE(RateSelected[2]);
    EXPECT_FALSE(RateSelected[4]);
    ASSERT_EQ(ReceivedRoots(), std::vector<std::string>{"OTA_HotelRateAmountNotifRQ"});
    const std::string body = sim_->Received()[0].body;
    EXPECT_TRUE(Contains(body, "CurrencyCode=\"" + c.code + "\"")) << body;
    EXPECT_TRUE(Contains(body, "InvTypeCode=\"DBL\""));
    EXPECT_FALSE(Contains(body, "InvTypeCode=\"SGL\""));
    EXPECT_EQ(MemoLines().front(), "<--RateAmountNotifRQ-->");
  }
}

TEST_F(DialogSendTest, RateThatCannotBeReadStopsTheRateUpdateAfterStoring) {
  TdlgCorvenna& dialog = DialogFor(Rates);
  dialog.Row(16).edtRate->setText("abc");
  dialog.edtRequestorID->setText("STORED");
  Send();
  ASSERT_EQ(messages_.errorBoxes.size(), 1u);
  EXPECT_EQ(messages_.errorBoxes[0], "'abc' is not a valid floating point value");
  EXPECT_EQ(ReadRequestorID(), "STORED");
  EXPECT_TRUE(sim_->Received().empty());
  EXPECT_EQ(dialog.PageControl->currentIndex(), 0);
}

TEST_F(DialogSendTest, RetrievalListsItsCopiesWithOneNumberedReportPairPerResponseRow) {
  fs::copy_file(fs::path(CORVENNA_TEST_DATA_DIR) / "retrieval" / "three-reservations.xml",
                ReservationsFolder() / "three-reservations.xml");
  TdlgCorvenna& dialog = DialogFor(Retrieval);
  dialog.Memo1->setPlainText("old");
  Send();
  ASSERT_TRUE(messages_.errorBoxes.empty()) << messages_.errorBoxes.front();
  ASSERT_EQ(DM().tblOtaResponse.RecordCount(), 3);

  std::vector<std::string> expected;
  const auto add = [&](const std::string& marker, const std::string& copy) {
    if (!expected.empty()) expected.emplace_back();
    expected.push_back(marker);
    expected.emplace_back();
    ASSERT_TRUE(fs::exists(TempFolder() / copy)) << copy;
    for (const std::string& line : SplitLines(ShownCopy(copy))) expected.push_back(line);
  };
  add("<--ReadRQ-->", "ReadRQ.xml");
  add("<--RetriveRS-->", "ResRetriveRS.xml");
  for (const char* i : {"1", "2", "3"}) {
    add(std::string("<--NotifReportRQ-") + i + "-->", std::string("NotifReportRQ") + i + ".xml");
    add(std::string("<--NotifReportRS-") + i + "-->", std::string("NotifReportRS") + i + ".xml");
  }
  EXPECT_EQ(MemoLines(), expected);

  const std::string memo = dialog.Memo1->toPlainText().toStdString();
  EXPECT_FALSE(Contains(memo, "s3cret")) << "the real password is shown";
  EXPECT_TRUE(Contains(memo, "********"));
  EXPECT_EQ(dialog.PageControl->currentIndex(), 1);
  EXPECT_EQ(Caption(dialog.btnCancel), rsClose);
}

// What of the cards of payment-cards.xml can be read in the text.
std::vector<std::string> ReadableCardParts(const std::string& text) {
  std::vector<std::string> readable;
  for (const char* part : {"444433332222", "3333222211", "555544443333", "4444333311", "7391<", ">7391", "\"8462\""})
    if (Contains(text, part)) readable.push_back(part);
  return readable;
}

TEST_F(DialogSendTest, ARetrievalOfCardsLeavesNoReadableCardInAnyFileOrInTheMemo) {
  fs::copy_file(fs::path(CORVENNA_TEST_DATA_DIR) / "retrieval" / "payment-cards.xml",
                ReservationsFolder() / "payment-cards.xml");
  TdlgCorvenna& dialog = DialogFor(Retrieval);
  Send();
  ASSERT_TRUE(messages_.errorBoxes.empty()) << messages_.errorBoxes.front();
  EXPECT_EQ(DM().tblOtaResponse.RecordCount(), 2) << "both reservations are imported as before";

  const std::string memo = dialog.Memo1->toPlainText().toStdString();
  EXPECT_EQ(ReadableCardParts(memo), std::vector<std::string>{});
  for (const char* masked : {"<PlainText>************1111</PlainText>", "<PlainText>****</PlainText>",
                             "CardNumber=\"************1111\"", "SeriesCode=\"****\""})
    EXPECT_TRUE(Contains(memo, masked)) << masked;
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(home_.Documents())) {
    if (!entry.is_regular_file()) continue;
    ++files;
    EXPECT_EQ(ReadableCardParts(ReadFileText(entry.path())), std::vector<std::string>{}) << entry.path();
  }
  EXPECT_GE(files, 3) << "the reply's copy, the day log and the host database at least";
}

TEST_F(DialogSendTest, CopyListingLeavesAnEmptyPlaceForAMissingOrUnreadableCopy) {
  WriteFileText(TempFolder() / "AvailNotifRQ.xml", "<?xml version=\"1.0\"?><a><b>x</b></a>");
  const std::vector<std::string> expected{
      "<--AvailNotifRQ-->", "", "<?xml version=\"1.0\"?>\n<a>\n  <b>x</b>\n</a>", "", "<--AvailNotifRS-->", "", ""};
  EXPECT_EQ(MessageCopyLines(AvailabilityCopies()), expected);
  WriteFileText(TempFolder() / "AvailNotifRS.xml", "not xml <");
  EXPECT_EQ(MessageCopyLines(AvailabilityCopies()), expected);
}

// A stale 50 MB reply that the failed run did not replace: its first megabyte of XML, the cut
// falling inside a three-byte character, and a sparse rest that is no XML.
TEST_F(DialogSendTest, LargeCopyIsShownUpToItsCutAndALineSaysWhereTheWholeCopyIs) {
  const std::string start = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><OTA_HotelAvailNotifRS><Pad>";
  const std::string item = "<Item>Zürich €</Item>";
  const size_t euro = item.find("€");
  std::string head = start + std::string((ShownCopyBytes - start.size() - std::string("</Pad>").size() - euro - 1) %
                                             item.size(), 'x') + "</Pad>";
  while (head.size() < 2 * ShownCopyBytes) head += item;
  ASSERT_EQ((ShownCopyBytes - head.find("<Item>")) % item.size(), euro + 1) << "the cut is to fall inside the €";
  const fs::path stale = TempFolder() / "AvailNotifRS.xml";
  WriteFileText(stale, head);
  constexpr uintmax_t CopySize = 50ull << 20;
  fs::resize_file(stale, CopySize);
  WriteCorvennaAvailReqUlr("http://127.0.0.1:1/");  // no reply: the stale copy stays
  DialogFor(Availability);
  Send();

  const std::vector<std::string> lines = MemoLines();
  const auto reply = std::find(lines.begin(), lines.end(), "<--AvailNotifRS-->");
  ASSERT_NE(reply, lines.end());
  const auto wholeItems = static_cast<std::ptrdiff_t>((ShownCopyBytes - head.find("<Item>")) / item.size());
  // The marker, an empty line, declaration, root, Pad, the whole items, the cut one and the notice.
  ASSERT_EQ(lines.end() - reply, 5 + wholeItems + 2);
  EXPECT_EQ(reply[2], "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  EXPECT_EQ(reply[3], "<OTA_HotelAvailNotifRS>");
  EXPECT_EQ(reply[5], "  <Item>Zürich €</Item>");
  EXPECT_EQ(lines.end()[-2], "  <Item>Zürich </Item>");
  EXPECT_EQ(lines.back(), "<--cut at 1 MiB: the whole copy is " + stale.string() + ", 52428800 bytes-->");
  EXPECT_EQ(fs::file_size(stale), CopySize);
  EXPECT_EQ(Shown().back(), std::make_pair(rsError, rsErrorSendingMessage));
}

// The run refuses the reply's place before it posts anything, and the Result
// page lists the place as it is: a FIFO there once held the dialog in a read
// that no writer would end.
TEST_F(DialogSendTest, AReplyCopyThatIsNoRegularFileIsListedUnreadableAndTheFailureIsReported) {
  WriteCorvennaAvailReqUlr("http://127.0.0.1:1/");
  const fs::path copy = TempFolder() / "AvailNotifRS.xml";
  for (const NotAFileKind kind : AllNotAFileKinds()) {
    SCOPED_TRACE(KindName(kind));
    const NotAFile there(kind, copy);
    if (!there.Made()) continue;
    DialogFor(Availability);
    messages_.tasks.clear();
    {
      const HangGuard guard(60, std::string("Send with a ") + KindName(kind) + " as the reply's copy");
      Send();
    }
    const std::vector<std::string> lines = MemoLines();
    const auto reply = std::find(lines.begin(), lines.end(), "<--AvailNotifRS-->");
    ASSERT_EQ(lines.end() - reply, 3);
    EXPECT_EQ(reply[2], "<--unreadable: Cannot open the copy \"" + copy.string() + "\": " + KindText(kind) + "-->");
    ASSERT_FALSE(messages_.tasks.empty());
    EXPECT_EQ(Shown().back(), std::make_pair(rsError, rsErrorSendingMessage));
    EXPECT_EQ(LastRunFailure, "Cannot write the message copy \"" + copy.string() + "\": " + KindText(kind));
  }
}

TEST_F(DialogSendTest, FailedExchangeListsItsCopiesThenReportsTheFailureAndKeepsTheTypedPassword) {
  channelsim::Options options;
  options.nonXml.kinds = channelsim::kAvail;
  sim_->SetOptions(options);
  WriteSavePassword(true);
  TdlgCorvenna& dialog = DialogFor(Availability);
  dialog.edtHotelPassword->setText("typed pw");
  dialog.cbRememberPassword->setChecked(false);
  Send();

  ASSERT_FALSE(messages_.tasks.empty());
  EXPECT_EQ(Shown().back(), std::make_pair(rsError, rsErrorSendingMessage));
  EXPECT_EQ(messages_.tasks.back().title, rsError);
  const std::vector<std::string> lines = MemoLines();
  ASSERT_GE(lines.size(), 7u);
  EXPECT_EQ(lines.front(), "<--AvailNotifRQ-->");
  EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
            (std::vector<std::string>{"", "<--AvailNotifRS-->", "", ""}));
  EXPECT_EQ(dialog.PageControl->currentIndex(), 1);
  EXPECT_EQ(Caption(dialog.btnCancel), "Cancel");
  EXPECT_EQ(ReadPassword(), "typed pw");
  EXPECT_TRUE(ReadSavePassword());
}

TEST_F(DialogSendTest, RetrievalWhileAnotherRunsWaitsOnlyTheBusyTimeOutThenReportsTheFailure) {
  DialogFor(Retrieval);
  DM().Quendale.SetBusyTimeoutMs(100);
  TFileLock other(RetrievalLockPath(DM().Quendale.DatabaseFileName()));
  ASSERT_TRUE(other.TryLockFor(0));
  Send();

  ASSERT_FALSE(messages_.tasks.empty());
  EXPECT_EQ(Shown().back(), std::make_pair(rsError, rsErrorSendingMessage));
  EXPECT_TRUE(Contains(LastRunFailure, "Another booking retrieval is running")) << LastRunFailure;
  EXPECT_TRUE(ReceivedRoots().empty());
}

TEST_F(DialogSendTest, DateButtonsTakeTheCalendarsDateWhetherChosenOrCancelled) {
  TdlgCorvenna& dialog = DialogFor(Availability);
  const TDateTime from = EncodeDate(2025, 6, 20), to = EncodeDate(2025, 8, 1);
  AnswerModal([&] { dialog.btnFromDate->click(); },
              [&](QDialog& modal) {
                ASSERT_EQ(&modal, dlgOtaCalendar.get());
                EXPECT_EQ(dlgOtaCalendar->Calendar->Date(), EncodeDate(2025, 6, 10));
                dlgOtaCalendar->Calendar->SetDate(from);
                dlgOtaCalendar->btnSelect->click();
              });
  EXPECT_EQ(StartDate, from);
  EXPECT_EQ(Text(dialog.edtFromDate), "20/06/2025");
  EXPECT_EQ(dlgOtaCalendar, nullptr);

  AnswerModal([&] { dialog.btnToDate->click(); },
              [&](QDialog&) {
                EXPECT_EQ(dlgOtaCalendar->Calendar->Date(), EncodeDate(2025, 7, 10));
                dlgOtaCalendar->Calendar->SetDate(to);
                dlgOtaCalendar->btnCancel->click();
              });
  EXPECT_EQ(EndDate, to);
  EXPECT_EQ(Text(dialog.edtToDate), "01/08/2025");
  EXPECT_EQ(dlgOtaCalendar, nullptr);
  EXPECT_EQ(StartDate, from);
  EXPECT_TRUE(messages_.errorBoxes.empty());
}

TEST_F(DialogSendTest, XmlFileButtonStartsInTheCopiesFolderAndTakesThePickedPath) {
  WriteFileText(TempFolder() / "ReadRQ.xml", "<a/>");
  TdlgCorvenna& dialog = DialogFor(Retrieval);
  AnswerModal([&] { dialog.btnSelectXmlClick(); },
              [&](QDialog& modal) {
                auto* files = qobject_cast<QFileDialog*>(&modal);
                ASSERT_NE(files, nullptr);
                EXPECT_EQ(files->objectName().toStdString(), "OpenDialog");
                EXPECT_EQ(fs::path(files->directory().absolutePath().toStdString()), fs::canonical(TempFolder()));
                // Typed, as selectFile leaves a focused name field alone.
                auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                ASSERT_NE(name, nullptr);
                name->setText("ReadRQ.xml");
                static_cast<QDialog*>(files)->accept();  // QFileDialog::accept, which takes the choice
              });
  EXPECT_EQ(fs::path(Text(dialog.edtXmlFile)), fs::canonical(TempFolder() / "ReadRQ.xml"));
}

// The dialog's call keeps the first failure of the settings store; each Send
// is an action of its own and tries the store again.
TEST_F(DialogSendTest, AStoreThatFailedAtOneSendIsTriedAgainAtTheNext) {
  const TRegistryCallScope call;
  TdlgCorvenna& dialog = DialogFor(NoAction);
  const fs::path store = home_.Root() / ".config" / "Quendale" / "registry.db";
  const fs::path good = home_.Root() / "registry.good";
  fs::copy_file(store, good);
  fs::remove(store);
  WriteFileText(store, "not a registry store\n");
  dialog.edtHotelCode->setText("HOTEL43");
  Send();
  ASSERT_EQ(messages_.errorBoxes.size(), 1u);
  EXPECT_EQ(messages_.errorBoxes.front().rfind("Failed to set data for '", 0), 0u) << messages_.errorBoxes.front();

  fs::remove(store);
  fs::copy_file(good, store);
  Send();
  EXPECT_EQ(messages_.errorBoxes.size(), 1u) << messages_.errorBoxes.back();
  EXPECT_EQ(ReadHotelCode(), "HOTEL43");
  EXPECT_EQ(RegistryCallFailure(), "");
}

}  // namespace
}  // namespace corvenna::test
