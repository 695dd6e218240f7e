#pragma once
// The dataset layer over the host's SQLite file, shaped like the platform's
// database components: a database (file, alias, connection), tables opened by
// name, queries with SQL set line by line and named parameters, and the cursor
// operations both share. sqlite3.h stays in the .cpp files.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Currency.h"
#include "platform/DateTime.h"

struct sqlite3;
struct sqlite3_stmt;

namespace corvenna {

class TDataSet;
class TDatabase;

// One SQL value: NULL, a 64-bit integer, a real or a text (UTF-8).
class TVariant {
 public:
  enum class Kind { Null, Integer, Float, Text };

  TVariant() = default;
  TVariant(std::nullptr_t) {}
  TVariant(int value) : kind_(Kind::Integer), integer_(value) {}
  TVariant(int64_t value) : kind_(Kind::Integer), integer_(value) {}
  TVariant(bool value) : kind_(Kind::Integer), integer_(value ? 1 : 0) {}
  TVariant(double value) : kind_(Kind::Float), real_(value) {}
  TVariant(const char* value) : kind_(Kind::Text), text_(value) {}
  TVariant(std::string value) : kind_(Kind::Text), text_(std::move(value)) {}
  static TVariant FromCurrency(Currency value);

  Kind kind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null; }
  int64_t integer() const { return integer_; }
  double real() const { return real_; }
  const std::string& text() const { return text_; }

  // The same SQL value (kind and content); 1 and 1.0 are different here.
  friend bool operator==(const TVariant&, const TVariant&) = default;

 private:
  Kind kind_ = Kind::Null;
  int64_t integer_ = 0;
  double real_ = 0;
  std::string text_;
};

// What a column holds, from its declared type ("INTEGER", "TEXT", "REAL",
// "REAL DATETIME", "REAL MONEY", "INTEGER BOOLEAN"), or from the value when
// the column has no declared type (an expression in a query).
enum class TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftDateTime, ftCurrency, ftBoolean };

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// A view of one column of a dataset's current row. Reads follow the platform's
// NULL rules: a NULL reads as 0, false or the empty text. Setters need the
// dataset in edit or insert state.
class TField {
 public:
  TField(TDataSet& owner, int index, std::string name, TFieldType type);

  const std::string& FieldName() const { return name_; }
  TFieldType DataType() const { return type_; }
  int Index() const { return index_; }

  bool IsNull() const;
  const TVariant& Value() const;
  std::string AsString() const;
  int32_t AsInteger() const;
  int64_t AsLargeInt() const;
  double AsFloat() const;
  TDateTime AsDateTime() const;
  bool AsBoolean() const;
  Currency AsCurrency() const;

  void SetValue(TVariant value);
  void SetAsString(const std::string& value) { SetValue(TVariant(value)); }
  void SetAsInteger(int64_t value) { SetValue(TVariant(value)); }
  void SetAsFloat(double value) { SetValue(TVariant(value)); }
  void SetAsDateTime(TDateTime value) { SetValue(TVariant(value)); }
  void SetAsBoolean(bool value) { SetValue(TVariant(value)); }
  void SetAsCurrency(Currency value) { SetValue(TVariant::FromCurrency(value)); }
  void Clear() { SetValue(TVariant()); }

 private:
  TDataSet& owner_;
  int index_;
  std::string name_;
  TFieldType type_;
};

// A named query parameter. AsDate keeps the whole-day part only, as the
// platform binds a date parameter.
class TParam {
 public:
  explicit TParam(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  bool IsBound() const { return bound_; }
  const TVariant& Value() const { return value_; }

  void SetValue(TVariant value);
  void SetAsString(const std::string& value) { SetValue(TVariant(value)); }
  void SetAsInteger(int64_t value) { SetValue(TVariant(value)); }
  void SetAsFloat(double value) { SetValue(TVariant(value)); }
  void SetAsBoolean(bool value) { SetValue(TVariant(value)); }
  void SetAsCurrency(Currency value) { SetValue(TVariant::FromCurrency(value)); }
  void SetAsDateTime(TDateTime value) { SetValue(TVariant(value)); }
  void SetAsDate(TDateTime value);
  void Clear() { SetValue(TVariant()); }

 private:
  std::string name_;
  TVariant value_;
  bool bound_ = false;
};

// The SQL text of a query, one entry per line, joined with line breaks.
class TStrings {
 public:
  explicit TStrings(std::function<void()> onChange = {}) : onChange_(std::move(onChange)) {}

  void Clear();
  void Add(const std::string& line);
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& operator[](int index) const { return lines_.at(static_cast<size_t>(index)); }
  std::string Text() const;

 private:
  std::vector<std::string> lines_;
  std::function<void()> onChange_;
};

// The connection to the host's database file. Shared, multi-user: WAL, and a
// busy time-out within which a lock held by another connection is waited for.
// Connecting never creates the file.
class TDatabase {
 public:
  explicit TDatabase(std::string databaseName = "");
  ~TDatabase();
  TDatabase(const TDatabase&) = delete;
  TDatabase& operator=(const TDatabase&) = delete;

