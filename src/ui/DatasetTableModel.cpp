#include "ui/DatasetTableModel.h"

#include "platform/Dataset.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

std::string FieldText(const TField& field) {
  if (field.IsNull()) return {};
  if (field.DataType() == TFieldType::ftDateTime) {
    const TDateTime value = field.AsDateTime();
    const TFormatSettings& settings = FormatSettings();
    const std::string pattern = TimeOf(value) == 0 ? settings.ShortDateFormat
                                                   : settings.ShortDateFormat + " " + settings.LongTimeFormat;
    return FormatDateTime(pattern, value);
  }
  return field.AsString();
}

}  // namespace

DatasetTableModel::DatasetTableModel(std::vector<TGridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

DatasetTableModel::~DatasetTableModel() { SetDataSource(nullptr); }

void DatasetTableModel::SetDataSource(TDataSource* source) {
  if (source_ != nullptr) {
    source_->OnStateChange = nullptr;
    source_->OnDataChange = nullptr;
  }
  source_ = source;
  if (source_ != nullptr) {
    source_->OnStateChange = [this] { Reload(); };
    source_->OnDataChange = [this] { Reload(); };
  }
  Reload();
}

void DatasetTableModel::SetTitleOfField(const QString& fieldName, const QString& title) {
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i].FieldName != fieldName) continue;
    columns_[i].Title = title;
    emit headerDataChanged(Qt::Horizontal, static_cast<int>(i), static_cast<int>(i));
  }
}

void DatasetTableModel::Reload() {
  beginResetModel();
  endResetModel();
}

TQuery* DatasetTableModel::Query() const {
  if (source_ == nullptr) return nullptr;
  auto* query = dynamic_cast<TQuery*>(source_->DataSet());
  return query != nullptr && query->Active() ? query : nullptr;
}

int DatasetTableModel::rowCount(const QModelIndex& parent) const {
  TQuery* query = Query();
  return parent.isValid() || query == nullptr ? 0 : query->RecordCount();
}

int DatasetTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString DatasetTableModel::CellText(int row, int column) const {
  TQuery* query = Query();
  if (query == nullptr) return {};
  TField* field = query->FindField(columns_[static_cast<size_t>(column)].FieldName.toStdString());
  if (field == nullptr) return {};
  const int current = query->RecNo();
  query->SetRecNo(row);
  const QString text = QString::fromStdString(FieldText(*field));
  query->SetRecNo(current);
  return text;
}

QVariant DatasetTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  return CellText(index.row(), index.column());
}

QVariant DatasetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  const TGridColumn& column = columns_[static_cast<size_t>(section)];
  if (role == Qt::DisplayRole) return column.Title;
  if (role == Qt::TextAlignmentRole) return static_cast<int>((column.TitleAlignment | Qt::AlignVCenter).toInt());
  return {};
}

}  // namespace corvenna
