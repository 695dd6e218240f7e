#pragma once
// The store of the host's translation file: texts by identifier and language,
// the language counted from 1. The file's format is described in
// docs/TRANSLATIONS.md.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace corvenna {

class TTranslations {
 public:
  // The languages the store knows before any file is loaded (their names only).
  explicit TTranslations(std::vector<std::string> languageNames = {});

  // Drops every text; the languages and the active one stay.
  void ClearTranslations();
  // Replaces languages and texts by those of the file, then reports a
  // language change. Raises EOSError when the file cannot be read.
  void LoadAllFromFile(const std::string& path);
  // The same from a text in the file's format.
  void LoadAllFromText(const std::string& text);

  int ActiveLanguage() const { return active_; }
  // Switches to a language the store has and reports the change; the current
  // index, or one the store does not have, changes nothing.
  void SetActiveLanguage(int language);
  int LanguageCount() const { return static_cast<int>(languageNames_.size()); }
  const std::vector<std::string>& LanguageNames() const { return languageNames_; }

  // The text in the active language; where that is empty, the text in
  // language 1; an unknown identifier gives the empty text.
  std::string GetTextOrDefault(const std::string& id) const;

  // Called after a load and after a switch of the active language.
  void SetOnChangeLanguage(std::function<void()> handler) { onChangeLanguage_ = std::move(handler); }

 private:
  std::string TextIn(const std::string& id, int language) const;
  void ChangeLanguage();

  std::vector<std::string> languageNames_;
  // id -> texts by language index - 1
  std::map<std::string, std::vector<std::string>, std::less<>> texts_;
  int active_ = 1;
  std::function<void()> onChangeLanguage_;
};

}  // namespace corvenna
