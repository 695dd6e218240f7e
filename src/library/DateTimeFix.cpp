// Every date, time, number and money text that the library formats or parses
// without a fixed pattern follows the user's default locale from load on.
// Only the shared library does this; the static layers the tests link keep
// whatever record a test sets.
#include "platform/FormatSettings.h"

namespace corvenna {
namespace {

__attribute__((constructor)) void DateTimeFix() { FormatSettings() = FormatSettingsFromLocale(); }

}  // namespace
}  // namespace corvenna
