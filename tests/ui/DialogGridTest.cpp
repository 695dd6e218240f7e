#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "ui/ComboBox.h"
#include "ui/DatasetTableModel.h"
#include "DialogFixture.h"

namespace corvenna::test {
namespace {

using DialogGridTest = DialogTest;

std::string Cell(const QAbstractItemModel& model, int row, int column) {
  return model.data(model.index(row, column)).toString().toStdString();
}

TEST_F(DialogGridTest, GridFollowsTheGuestQueryThroughItsDataSource) {
  BookingRow first;
  first.roomNumber = "101";
  first.guestCode = "G1";
  first.bookingDate = EncodeDate(2025, 6, 9);
  first.arrival = EncodeDate(2025, 7, 1);
  first.departure = EncodeDate(2025, 7, 3);
  BookingRow second = first;
  second.roomNumber = "102";
  second.guestCode = "G2";
  Database().AddBooking(first);
  Database().AddBooking(second);
  TdlgCorvenna& dialog = CreateDialog();
  const QAbstractItemModel& model = *dialog.dbgGuest->model();
  EXPECT_EQ(model.rowCount(), 0);  // the query is closed after creation
  EXPECT_EQ(model.columnCount(), 7);
  EXPECT_EQ(dialog.dbgGuest->columnWidth(5), 180);

  TQuery& query = DM().qryGuestData;
  query.SQL().Add("Select * from GuestData Order by RoomNumber");
  query.Open();
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(Cell(model, 0, 1), "G1");
  EXPECT_EQ(Cell(model, 1, 4), "102");
  EXPECT_EQ(Cell(model, 0, 3), "01/07/2025");
  query.Next();
  EXPECT_EQ(Cell(model, 0, 1), "G1");  // reading a cell leaves the cursor where it was
  EXPECT_EQ(query.FieldByName("GuestCode").AsString(), "G2");

  query.Close();
  EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(DialogGridTest, TabAndShiftTabLeaveTheFilledGridAndArrowKeysMoveBetweenItsCells) {
  for (const char* room : {"101", "102", "103", "104"}) {
    BookingRow booking;
    booking.roomNumber = room;
    booking.bookingDate = EncodeDate(2025, 6, 10);
    booking.arrival = EncodeDate(2025, 7, 1);
    booking.departure = EncodeDate(2025, 7, 3);
    Database().AddBooking(booking);
  }
  TdlgCorvenna& dialog = CreateDialog();
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  dialog.PageControl->setCurrentWidget(dialog.tsLatestReservation);
  QTableView* grid = dialog.dbgGuest;
  const QAbstractItemModel& model = *grid->model();
  ASSERT_EQ(model.rowCount(), 4);
  const auto focusCell = [grid, &model](int row, int column) {
    grid->setFocus();
    grid->setCurrentIndex(model.index(row, column));
  };

  focusCell(3, model.columnCount() - 1);
  QTest::keyClick(grid, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(dialog.btnSend));

  focusCell(0, 0);
  QTest::keyClick(grid, Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(dialog.cbNumberDays));

  focusCell(0, 0);
  QTest::keyClick(grid, Qt::Key_Right);
  QTest::keyClick(grid, Qt::Key_Down);
  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(grid));
  EXPECT_EQ(grid->currentIndex(), model.index(2, 1));
  QTest::keyClick(grid, Qt::Key_Left);
  QTest::keyClick(grid, Qt::Key_Up);
  EXPECT_EQ(grid->currentIndex(), model.index(1, 0));
  dialog.hide();
}

TEST(DatasetTableModelTest, TitlesFollowTheFieldNameExactlyAndEveryColumnBoundToIt) {
  DatasetTableModel model({{"GuestID", "ID"}, {"guestid", "lower"}, {"GuestID", "again"}, {"Other", "other"}});
  model.SetTitleOfField("GuestID", "Nr");
  model.SetTitleOfField("TravelAgent", "");
  std::vector<std::string> titles;
  for (int i = 0; i < model.columnCount(); ++i) titles.push_back(model.headerData(i, Qt::Horizontal).toString().toStdString());
  EXPECT_EQ(titles, (std::vector<std::string>{"Nr", "lower", "Nr", "other"}));
}

}  // namespace
}  // namespace corvenna::test
