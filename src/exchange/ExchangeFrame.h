#pragma once
// The pieces every exchange run is made of: its settings, the day log and the
// entries collected for it, the SOAP request frame, the transport and the
// message copies. Each exchange strings them together in its own order.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/FormatSettings.h"
#include "platform/Messages.h"
#include "platform/XmlDocument.h"

namespace corvenna {

inline constexpr const char* SoapEnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr const char* WsseNamespace =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd";
inline constexpr const char* PasswordTextType =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-username-token-profile-1.0#PasswordText";
inline constexpr const char* OtaNamespace = "http://www.opentravel.org/OTA/2003/05";
// What copies and log entries carry in place of the WS-Security password.
inline constexpr const char* MaskedPassword = "********";

// The settings of one run, read in this order and each trimmed. Raises when
// the call could not read the settings store (platform/RegistryCall.h).
struct TExchangeSettings {
  std::string UserName;
  std::string Password;
  std::string HotelCode;
  std::string RequestorID;
  std::string Endpoint;
};
TExchangeSettings ReadExchangeSettings();

// Raises when the value of the setting holds a character that XML cannot
// carry: a request with it would be no XML. The message names the setting,
// never its value (it may be the password).
void RequireXmlSetting(const std::string& name, const std::string& value);
// The four of the frame that go into every request (the endpoint does not).
void RequireXmlSettings(const TExchangeSettings& settings);

// "OTA" + two-digit day + the locale's short month name without any "." + ".log".
std::string DayLogName(TDateTime date, const TFormatSettings& settings = FormatSettings());
// The Documents folder + "/Quendale/OTA/" + DayLogName of today.
std::string DayLogPath();

// The day's exchange log, open for appending (created when missing, made
// owner-only) for the whole run. The folder is never created: a missing one
// raises EOSError, and so does a symbolic link in the log's place.
class TDayLog {
 public:
  explicit TDayLog(const std::string& path);
  ~TDayLog();  // closes quietly when Close was not reached
  TDayLog(const TDayLog&) = delete;
  TDayLog& operator=(const TDayLog&) = delete;

  // Writes the text as it stands and flushes it; raises EOSError on failure.
  void Write(const std::string& text);
  // Raises EOSError when the file cannot be closed.
  void Close();

 private:
  struct Closer {
    void operator()(std::FILE* file) const;
  };
  std::string path_;
  std::unique_ptr<std::FILE, Closer> file_;
};

// The entries a run collects for its log block: a marker, an empty entry and a
// document's re-indented XML, or whatever the exchange adds.
class TLogLines {
 public:
  void Add(std::string entry) { entries_.push_back(std::move(entry)); }
  // marker, "", LoggedXml(doc)
  void AddDocument(const std::string& marker, const XmlDocument& doc);
  const std::vector<std::string>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  std::vector<std::string> entries_;
};

// The longest entry of the day log, as written (CR LF line ends included).
inline constexpr size_t MaxLogEntryBytes = 8u * 1024u * 1024u;
// The line that ends an entry cut at MaxLogEntryBytes.
inline constexpr const char* LogEntryCutLine = "<--cut at 8 MiB: the message copy holds the whole document-->";

// The document as the log shows it: its XML re-indented, cut at
// MaxLogEntryBytes with LogEntryCutLine as its last line when it is longer.
std::string LoggedXml(const XmlDocument& doc);
// "<--" + the locale's long time of now + "-->".
std::string LogTimeLine();
// The time line, then every entry split at its line breaks, each line ended by
// CR LF; an empty entry gives an empty line.
std::string LogBlockText(const std::string& timeLine, const std::vector<std::string>& entries);

// One run from its opening to its end. The constructor is the opening (the
// settings, the log-line list, the day log); it raises before anything is
// guarded. Guarded() runs the rest with every error caught.
class TExchangeRun {
 public:
  TExchangeRun();

  const TExchangeSettings& Settings() const { return settings_; }
  const std::string& EchoToken() const { return echoToken_; }
  TLogLines& Log() { return log_; }

  // Makes the run's EchoToken, checks the frame's settings (RequireXmlSettings),
  // then runs body. 1 when body returned, 0 when it raised; after an error the
  // collected entries are dropped and the error is the run's failure.
  int Guarded(const std::function<void()>& body);
  // Notes that the run does not go through, although it goes on (a reply the
  // channel manager refused). The first failure noted is the one kept.
  void NoteFailure(const std::string& why);
  // Why the run did not go through; empty while it does.
  const std::string& Failure() const { return failure_; }
  // The log block of a run that reached its end: the time line, then every
  // collected entry.
  void WriteLogBlock();
  // Ends the run: its failure goes to LastRunFailure, the entries are freed
  // and the day log closed (a failure to close raises).
  void End();

