// The read request, the import of its reply and one report per OtaResponse row.
#include "exchange/CorvennaMessages.h"

#include "data/OtaDataModule.h"
#include "data/OtaOpenTables.h"
#include "exchange/BookingImport.h"
#include "exchange/CorvennaMessages.h"
#include "exchange/ExchangeFrame.h"
#include "exchange/RetrievalLock.h"
#include "platform/Clock.h"
#include "platform/Dataset.h"
#include "platform/Errors.h"
#include "platform/HttpRequest.h"
#include "platform/Text.h"
#include "platform/XmlCharacters.h"
#include "platform/XmlDocument.h"

namespace corvenna {
namespace {

// A silent run logs its reply only when the reply says something.
inline constexpr size_t SilentReplyLogUnits = 400;

void AppendReadRequestBody(XmlNode root, const std::string& hotelCode) {
  root.AppendElement("ReadRequests")
      .AppendElement("HotelReadRequest")
      .SetAttribute("HotelCode", hotelCode)
      .AppendElement("SelectionCriteria")
      .SetAttribute("SelectionType", "Undelivered");
}

void LogReadRequest(TLogLines& log, const XmlDocument& doc, bool silent) {
  if (!silent) {
    log.AddDocument("<--ReadRQ-->", doc);
    return;
  }
  log.Add("<--ReadRQ-->");
  log.Add(std::string());
}

void LogReadReply(TLogLines& log, const XmlDocument& doc, bool silent) {
  const std::string xml = LoggedXml(doc);
  if (silent && Utf16Length(xml) < SilentReplyLogUnits) return;
  log.Add("<--RetriveRS-->");
  log.Add(std::string());
  log.Add(xml);
}

// ---- the reports ---------------------------------------------------------------------

struct TReportError {
  const char* code;
  const char* text;
};

TReportError ReportErrorOf(int32_t valid) {
  if (valid == ValidNoRoomType) return {"402", "Invalid room type"};
  return {"403", "Room not available"};
}

void AppendReportBody(XmlNode root, TDataSet& row) {
  const int32_t valid = row.FieldByName("Valid").AsInteger();
  if (valid == ValidStored) {
    root.AppendElement("Success");
  } else {
    const TReportError error = ReportErrorOf(valid);
    root.AppendElement("Errors").AppendElement("Error").SetAttribute("Type", "3").SetAttribute("Code", error.code)
        .SetText(error.text);
  }
  XmlNode reservation = root.AppendElement("NotifDetails")
                            .AppendElement("HotelNotifReport")
                            .AppendElement("HotelReservations")
                            .AppendElement("HotelReservation");
  reservation.SetAttribute("ResStatus", "Book").SetAttribute("CreateDateTime", OtaTimeStamp());
  reservation.AppendElement("UniqueID")
      .SetAttribute("Type", row.FieldByName("TravelID").AsString())
      .SetAttribute("ID", row.FieldByName("BookingNo").AsString());
  if (valid != ValidStored) return;
  reservation.AppendElement("ResGlobalInfo")
      .AppendElement("HotelReservationIDs")
      .AppendElement("HotelReservationID")
      .SetAttribute("ResID_Type", row.FieldByName("ResIDType").AsString())
      .SetAttribute("ResID_Value", row.FieldByName("ResIDValue").AsString());
}

void SendReport(TExchangeRun& run, TDataSet& row, int number) {
  XmlDocument doc;
  const TExchangeSettings& settings = run.Settings();
  AppendReportBody(BuildRequestFrame(doc, "OTA_NotifReportRQ", settings, run.EchoToken(), false), row);
  const std::string n = IntToStr(number);
  ExchangeMessage(run, doc,
                  {"NotifReportRQ" + n + ".xml", "<--NotifReportRQ-->", "NotifReportRS" + n + ".xml", "<--NotifReportRS-->"});
}

// The ids a report of the row would echo. One that XML cannot carry cannot be
// sent as received, and any other form of it would confirm an id the channel
// manager never sent.
bool ReportCarriesIds(TDataSet& row) {
  const auto carried = [&row](const char* field) { return IsXmlText(row.FieldByName(field).AsString()); };
  if (!carried("BookingNo") || !carried("TravelID")) return false;
  // Only a success names the hotel's reservation id.
  return row.FieldByName("Valid").AsInteger() != ValidStored || (carried("ResIDType") && carried("ResIDValue"));
}

std::string UnreportableText(TDataSet& row) {
  const std::string bookingNo = row.FieldByName("BookingNo").AsString();
  return Format("Reservation %d of the reply (booking number %s) cannot be reported: its ids hold a character "
                "that XML cannot carry",
                ReplyPositionOf(bookingNo), EscapeNonXmlText(bookingNo).c_str());
}

// A reservation that cannot be reported fails the run but holds up no other.
void SendReports(TExchangeRun& run) {
  TTable& responses = DM().tblOtaResponse;
  int number = 1;
  for (responses.First(); !responses.Eof(); responses.Next()) {
    if (ReportCarriesIds(responses))
      SendReport(run, responses, number++);
    else
      run.NoteFailure(UnreportableText(responses));
  }
}

void RetrieveAndReport(TExchangeRun& run, bool silent) {
  // Held from before the read: a read sent beside another run's would be
  // offered the same undelivered reservations.
  const TFileLock retrievalLock = LockRetrievals();
  // No read is sent for reservations the host database could not store.
  RequireTablesActive();
  // The read and its reports, one for every room stay, go over one connection.
  const HttpKeepAlive keepAlive;
  XmlDocument doc;
  const TExchangeSettings& settings = run.Settings();
  AppendReadRequestBody(BuildRequestFrame(doc, "OTA_ReadRQ", settings, run.EchoToken()), settings.HotelCode);
  CheckResponseErrors(doc);
  const std::string wireText = SealRequest(doc);
  SaveMessageCopy(doc, "ReadRQ.xml");
  LogReadRequest(run.Log(), doc, silent);
  RequireCopyPlace("ResRetriveRS.xml");

  const TPostedReply expected = PostRequest(doc, settings.Endpoint, wireText);
  DeleteMessageCopy("ResRetriveRS.xml");
  SaveMessageCopy(doc, "ResRetriveRS.xml");
  LogReadReply(run.Log(), doc, silent);
  RequireAnswer(doc, expected);
  if (!CheckResponseErrors(doc)) {
    // A refused read ends the run quietly: nothing imported, reported or logged.
    run.Log().Clear();
    run.NoteFailure(ResponseErrorText(doc));
    return;
  }

  const TImportFailures import = ParseReservations(doc);
  for (const std::string& refusal : import.refusedReservations) run.NoteFailure(refusal);
  if (!import.stopError.empty()) run.NoteFailure("The import of the reply stopped: " + import.stopError);
  SendReports(run);
  run.WriteLogBlock();
}

}  // namespace

int BookingRetrieval(bool Silent) {
  SilentRun = Silent;
  LastRunFailure.clear();
  PrevArrivalDate = Now();
  NewReservationCount = 0;
  RejectedReservationCount = 0;
  ClearReservationRecord(true);

  TExchangeRun run;
  const int result = run.Guarded([&] { RetrieveAndReport(run, Silent); });
  run.End();
  return result;
}

}  // namespace corvenna
