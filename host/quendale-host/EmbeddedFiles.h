#pragma once
// The host's files, built into the program so that init needs no source tree.
#include <cstddef>
#include <string_view>

namespace quendale {

// host/schema.sql: the eight host tables and their indexes.
std::string_view EmbeddedSchema();
// host/Language.sil: the translation file the host installs.
std::string_view EmbeddedLanguageFile();

}  // namespace quendale