 private:
  TExchangeSettings settings_;
  TLogLines log_;
  TDayLog dayLog_;
  std::string echoToken_;
  std::string failure_;
};

// The OTA time stamp of now: the UTC reading with the suffix "Z".
std::string OtaTimeStamp();

// Builds the request frame in an empty document: the declaration, the SOAP
// envelope with the WS-Security header, the body and the OTA root (xmlns,
// Version, TimeStamp of now, EchoToken), with POS unless withPos is false.
// Returns the OTA root, under which the exchange hangs its body.
XmlNode BuildRequestFrame(XmlDocument& doc, const std::string& rootName, const TExchangeSettings& settings,
                          const std::string& echoToken, bool withPos = true);

// Serialises the request as it goes on the wire, then puts MaskedPassword in
// place of the WS-Security password's text, so that copies and log entries
// made from the document afterwards never carry the real one. Raises, before
// anything, for a request holding a character that XML cannot carry.
std::string SealRequest(XmlDocument& doc);

// What the reply to a posted request must be: the OTA response its request
// asks for, and the HTTP status the reply came with.
struct TPostedReply {
  std::string responseName;  // "OTA_ResRetrieveRS" for an OTA_ReadRQ, "OTA_NotifReportRS" for an OTA_NotifReportRQ
  long httpStatus = 0;
};

// Posts wireText to the endpoint with Content-Type "text/xml" and loads the
// reply into the same document, its payment cards masked (MaskPaymentCards)
// before any copy or log entry is made of it; a reply that is not XML leaves
// it without a root. Raises EHttpError when no reply was obtained, and raises
// before posting when the call could not read the settings store.
TPostedReply PostRequest(XmlDocument& doc, const std::string& endpoint, const std::string& wireText);

// Raises EXmlError, as for a reply that is not XML, unless the reply is a SOAP
// fault or a SOAP envelope whose body holds the expected response: any other
// page (a proxy's, an empty body) is no answer, not an answer without news.
// The message names the HTTP status when it is not 2xx.
void RequireAnswer(const XmlDocument& doc, const TPostedReply& reply);

// A card number as copies and log entries carry it: trimmed, every character
// but the last four masked with '*' ("************1111"); one too short to be
// a card number is masked whole.
std::string MaskedCardNumber(const std::string& number);
// Masks the number (MaskedCardNumber) and the security code (whole) of every
// PaymentCard, each as an attribute (CardNumber, SeriesCode) or an element
// (CardNumber/PlainText, SeriesCode/PlainText). The import reads neither.
void MaskPaymentCards(XmlDocument& doc);

// Message copies: the Documents folder + "/Quendale/Temp/" + name (asked anew
// each time; the folder is never created).
std::string MessageCopyPath(const std::string& name);
// Raises EOSError, naming the path and what stands there, when the copy's
// place holds something that is neither a regular file nor a symbolic link
// (a FIFO, a socket, a device, a folder): it is no copy of ours.
void RequireCopyPlace(const std::string& name);
// Removes the copy when it exists; what RequireCopyPlace refuses is left.
void DeleteMessageCopy(const std::string& name);
// Saves the document over the copy; raises EXmlError when it cannot.
void SaveMessageCopy(const XmlDocument& doc, const std::string& name);

// The names of one message's copies and log markers.
struct TMessageNames {
  std::string requestCopy;
  std::string requestMarker;
  std::string replyCopy;
  std::string replyMarker;
};

// Sends the request built in doc the way the updates and the reports do: the
// request copy deleted, saved and logged; the reply copy's place checked; the
// post; the old reply copy deleted, the reply checked (RequireAnswer, then
// CheckResponseErrors), saved and logged. Returns the check's verdict.
bool ExchangeMessage(TExchangeRun& run, XmlDocument& doc, const TMessageNames& names);

// The exchange unit's message dialog, with one button MsgClose; shows nothing
// when SilentRun.
void ShowExchangeMessage(TaskIcon icon, const std::string& title, const std::string& instruction,
                         const std::string& content, const std::string& expanded = std::string());

}  // namespace corvenna
