#pragma once
// The small hotel of `init --sample-hotel`: three room types with their
// rooms and rates, and the host settings that describe them.
#include <string>
#include <vector>

namespace quendale {

struct SampleRoom {
  std::string roomNo;
  int roomType = 0;
  std::string sortNo;
  double doubleRate = 0;
};

std::vector<SampleRoom> SampleRooms();
// The host's registry values for the sample hotel (room-type names, language, tax).
void WriteSampleHostSettings();

}  // namespace quendale
