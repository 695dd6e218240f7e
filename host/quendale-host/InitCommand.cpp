// init: what the host's installer leaves below the user's Documents folder.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "EmbeddedFiles.h"
#include "HostCommands.h"
#include "HostDatabase.h"
#include "HostError.h"
#include "SampleHotel.h"
#include "platform/DocumentsFolder.h"

namespace quendale {
namespace fs = std::filesystem;

namespace {

struct InitOptions {
  bool sampleHotel = false;
  bool force = false;
};

InitOptions ParseInit(const Arguments& args) {
  InitOptions options;
  for (const std::string& arg : args) {
    if (arg == "--sample-hotel") options.sampleHotel = true;
    else if (arg == "--force") options.force = true;
    else throw UsageError("init takes --sample-hotel and --force, not '" + arg + "'");
  }
  return options;
}

void MakeFolder(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) throw HostError("cannot create the folder '" + folder.string() + "': " + error.message());
}

void WriteFile(const fs::path& file, std::string_view content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  out.close();
  if (!out) throw HostError("cannot write '" + file.string() + "'");
}

}  // namespace

void RunInit(const Arguments& args) {
  const InitOptions options = ParseInit(args);
  const std::optional<std::string> documents = corvenna::DocumentsFolder();
  if (!documents) throw HostError("Could not determine My Documents path (create $HOME/Documents first)");
  const fs::path base = fs::path(*documents) / "Quendale";
  const fs::path database = base / "Database" / "Quendale.abs";
  std::error_code error;
  if (fs::exists(fs::symlink_status(database, error)) && !options.force)
    throw HostError("the host database '" + database.string() + "' exists already; --force replaces it");

  for (const char* folder : {"Database", "Temp", "OTA", "Lan"}) MakeFolder(base / folder);
  const std::vector<SampleRoom> rooms = options.sampleHotel ? SampleRooms() : std::vector<SampleRoom>{};
  if (options.force) RemoveHostDatabase(database);
  CreateHostDatabase(database, EmbeddedSchema(), rooms);
  WriteFile(base / "Lan" / "Language.sil", EmbeddedLanguageFile());
  if (options.sampleHotel) WriteSampleHostSettings();

  std::cout << "host folders: " << base.string() << "/{Database,Temp,OTA,Lan}\n"
            << "database:     " << database.string() << " (" << rooms.size() << " rooms)\n"
            << "translations: " << (base / "Lan" / "Language.sil").string() << std::endl;
}

}  // namespace quendale
