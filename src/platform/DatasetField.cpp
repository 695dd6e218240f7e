// Values, fields, parameters and the SQL line list of the dataset layer.
#include <cmath>
#include <limits>

#include "platform/Dataset.h"
#include "platform/Errors.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"

namespace corvenna {

TVariant TVariant::FromCurrency(Currency value) { return TVariant(static_cast<double>(value.ToDouble())); }

TField::TField(TDataSet& owner, int index, std::string name, TFieldType type)
    : owner_(owner), index_(index), name_(std::move(name)), type_(type) {}

const TVariant& TField::Value() const { return owner_.CurrentValue(index_); }

bool TField::IsNull() const { return Value().IsNull(); }

void TField::SetValue(TVariant value) { owner_.SetCurrentValue(index_, std::move(value)); }

namespace {

std::string DateTimeText(TDateTime value) {
  const TFormatSettings& settings = FormatSettings();
  std::string text;
  if (DateOf(value) != 0) text = FormatDateTime(settings.ShortDateFormat, value);
  if (TimeOf(value) != 0) {
    if (!text.empty()) text += ' ';
    text += FormatDateTime(settings.LongTimeFormat, value);
  }
  return text;
}

}  // namespace

std::string TField::AsString() const {
  const TVariant& value = Value();
  switch (value.kind()) {
    case TVariant::Kind::Null:
      return "";
    case TVariant::Kind::Text:
      return value.text();
    case TVariant::Kind::Integer:
      if (type_ == TFieldType::ftBoolean) return value.integer() != 0 ? "True" : "False";
      if (type_ == TFieldType::ftDateTime) return DateTimeText(static_cast<double>(value.integer()));
      return IntToStr(value.integer());
    case TVariant::Kind::Float:
      if (type_ == TFieldType::ftBoolean) return value.real() != 0 ? "True" : "False";
      if (type_ == TFieldType::ftDateTime) return DateTimeText(value.real());
      return FloatToStr(value.real());
  }
  return "";
}

int64_t TField::AsLargeInt() const {
  const TVariant& value = Value();
  switch (value.kind()) {
    case TVariant::Kind::Null:
      return 0;
    case TVariant::Kind::Integer:
      return value.integer();
    case TVariant::Kind::Float: {
      const double rounded = std::nearbyint(value.real());
      if (!(std::fabs(rounded) < 9.2e18))
        throw EConvertError(
            Format("Field '%s': %s is out of the integer range", name_.c_str(), FloatToStr(value.real()).c_str()));
      return static_cast<int64_t>(rounded);
    }
    case TVariant::Kind::Text:
      return StrToInt64(value.text());
  }
  return 0;
}

int32_t TField::AsInteger() const {
  const int64_t value = AsLargeInt();
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    throw EConvertError(
        Format("Field '%s': %lld is out of the integer range", name_.c_str(), static_cast<long long>(value)));
  return static_cast<int32_t>(value);
}

double TField::AsFloat() const {
  const TVariant& value = Value();
  switch (value.kind()) {
    case TVariant::Kind::Null:
      return 0;
    case TVariant::Kind::Integer:
      return static_cast<double>(value.integer());
    case TVariant::Kind::Float:
      return value.real();
    case TVariant::Kind::Text:
      return static_cast<double>(StrToFloat(value.text()));
  }
  return 0;
}

TDateTime TField::AsDateTime() const { return AsFloat(); }

bool TField::AsBoolean() const {
  const TVariant& value = Value();
  switch (value.kind()) {
    case TVariant::Kind::Null:
      return false;
    case TVariant::Kind::Integer:
      return value.integer() != 0;
    case TVariant::Kind::Float:
      return value.real() != 0;
    case TVariant::Kind::Text: {
      const std::string text = Trim(value.text());
      if (text.empty()) return false;
      const char first = text[0];
      if (first == 'T' || first == 't' || first == 'Y' || first == 'y' || first == '1') return true;
      if (first == 'F' || first == 'f' || first == 'N' || first == 'n' || first == '0') return false;
      throw EConvertError(Format("'%s' is not a valid boolean value", value.text().c_str()));
    }
  }
  return false;
}

Currency TField::AsCurrency() const {
  const TVariant& value = Value();
  switch (value.kind()) {
    case TVariant::Kind::Null:
      return Currency{};
    case TVariant::Kind::Integer:
      return Currency::FromRaw(value.integer() * 10000);
    case TVariant::Kind::Float:
      return Currency::FromDouble(value.real());
    case TVariant::Kind::Text:
      return Currency::FromDouble(StrToFloat(value.text()));
  }
  return Currency{};
}

void TParam::SetValue(TVariant value) {
  value_ = std::move(value);
  bound_ = true;
}

void TParam::SetAsDate(TDateTime value) { SetValue(TVariant(DateOf(value))); }

void TStrings::Clear() {
  lines_.clear();
  if (onChange_) onChange_();
}

void TStrings::Add(const std::string& line) {
  lines_.push_back(line);
  if (onChange_) onChange_();
}

std::string TStrings::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += '\n';
  }
  return text;
}

}  // namespace corvenna
