// The cursor and edit-state machine common to tables and queries.
#include <algorithm>

#include "platform/Dataset.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {

namespace {

// Column names are ASCII; the C library's tolower costs a call per letter.
unsigned char FoldAscii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

}  // namespace

size_t TDataSet::NameHash::operator()(const std::string& name) const {
  size_t hash = 14695981039346656037ull;
  for (char c : name) hash = (hash ^ FoldAscii(c)) * 1099511628211ull;
  return hash;
}

bool TDataSet::NameEqual::operator()(const std::string& a, const std::string& b) const {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

TDataSet::TDataSet(std::string name) : name_(std::move(name)), databaseName_("") {}

TDataSet::~TDataSet() {
  for (TDataSource* source : sources_) source->dataSet_ = nullptr;
  if (database_ != nullptr) database_->Detach(*this);
}

std::string TDataSet::Describe() const { return name_.empty() ? std::string("Dataset") : name_; }

void TDataSet::SetDatabaseName(const std::string& alias) {
  if (alias == databaseName_) return;
  if (Active())
    throw EDatabaseError(Format("%s: Cannot change the database name of an open dataset", Describe().c_str()));
  if (database_ != nullptr) {
    DatabaseClosing();
    database_->Detach(*this);
    database_ = nullptr;
  }
  databaseName_ = alias;
}

TDatabase& TDataSet::Database() const {
  if (database_ == nullptr) throw EDatabaseError(Format("%s: Dataset has no open database", Describe().c_str()));
  return *database_;
}

TDatabase& TDataSet::ResolveDatabase() {
  if (database_ == nullptr || database_->DatabaseName() != databaseName_) {
    TDatabase* database = TDatabase::FindByName(databaseName_);
    if (database == nullptr)
      throw EDatabaseError(Format("%s: Database '%s' not found", Describe().c_str(), databaseName_.c_str()));
    if (database_ != nullptr) {
      database_->Detach(*this);
      DatabaseClosing();
    }
    database_ = database;
  }
  if (!database_->Connected()) database_->Open();
  database_->Attach(*this);
  return *database_;
}

void TDataSet::DatabaseClosing() { Close(); }

void TDataSet::NoteOpenFailure(const std::string& why) {
  if (!Active()) openFailure_ = why;
}

void TDataSet::SetActive(bool active) {
  if (active == Active()) return;
  openFailure_.clear();
  if (active) {
    try {
      ResolveDatabase();
      DoOpen();
    } catch (const std::exception& error) {
      ClearFields();
      ClearCurrent();
      openFailure_ = error.what();
      throw;
    }
    state_ = TDataSetState::dsBrowse;
  } else {
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) Cancel();
    state_ = TDataSetState::dsInactive;
    DoClose();
    ClearFields();
    ClearCurrent();
  }
  NotifyStateChange();
}

void TDataSet::SetFields(const std::vector<std::pair<std::string, TFieldType>>& columns) {
  ClearFields();
  for (const auto& [name, type] : columns) {
    const int index = static_cast<int>(fields_.size());
    fields_.push_back(std::make_unique<TField>(*this, index, name, type));
    fieldIndex_.emplace(name, index);
  }
  modified_.assign(fields_.size(), false);
}

void TDataSet::ClearFields() {
  fields_.clear();
  fieldIndex_.clear();
  modified_.clear();
}

TField& TDataSet::Fields(int index) {
  if (index < 0 || index >= FieldCount())
    throw EDatabaseError(Format("%s: Field index %d out of range", Describe().c_str(), index));
  return *fields_[static_cast<size_t>(index)];
}

std::vector<std::string> TDataSet::FieldNames() const {
  std::vector<std::string> names;
  for (const auto& field : fields_) names.push_back(field->FieldName());
  return names;
}

TField* TDataSet::FindField(const std::string& name) {
  auto found = fieldIndex_.find(name);
  return found == fieldIndex_.end() ? nullptr : fields_[static_cast<size_t>(found->second)].get();
}

std::string TDataSet::MissingFieldText(const std::string& name) const {
  return Format("%s: Field '%s' not found", Describe().c_str(), name.c_str());
}

TField& TDataSet::FieldByName(const std::string& name) {
  RequireBrowse("read a field of");
  TField* field = FindField(name);
  if (field == nullptr) throw EDatabaseError(MissingFieldText(name));
  return *field;
}

void TDataSet::RequireBrowse(const char* operation) {
  if (Active()) return;
  if (!openFailure_.empty()) throw EDatabaseError(openFailure_);
  throw EDatabaseError(Format("%s: Cannot %s a closed dataset", Describe().c_str(), operation));
}

void TDataSet::CheckBrowseMode() {
  RequireBrowse("use");
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) Post();
}

void TDataSet::First() {
  CheckBrowseMode();
  DoFirst();
}

void TDataSet::Next() {
  CheckBrowseMode();
  DoNext();
}

