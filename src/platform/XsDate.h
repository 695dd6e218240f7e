#pragma once
#include <string>

#include "platform/DateTime.h"

namespace corvenna {

// Parses an xs:date ("2026-05-01", optionally with a time-zone suffix such as
// "Z" or "+02:00", which is ignored) into that date at midnight. Also accepts
// an xs:dateTime and takes its date part. Raises EConvertError otherwise.
TDateTime ParseXsDate(const std::string& text);

}  // namespace corvenna
