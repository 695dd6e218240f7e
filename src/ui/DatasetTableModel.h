#pragma once
// A table model over a query reached through a data source: one grid column
// per entry, each bound to a field by name, reset whenever the query opens,
// closes or changes.
#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace corvenna {

class TDataSource;
class TQuery;

struct TGridColumn {
  QString FieldName;
  QString Title;
  Qt::Alignment TitleAlignment = Qt::AlignLeft;
  int Width = 64;
};

class DatasetTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit DatasetTableModel(std::vector<TGridColumn> columns, QObject* parent = nullptr);
  ~DatasetTableModel() override;

  // Follows the query of the source (nullptr: none); the source must outlive
  // the model or be unbound first.
  void SetDataSource(TDataSource* source);

  const std::vector<TGridColumn>& Columns() const { return columns_; }
  // Sets the title of every column bound exactly (case-sensitive) to the field.
  void SetTitleOfField(const QString& fieldName, const QString& title);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // Re-reads the query (the data source does this by itself).
  void Reload();

 private:
  TQuery* Query() const;
  QString CellText(int row, int column) const;

  std::vector<TGridColumn> columns_;
  TDataSource* source_ = nullptr;
};

}  // namespace corvenna
