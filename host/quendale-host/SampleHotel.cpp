#include "SampleHotel.h"

#include <cstdio>

#include "HostError.h"
#include "platform/Registry.h"

namespace quendale {
namespace {

struct SampleRoomType {
  int type;
  const char* description;
  int rooms;
  double rate;
};

constexpr SampleRoomType RoomTypes[] = {
    {1, "Single room", 3, 89.00},
    {2, "Double room", 4, 119.00},
    {3, "Junior suite", 2, 189.00},
};

corvenna::TRegistry OpenForWriting(const char* key) {
  corvenna::TRegistry registry;
  if (!registry.OpenKey(key, true))
    throw HostError(std::string("cannot open '") + key + "' for writing: " + registry.LastError());
  return registry;
}

}  // namespace

std::vector<SampleRoom> SampleRooms() {
  std::vector<SampleRoom> rooms;
  for (const SampleRoomType& type : RoomTypes) {
    for (int n = 1; n <= type.rooms; ++n) {
      char number[16];
      std::snprintf(number, sizeof number, "%d%02d", type.type, n);
      char sortNo[16];
      std::snprintf(sortNo, sizeof sortNo, "%03zu", rooms.size() + 1);
      rooms.push_back({number, type.type, sortNo, type.rate});
    }
  }
  return rooms;
}

void WriteSampleHostSettings() {
  corvenna::TRegistry preference = OpenForWriting("\\Software\\Quendale\\Preference");
  for (const SampleRoomType& type : RoomTypes)
    preference.WriteString("TypeDesc" + std::to_string(type.type), type.description);
  preference.WriteInteger("MaxNoNights", 32);
  OpenForWriting("\\Software\\Quendale\\MainWindow").WriteInteger("Language", 1);
  OpenForWriting("\\Software\\Quendale\\GSTSettings").WriteBool("GSTInclusive", true);
}

}  // namespace quendale
