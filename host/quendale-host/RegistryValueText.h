#pragma once
// Registry values as the command line writes them: a type word and a text.
#include <string>

#include "platform/Registry.h"

namespace quendale {

// TYPE is sz, expand_sz, dword (decimal or 0x hex, -2147483648 to 4294967295),
// binary (hex digits in pairs) or double (an 8-byte binary holding it).
// Raises UsageError naming the type or the value that cannot be read.
corvenna::TRegValue ParseRegValue(const std::string& type, const std::string& value);

// "sz TEXT", "dword N", "binary HEX"; an 8-byte binary also shows the double
// it holds: "binary 000000000000f83f (double 1.5)".
std::string FormatRegValue(const corvenna::TRegValue& value);

}  // namespace quendale
