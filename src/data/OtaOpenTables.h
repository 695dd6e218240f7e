#pragma once
// Pointing the data module at the host's database, opening its tables, and the
// availability inventory built from the host's occupancy.
#include <string>

#include "platform/DateTime.h"

namespace corvenna {

// Connects DM().Quendale to ReadDataDir() + "/" + ReadDataBaseFileName() and
// gives every dataset the file's alias. Raises when the file cannot be opened.
void OpenHostDatabase();
// The alias of a database file: its name up to the first "." followed by "Ota".
std::string HostDatabaseAlias(const std::string& path);
// Gives the twelve datasets of DM the database name `alias`.
void SetDatabaseNames(const std::string& alias);
// Opens or closes the eight tables of DM; a missing table raises and the
// tables after it stay closed. A table left closed by a failure here or in
// OpenHostDatabase raises that failure (naming the file or table) when used.
void SetTablesActive(bool active);
// Raises the failure that left one of the eight tables closed, if any did.
void RequireTablesActive();

// Rebuilds OccInventory as runs of days with constant availability per host
// room type, in one transaction: a failure leaves the previous inventory whole.
// Leaves DM().qryRoomType and DM().qryOccupancy open.
void BuildOccInventory(TDateTime firstDay, TDateTime lastDay);
// Opens DM().qryRoomType on the rooms that take part in channel traffic,
// ordered by room type, on its first row.
void OpenRoomTypeQuery();

}  // namespace corvenna
