#pragma once
// The host's reservation database, made from the host schema.
#include <filesystem>
#include <string_view>
#include <vector>

#include "SampleHotel.h"

namespace quendale {

// Writes a new database at `file` holding the schema's tables and the given
// rooms. Built beside the target and moved into place only when complete, so
// a failure leaves no half-made file. Raises HostError naming the file.
void CreateHostDatabase(const std::filesystem::path& file, std::string_view schema,
                        const std::vector<SampleRoom>& rooms);

// Removes a database file and the journal files SQLite keeps beside it.
void RemoveHostDatabase(const std::filesystem::path& file);

}  // namespace quendale