  const std::string& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const std::string& alias);
  const std::string& DatabaseFileName() const { return fileName_; }
  void SetDatabaseFileName(const std::string& path);

  bool Connected() const { return handle_ != nullptr; }
  void SetConnected(bool connected);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }

  int BusyTimeoutMs() const { return busyTimeoutMs_; }
  void SetBusyTimeoutMs(int milliseconds);

  // Runs statements without a result (DDL, maintenance); raises naming the SQL.
  void Execute(const std::string& sql);

  // Changes whenever another connection has committed to the file; this
  // connection's own commits leave it as it is.
  int64_t DataVersion();

  // Test hook: after `writes` more successful row writes (post, delete, empty),
  // the next write raises EDatabaseError. A negative count switches it off.
  void FailAfterWrites(int writes) { writeCountdown_ = writes; }

  // Used by the datasets and transactions of this connection.
  sqlite3* Handle() const;
  sqlite3_stmt* CachedStatement(const std::string& sql);
  void CountWrite(const std::string& what);
  void Attach(TDataSet& dataset);
  void Detach(TDataSet& dataset);
  int& TransactionDepth() { return transactionDepth_; }

  // The connected database registered under an alias, or nullptr.
  static TDatabase* FindByName(const std::string& alias);

 private:
  struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const;
  };
  void Connect();
  void Disconnect();

  std::string databaseName_;
  std::string fileName_;
  sqlite3* handle_ = nullptr;
  int busyTimeoutMs_ = 5000;
  int writeCountdown_ = -1;
  int transactionDepth_ = 0;
  std::unordered_map<std::string, std::unique_ptr<sqlite3_stmt, StatementDeleter>> statements_;
  std::vector<TDataSet*> datasets_;
};

// All-or-nothing scope on a database: BEGIN IMMEDIATE at the outermost level,
// a SAVEPOINT inside another transaction. Rolls back unless committed; the
// destructor never throws.
class TTransaction {
 public:
  explicit TTransaction(TDatabase& database);
  ~TTransaction();
  TTransaction(const TTransaction&) = delete;
  TTransaction& operator=(const TTransaction&) = delete;

  void Commit();
  void Rollback();

 private:
  TDatabase& database_;
  int level_;
  bool savepoint_ = false;
  bool open_ = true;
};

class TDataSource;

// The cursor operations common to tables and queries.
class TDataSet {
 public:
  explicit TDataSet(std::string name);
  virtual ~TDataSet();
  TDataSet(const TDataSet&) = delete;
  TDataSet& operator=(const TDataSet&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const std::string& alias);

  bool Active() const { return state_ != TDataSetState::dsInactive; }
  // Opening raises and leaves the dataset closed when it fails; that failure,
  // or the one noted here, is what any later use of the closed dataset raises,
  // until it is opened or closed on purpose.
  void SetActive(bool active);
  void NoteOpenFailure(const std::string& why);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return state_; }

  void First();
  void Next();
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  bool IsEmpty() const { return !hasRow_; }
  int RecordCount();
  // Row number (0-based) for grids; setting it moves the cursor there.
  int RecNo();
  void SetRecNo(int row);

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField& Fields(int index);
  std::vector<std::string> FieldNames() const;
  TField& FieldByName(const std::string& name);
  TField* FindField(const std::string& name);

  // Moves to the first row whose fields ("A;B") equal the values exactly,
  // letter case included; stays put and answers false when none does.
  bool Locate(const std::string& fields, const std::vector<TVariant>& values);
  bool Locate(const std::string& fields, std::initializer_list<TVariant> values) {
    return Locate(fields, std::vector<TVariant>(values));
  }

  void Append();
  void Insert() { Append(); }
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  void DisableControls() {}
  void EnableControls() {}

  // Read access for the current row (used by TField and data sources).
  const TVariant& CurrentValue(int index) const;
  void SetCurrentValue(int index, TVariant value);

  void AddDataSource(TDataSource& source);
  void RemoveDataSource(TDataSource& source);

 protected:
  struct Row {
    int64_t rowid = 0;
    std::vector<TVariant> values;
  };

  virtual void DoOpen() = 0;
  virtual void DoClose() = 0;
  virtual void DoFirst() = 0;
  virtual void DoNext() = 0;
  virtual int DoRecordCount() = 0;
  virtual int DoRecNo() = 0;
  virtual void DoSetRecNo(int row) = 0;
  // The connection goes away: close, and drop anything compiled against it.
  virtual void DatabaseClosing();
  virtual bool DoLocate(const std::vector<int>& columns, const std::vector<TVariant>& values) = 0;
  virtual void DoPost(bool inserting) = 0;
  virtual void DoDelete() = 0;
  virtual bool ReadOnly() const = 0;
  virtual std::string MissingFieldText(const std::string& name) const;

  TDatabase& Database() const;
  TDatabase& ResolveDatabase();
  void CheckBrowseMode();
  void SetFields(const std::vector<std::pair<std::string, TFieldType>>& columns);
  void ClearFields();
  void SetCurrent(Row row);
  void ClearCurrent();
  void SetEofBof(bool eof, bool bof) {
    eof_ = eof;
    bof_ = bof;
  }
  Row& Current() { return current_; }
  const std::vector<bool>& Modified() const { return modified_; }
  std::string Describe() const;
  void NotifyDataChange();

 private:
  void NotifyStateChange();
  void RequireBrowse(const char* operation);

  std::string name_;
  std::string databaseName_;
  TDatabase* database_ = nullptr;
  std::string openFailure_;
  TDataSetState state_ = TDataSetState::dsInactive;
  std::vector<std::unique_ptr<TField>> fields_;
  struct NameHash {
    size_t operator()(const std::string& name) const;
  };
  struct NameEqual {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  std::unordered_map<std::string, int, NameHash, NameEqual> fieldIndex_;  // field names without regard to case
  Row current_;
  Row saved_;
  bool savedHasRow_ = false;
  std::vector<bool> modified_;
  bool hasRow_ = false;
  bool eof_ = true;
  bool bof_ = true;
  std::vector<TDataSource*> sources_;

  friend class TDatabase;
};

