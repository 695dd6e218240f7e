// Send and the handlers that feed it: the date buttons, the day-count list
// and the XML-file button.
#include "ui/CorvennaDlg.h"

namespace corvenna {

void TdlgCorvenna::btnSendClick() {}

void TdlgCorvenna::btnFromDateClick() {}

void TdlgCorvenna::btnToDateClick() {}

void TdlgCorvenna::cbNumberDaysCloseUp() { ShowLatestReservations(); }

void TdlgCorvenna::btnSelectXmlClick() {}

}  // namespace corvenna
