#include "platform/Translations.h"

#include <limits>
#include <sstream>

#include "platform/RegularFile.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

// Bounds a section number so that a stray "[999999999]" cannot allocate gigabytes.
constexpr int MaxLanguages = 255;

std::string Unescape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 's': out += ' '; break;
      case '\\': out += '\\'; break;
      default: out += '\\'; out += text[i]; break;
    }
  }
  return out;
}

// "[N] Name": the language number N (0 when the line is no valid header) and its name.
int ParseSectionHeader(const std::string& line, std::string& name) {
  const size_t close = line.find(']');
  if (line.empty() || line[0] != '[' || close == std::string::npos) return 0;
  int32_t number = 0;
  if (!TryStrToInt(line.substr(1, close - 1), number) || number < 1 || number > MaxLanguages) return 0;
  name = Trim(line.substr(close + 1));
  return number;
}

}  // namespace

TTranslations::TTranslations(std::vector<std::string> languageNames) : languageNames_(std::move(languageNames)) {}

void TTranslations::ClearTranslations() { texts_.clear(); }

void TTranslations::LoadAllFromFile(const std::string& path) {
  LoadAllFromText(ReadRegularFileStart(path, std::numeric_limits<size_t>::max(), "translation file").Text);
}

void TTranslations::LoadAllFromText(const std::string& text) {
  std::vector<std::string> names;
  std::map<std::string, std::vector<std::string>, std::less<>> texts;
  std::istringstream lines(StartsWith(text, "\xEF\xBB\xBF") ? text.substr(3) : text);
  std::string line;
  int language = 0;
  while (std::getline(lines, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      std::string name;
      language = ParseSectionHeader(line, name);
      if (language > static_cast<int>(names.size())) names.resize(static_cast<size_t>(language));
      if (language > 0) names[static_cast<size_t>(language - 1)] = name;
      continue;
    }
    const size_t equals = line.find('=');
    if (language == 0 || equals == std::string::npos) continue;
    const std::string id = Trim(line.substr(0, equals));
    if (id.empty()) continue;
    auto& byLanguage = texts[id];
    if (static_cast<int>(byLanguage.size()) < language) byLanguage.resize(static_cast<size_t>(language));
    byLanguage[static_cast<size_t>(language - 1)] = Unescape(Trim(line.substr(equals + 1)));
  }
  languageNames_ = std::move(names);
  texts_ = std::move(texts);
  ChangeLanguage();
}

void TTranslations::SetActiveLanguage(int language) {
  if (language == active_ || language < 1 || language > LanguageCount()) return;
  active_ = language;
  ChangeLanguage();
}

std::string TTranslations::TextIn(const std::string& id, int language) const {
  const auto found = texts_.find(id);
  if (found == texts_.end() || language < 1 || language > static_cast<int>(found->second.size())) return {};
  return found->second[static_cast<size_t>(language - 1)];
}

std::string TTranslations::GetTextOrDefault(const std::string& id) const {
  std::string text = TextIn(id, active_);
  return text.empty() ? TextIn(id, 1) : text;
}

void TTranslations::ChangeLanguage() {
  if (onChangeLanguage_) onChangeLanguage_();
}

}  // namespace corvenna
