#include "RegistryValueText.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "HostError.h"

namespace quendale {
using corvenna::TRegValue;

namespace {

std::vector<uint8_t> TextBytes(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

template <class T>
std::vector<uint8_t> LittleEndianBytes(T value) {
  std::vector<uint8_t> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

uint32_t ParseDword(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(start, &end, hex ? 16 : 10);
  const bool whole = !text.empty() && !std::isspace(static_cast<unsigned char>(text[0])) && *end == '\0';
  if (!whole || errno == ERANGE || value < INT32_MIN || value > static_cast<long long>(UINT32_MAX))
    throw UsageError("'" + text + "' is not a dword (a whole number from -2147483648 to 4294967295)");
  return static_cast<uint32_t>(value);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

std::vector<uint8_t> ParseHex(const std::string& text) {
  if (text.size() % 2 != 0) throw UsageError("'" + text + "' is not binary data (hex digits in pairs)");
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) throw UsageError("'" + text + "' is not binary data (hex digits in pairs)");
    bytes.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return bytes;
}

double ParseDouble(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) || *end != '\0' || errno == ERANGE)
    throw UsageError("'" + text + "' is not a double");
  return value;
}

std::string HexOf(const std::vector<uint8_t>& bytes) {
  std::string text;
  char pair[3];
  for (const uint8_t byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", byte);
    text += pair;
  }
  return text;
}

// The shortest of %.15g .. %.17g that reads back as the same double.
std::string ShortestText(double number) {
  char text[40];
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, number);
    if (std::strtod(text, nullptr) == number) break;
  }
  return text;
}

std::string TextOf(const std::vector<uint8_t>& bytes) {
  std::string text(bytes.begin(), bytes.end());
  const size_t nul = text.find('\0');
  return nul == std::string::npos ? text : text.substr(0, nul);
}

}  // namespace

TRegValue ParseRegValue(const std::string& type, const std::string& value) {
  if (type == "sz") return {corvenna::REG_SZ, TextBytes(value)};
  if (type == "expand_sz") return {corvenna::REG_EXPAND_SZ, TextBytes(value)};
  if (type == "dword") return {corvenna::REG_DWORD, LittleEndianBytes(ParseDword(value))};
  if (type == "binary") return {corvenna::REG_BINARY, ParseHex(value)};
  if (type == "double") return {corvenna::REG_BINARY, LittleEndianBytes(ParseDouble(value))};
  throw UsageError("unknown value type '" + type + "' (sz, expand_sz, dword, binary or double)");
}

std::string FormatRegValue(const TRegValue& value) {
  switch (value.type) {
    case corvenna::REG_SZ:
      return "sz " + TextOf(value.data);
    case corvenna::REG_EXPAND_SZ:
      return "expand_sz " + TextOf(value.data);
    case corvenna::REG_DWORD:
      if (value.data.size() == sizeof(int32_t)) {
        int32_t number = 0;
        std::memcpy(&number, value.data.data(), sizeof number);
        return "dword " + std::to_string(number);
      }
      return "dword-bytes " + HexOf(value.data);
    case corvenna::REG_BINARY:
      if (value.data.size() == sizeof(double)) {
        double number = 0;
        std::memcpy(&number, value.data.data(), sizeof number);
        return "binary " + HexOf(value.data) + " (double " + ShortestText(number) + ")";
      }
      return "binary " + HexOf(value.data);
    default:
      return "type" + std::to_string(value.type) + " " + HexOf(value.data);
  }
}

}  // namespace quendale
