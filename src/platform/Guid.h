#pragma once
#include <string>

namespace corvenna {

// A new GUID in registry form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// upper-case; the empty text when the system cannot make one.
std::string NewGuidText();

}  // namespace corvenna