// A host table opened by name. Rows are walked in rowid order in pages, so a
// large table is never held whole; look-ups run as SQL on the table's indexes.
class TTable : public TDataSet {
 public:
  explicit TTable(std::string name = "");

  const std::string& TableName() const { return tableName_; }
  void SetTableName(const std::string& tableName);

  // Deletes every row at once.
  void EmptyTable();

 protected:
  void DoOpen() override;
  void DoClose() override;
  void DoFirst() override;
  void DoNext() override;
  int DoRecordCount() override;
  int DoRecNo() override;
  void DoSetRecNo(int row) override;
  bool DoLocate(const std::vector<int>& columns, const std::vector<TVariant>& values) override;
  void DoPost(bool inserting) override;
  void DoDelete() override;
  bool ReadOnly() const override { return false; }
  std::string MissingFieldText(const std::string& name) const override;

 private:
  bool FetchAfter(int64_t rowid);
  bool FetchBefore(int64_t rowid);
  bool FetchRow(int64_t rowid);
  const std::string& SelectFrom() const { return selectFrom_; }

  std::string tableName_;
  std::string selectFrom_;  // "SELECT rowid, <columns> FROM <table>"

  std::vector<Row> page_;
  size_t pagePos_ = 0;
  bool pageComplete_ = false;  // the page reached the table's end
};

// A query: SQL set line by line, parameters ":Name" bound by name without
// regard to case. Opening runs it and holds its (small) result.
class TQuery : public TDataSet {
 public:
  explicit TQuery(std::string name = "");
  ~TQuery() override;

  TStrings& SQL() { return sql_; }
  const TStrings& SQL() const { return sql_; }
  // Compiles the SQL now; raises naming the SQL when it does not compile.
  void Prepare();
  bool Prepared() const { return statement_ != nullptr && preparedText_ == sql_.Text(); }
  void Unprepare();
  // The parameter of that name (letter case ignored); raises when the SQL has none.
  TParam& ParamByName(const std::string& name);
  int ParamCount() const { return static_cast<int>(params_.size()); }
  // Runs a statement that returns no rows.
  void ExecSQL();

 protected:
  void DoOpen() override;
  void DoClose() override;
  void DoFirst() override;
  void DoNext() override;
  int DoRecordCount() override;
  int DoRecNo() override { return static_cast<int>(position_); }
  void DoSetRecNo(int row) override;
  void DatabaseClosing() override;
  bool DoLocate(const std::vector<int>& columns, const std::vector<TVariant>& values) override;
  void DoPost(bool) override;
  void DoDelete() override;
  bool ReadOnly() const override { return true; }
  std::string MissingFieldText(const std::string& name) const override;

 private:
  void SqlChanged();
  void BindParams();
  void MoveTo(size_t position);

  TStrings sql_;
  std::vector<TParam> params_;
  sqlite3_stmt* statement_ = nullptr;
  std::string preparedText_;
  std::vector<Row> rows_;
  size_t position_ = 0;
  // Per located field list, the first row of each key: built on first use.
  std::map<std::string, std::map<std::string, size_t>> lookups_;
};

// Points at a dataset for the user interface; tells it when the dataset opens,
// closes or changes, so a grid model can reset itself.
class TDataSource {
 public:
  TDataSource() = default;
  ~TDataSource();
  TDataSource(const TDataSource&) = delete;
  TDataSource& operator=(const TDataSource&) = delete;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);

  // Called after the dataset opened or closed, and after a post or delete.
  std::function<void()> OnStateChange;
  std::function<void()> OnDataChange;

 private:
  TDataSet* dataSet_ = nullptr;
  friend class TDataSet;
};

// Quotes an identifier for SQL ("Group" -> "\"Group\"").
std::string QuoteIdentifier(const std::string& name);

}  // namespace corvenna