int TDataSet::RecordCount() {
  RequireBrowse("count the rows of");
  return DoRecordCount();
}

int TDataSet::RecNo() {
  RequireBrowse("number the rows of");
  return hasRow_ ? DoRecNo() : -1;
}

void TDataSet::SetRecNo(int row) {
  CheckBrowseMode();
  DoSetRecNo(row);
}

bool TDataSet::Locate(const std::string& fields, const std::vector<TVariant>& values) {
  CheckBrowseMode();
  std::vector<int> columns;
  size_t start = 0;
  while (start <= fields.size()) {
    size_t end = fields.find(';', start);
    if (end == std::string::npos) end = fields.size();
    const std::string name = Trim(fields.substr(start, end - start));
    if (!name.empty()) columns.push_back(FieldByName(name).Index());
    start = end + 1;
  }
  if (columns.empty() || columns.size() != values.size())
    throw EDatabaseError(Format("%s: Locate on '%s' needs one value per field", Describe().c_str(), fields.c_str()));
  return DoLocate(columns, values);
}

void TDataSet::Append() {
  CheckBrowseMode();
  if (ReadOnly()) throw EDatabaseError(Format("%s: Cannot modify a read-only dataset", Describe().c_str()));
  saved_ = current_;
  savedHasRow_ = hasRow_;
  current_ = Row{0, std::vector<TVariant>(fields_.size())};
  modified_.assign(fields_.size(), false);
  hasRow_ = true;
  state_ = TDataSetState::dsInsert;
}

void TDataSet::Edit() {
  RequireBrowse("edit");
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return;
  if (ReadOnly()) throw EDatabaseError(Format("%s: Cannot modify a read-only dataset", Describe().c_str()));
  if (!hasRow_) throw EDatabaseError(Format("%s: Cannot edit an empty dataset", Describe().c_str()));
  saved_ = current_;
  savedHasRow_ = true;
  modified_.assign(fields_.size(), false);
  state_ = TDataSetState::dsEdit;
}

void TDataSet::Post() {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  DoPost(state_ == TDataSetState::dsInsert);
  state_ = TDataSetState::dsBrowse;
  modified_.assign(fields_.size(), false);
  NotifyDataChange();
}

void TDataSet::Cancel() {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  current_ = saved_;
  hasRow_ = savedHasRow_;
  modified_.assign(fields_.size(), false);
  state_ = TDataSetState::dsBrowse;
}

void TDataSet::Delete() {
  RequireBrowse("delete from");
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  if (state_ == TDataSetState::dsEdit) Cancel();
  if (ReadOnly()) throw EDatabaseError(Format("%s: Cannot modify a read-only dataset", Describe().c_str()));
  if (!hasRow_) throw EDatabaseError(Format("%s: Cannot delete from an empty dataset", Describe().c_str()));
  DoDelete();
  NotifyDataChange();
}

const TVariant& TDataSet::CurrentValue(int index) const {
  static const TVariant null;
  if (!hasRow_ || index < 0 || static_cast<size_t>(index) >= current_.values.size()) return null;
  return current_.values[static_cast<size_t>(index)];
}

void TDataSet::SetCurrentValue(int index, TVariant value) {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
    throw EDatabaseError(Format("%s: Dataset not in edit or insert mode", Describe().c_str()));
  auto& slot = current_.values.at(static_cast<size_t>(index));
  if (state_ == TDataSetState::dsInsert || !(slot == value)) modified_[static_cast<size_t>(index)] = true;
  slot = std::move(value);
}

void TDataSet::SetCurrent(Row row) {
  current_ = std::move(row);
  hasRow_ = true;
}

void TDataSet::ClearCurrent() {
  current_ = Row{};
  hasRow_ = false;
  eof_ = true;
  bof_ = true;
}

void TDataSet::AddDataSource(TDataSource& source) {
  if (std::find(sources_.begin(), sources_.end(), &source) == sources_.end()) sources_.push_back(&source);
}

void TDataSet::RemoveDataSource(TDataSource& source) {
  sources_.erase(std::remove(sources_.begin(), sources_.end(), &source), sources_.end());
}

void TDataSet::NotifyStateChange() {
  for (TDataSource* source : std::vector<TDataSource*>(sources_))
    if (source->OnStateChange) source->OnStateChange();
}

void TDataSet::NotifyDataChange() {
  for (TDataSource* source : std::vector<TDataSource*>(sources_))
    if (source->OnDataChange) source->OnDataChange();
}

TDataSource::~TDataSource() {
  if (dataSet_ != nullptr) dataSet_->RemoveDataSource(*this);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet_ == dataSet) return;
  if (dataSet_ != nullptr) dataSet_->RemoveDataSource(*this);
  dataSet_ = dataSet;
  if (dataSet_ != nullptr) dataSet_->AddDataSource(*this);
}

}  // namespace corvenna
