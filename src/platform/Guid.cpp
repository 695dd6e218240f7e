#include "platform/Guid.h"

#include <uuid/uuid.h>

namespace corvenna {

std::string NewGuidText() {
  uuid_t id;
  uuid_generate_random(id);
  if (uuid_is_null(id)) return "";
  char text[37];
  uuid_unparse_upper(id, text);
  return std::string("{") + text + "}";
}

}  // namespace corvenna
