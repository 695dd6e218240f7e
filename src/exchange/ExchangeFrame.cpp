#include "exchange/ExchangeFrame.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "data/Constants.h"
#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/CorvennaMessages.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/HttpRequest.h"
#include "platform/PrivateFile.h"
#include "platform/RegularFile.h"
#include "platform/RegistryCall.h"
#include "platform/Text.h"
#include "platform/XmlCharacters.h"

namespace corvenna {

bool SilentRun = false;

TExchangeSettings ReadExchangeSettings() {
  TExchangeSettings settings;
  settings.UserName = Trim(ReadUserName());
  settings.Password = Trim(ReadPassword());
  settings.HotelCode = Trim(ReadHotelCode());
  settings.RequestorID = Trim(ReadRequestorID());
  settings.Endpoint = Trim(ReadCorvennaAvailReqUlr());
  RequireReadableRegistry();
  return settings;
}

void RequireXmlSetting(const std::string& name, const std::string& value) {
  if (!IsXmlText(value))
    throw Exception(Format("The setting %s holds a character that XML cannot carry", name.c_str()));
}

void RequireXmlSettings(const TExchangeSettings& settings) {
  RequireXmlSetting("UserName", settings.UserName);
  RequireXmlSetting("Password", settings.Password);
  RequireXmlSetting("HotelCode", settings.HotelCode);
  RequireXmlSetting("RequestorID", settings.RequestorID);
}

// ---- the day log -------------------------------------------------------------

std::string DayLogName(TDateTime date, const TFormatSettings& settings) {
  int year = 0, month = 0, day = 0;
  DecodeDate(date, year, month, day);
  const std::string monthName = ReplaceAll(settings.ShortMonthNames.at(static_cast<size_t>(month - 1)), ".", "");
  return Format("OTA%02d", day) + monthName + ".log";
}

std::string DayLogPath() { return GetMyDocumentsPath() + std::string(OtaLogSubPath) + DayLogName(Now()); }

void TDayLog::Closer::operator()(std::FILE* file) const { std::fclose(file); }

TDayLog::TDayLog(const std::string& path) : path_(path), file_(OpenPrivateFileForAppend(path)) {
  if (!file_)
    throw EOSError(
        Format("Cannot open the exchange log \"%s\": %s", path.c_str(), PrivateFileErrorText(path, errno).c_str()));
}

TDayLog::~TDayLog() = default;

void TDayLog::Write(const std::string& text) {
  if (!file_) throw EOSError(Format("The exchange log \"%s\" is closed", path_.c_str()));
  if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size() || std::fflush(file_.get()) != 0)
    throw EOSError(Format("Cannot write the exchange log \"%s\": %s", path_.c_str(), std::strerror(errno)));
}

void TDayLog::Close() {
  if (!file_) return;
  if (std::fclose(file_.release()) != 0)
    throw EOSError(Format("Cannot close the exchange log \"%s\": %s", path_.c_str(), std::strerror(errno)));
}

// ---- log entries and the log block ---------------------------------------------

namespace {

// The bytes an entry takes in the log: every line break becomes CR LF, and
// the entry's last line gets one too.
size_t WrittenSize(std::string_view entry) {
  return entry.size() + static_cast<size_t>(std::count(entry.begin(), entry.end(), '\n')) + 2;
}

// The longest start of the text that leaves room for the cut line, then the cut line.
std::string CutLogEntry(std::string text) {
  const std::string_view cutLine(LogEntryCutLine);
  const size_t budget = MaxLogEntryBytes - (cutLine.size() + 2) - 2;
  size_t end = 0, used = 0;
  while (end < text.size() && used + (text[end] == '\n' ? 2 : 1) <= budget) used += text[end++] == '\n' ? 2 : 1;
  text.resize(Utf8Left(text, end).size());
  text.append("\n").append(cutLine);
  return text;
}

}  // namespace

std::string LoggedXml(const XmlDocument& doc) {
  XmlExcerpt xml = doc.IndentedXmlExcerpt(MaxLogEntryBytes);
  if (!xml.cut && WrittenSize(xml.text) <= MaxLogEntryBytes) return std::move(xml.text);
  return CutLogEntry(std::move(xml.text));
}

void TLogLines::AddDocument(const std::string& marker, const XmlDocument& doc) {
  Add(marker);
  Add(std::string());
  Add(LoggedXml(doc));
}

std::string LogTimeLine() { return "<--" + FormatDateTime(FormatSettings().LongTimeFormat, Now()) + "-->"; }

namespace {

// An entry gives one line per line break it holds; a closing break adds none.
void AppendEntryLines(std::string& out, std::string_view entry) {
  if (!entry.empty() && entry.back() == '\n') entry.remove_suffix(1);
  while (true) {
    const size_t end = entry.find('\n');
    std::string_view line = entry.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out.append(line).append("\r\n");
    if (end == std::string_view::npos) break;
    entry.remove_prefix(end + 1);
  }
}

}  // namespace

std::string LogBlockText(const std::string& timeLine, const std::vector<std::string>& entries) {
  // A request of a year's availability logs megabytes: grow the block once.
  size_t size = timeLine.size() + 2;
  for (const std::string& entry : entries) size += entry.size() + entry.size() / 8 + 2;
  std::string out;
  out.reserve(size);
  AppendEntryLines(out, timeLine);
  for (const std::string& entry : entries) AppendEntryLines(out, entry);
  return out;
}

// ---- the run -----------------------------------------------------------------------

namespace {

// A writer's message names only the value; the store's own failure says why.
std::string FailureText(const std::exception& error) {
  const std::string store = RegistryCallFailure();
  if (store.empty() || store == error.what() || dynamic_cast<const ERegistryException*>(&error) == nullptr)
    return error.what();
  return std::string(error.what()) + ": " + store;
}

}  // namespace

TExchangeRun::TExchangeRun() : settings_(ReadExchangeSettings()), log_(), dayLog_(DayLogPath()) {}

int TExchangeRun::Guarded(const std::function<void()>& body) {
  try {
    echoToken_ = NewGuidString();
    RequireXmlSettings(settings_);
    body();
    return 1;
  } catch (const std::exception& error) {
    log_.Clear();
    NoteFailure(FailureText(error));
    return 0;
  }
}

void TExchangeRun::NoteFailure(const std::string& why) {
  if (failure_.empty()) failure_ = why;
}

void TExchangeRun::WriteLogBlock() { dayLog_.Write(LogBlockText(LogTimeLine(), log_.Entries())); }

void TExchangeRun::End() {
  LastRunFailure = failure_;
  log_.Clear();
  dayLog_.Close();
}

// ---- the request frame and the transport ----------------------------------------------

std::string OtaTimeStamp() { return FormatUtcTimeStamp(NowUTC()); }

XmlNode BuildRequestFrame(XmlDocument& doc, const std::string& rootName, const TExchangeSettings& settings,
                          const std::string& echoToken, bool withPos) {
  doc.InsertDeclaration();
  XmlNode envelope = doc.AppendElement("soap:Envelope");
  envelope.SetAttribute("xmlns:soap", SoapEnvelopeNamespace);

  XmlNode security = envelope.AppendElement("soap:Header").AppendElement("wsse:Security");
  security.SetAttribute("soap:mustUnderstand", "1")
      .SetAttribute("xmlns:wsse", WsseNamespace)
      .SetAttribute("xmlns:soap", SoapEnvelopeNamespace);
  XmlNode token = security.AppendElement("wsse:UsernameToken");
  token.AppendElement("wsse:Username").SetText(settings.UserName);
  token.AppendElement("wsse:Password").SetAttribute("Type", PasswordTextType).SetText(settings.Password);

  XmlNode root = envelope.AppendElement("soap:Body").AppendElement(rootName);
  root.SetAttribute("xmlns", OtaNamespace)
      .SetAttribute("Version", "1.0")
      .SetAttribute("TimeStamp", OtaTimeStamp())
      .SetAttribute("EchoToken", echoToken);
  if (withPos) {
    root.AppendElement("POS").AppendElement("Source").AppendElement("RequestorID")
        .SetAttribute("Type", "22")
        .SetAttribute("ID", settings.RequestorID);
  }
  return root;
}

std::string SealRequest(XmlDocument& doc) {
  if (!doc.HoldsOnlyXmlText())
    throw EXmlError("The request holds a character that XML cannot carry: it is not sent");
  std::string wireText = doc.Xml();
  for (XmlNode password : doc.GetElementsByTagName("wsse:Password")) password.SetText(MaskedPassword);
  return wireText;
}

namespace {

// The OTA root under the body, as BuildRequestFrame made it.
std::string RequestName(const XmlDocument& request) {
  for (const XmlNode& body : request.DocumentElement().ChildElements()) {
    if (body.NodeName() != "soap:Body") continue;
    const std::vector<XmlNode> roots = body.ChildElements();
    return roots.empty() ? std::string() : roots.front().NodeName();
  }
  return std::string();
}

// Each notification is answered by its own name with RS for RQ.
std::string ResponseNameOf(const std::string& requestName) {
  if (requestName == "OTA_ReadRQ") return "OTA_ResRetrieveRS";
  if (requestName.size() > 2 && requestName.compare(requestName.size() - 2, 2, "RQ") == 0)
    return requestName.substr(0, requestName.size() - 2) + "RS";
  return requestName;
}

}  // namespace

TPostedReply PostRequest(XmlDocument& doc, const std::string& endpoint, const std::string& wireText) {
  TPostedReply expected{ResponseNameOf(RequestName(doc))};
  // Settings read as defaults for want of the store never go out.
  RequireReadableRegistry();
  HttpReply reply = HttpPostXmlReply(endpoint, wireText);
  expected.httpStatus = reply.status;
  doc.LoadXml(reply.body);
  MaskPaymentCards(doc);
  return expected;
}

// ---- payment cards ------------------------------------------------------------------------

namespace {

// Card numbers have 12 to 19 digits; only of those are the last four kept.
constexpr size_t ShortestCardNumber = 12;
constexpr size_t CardNumberKeptTail = 4;

using TCardMask = std::string (*)(const std::string&);

std::string MaskedWhole(const std::string& text) { return std::string(Trim(text).size(), '*'); }

// The number is the element's text, or that of its PlainText children where
// it has elements inside.
void MaskCardElement(XmlNode element, TCardMask mask) {
  const std::vector<XmlNode> children = element.ChildElements();
  for (XmlNode child : children)
    if (child.LocalName() == "PlainText") child.SetText(mask(child.Text()));
  if (children.empty() && !element.Text().empty()) element.SetText(mask(element.Text()));
}

void MaskCardAttribute(XmlNode card, const char* name, TCardMask mask) {
  const std::string value = card.Attribute(name);
  if (!value.empty()) card.SetAttribute(name, mask(value));
}

}  // namespace

std::string MaskedCardNumber(const std::string& number) {
  const std::string trimmed = Trim(number);
  const size_t kept = trimmed.size() >= ShortestCardNumber ? CardNumberKeptTail : 0;
  return std::string(trimmed.size() - kept, '*') + trimmed.substr(trimmed.size() - kept);
}

void MaskPaymentCards(XmlDocument& doc) {
  for (XmlNode card : doc.GetElementsByLocalName("PaymentCard")) {
    MaskCardAttribute(card, "CardNumber", MaskedCardNumber);
    MaskCardAttribute(card, "SeriesCode", MaskedWhole);
    for (XmlNode child : card.ChildElements()) {
      const std::string name = child.LocalName();
      if (name == "CardNumber") MaskCardElement(child, MaskedCardNumber);
      if (name == "SeriesCode") MaskCardElement(child, MaskedWhole);
    }
  }
}

// ---- message copies and the message dialog ------------------------------------------------

std::string MessageCopyPath(const std::string& name) { return GetMyDocumentsPath() + std::string(TempSubPath) + name; }

void RequireCopyPlace(const std::string& name) {
  const std::string path = MessageCopyPath(name);
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode) || S_ISLNK(status.st_mode)) return;
  throw EOSError(
      Format("Cannot write the message copy \"%s\": %s", path.c_str(), NotRegularFileText(status.st_mode).c_str()));
}

void DeleteMessageCopy(const std::string& name) {
  RequireCopyPlace(name);
  const std::string path = MessageCopyPath(name);
  std::error_code error;
  std::filesystem::remove(path, error);
  if (error) throw EOSError(Format("Cannot delete the message copy \"%s\": %s", path.c_str(), error.message().c_str()));
}

void SaveMessageCopy(const XmlDocument& doc, const std::string& name) { doc.Save(MessageCopyPath(name)); }

bool ExchangeMessage(TExchangeRun& run, XmlDocument& doc, const TMessageNames& names) {
  const std::string wireText = SealRequest(doc);
  DeleteMessageCopy(names.requestCopy);
  SaveMessageCopy(doc, names.requestCopy);
  run.Log().AddDocument(names.requestMarker, doc);

  RequireCopyPlace(names.replyCopy);
  const TPostedReply expected = PostRequest(doc, run.Settings().Endpoint, wireText);
  DeleteMessageCopy(names.replyCopy);
  RequireAnswer(doc, expected);
  const bool accepted = CheckResponseErrors(doc);
  SaveMessageCopy(doc, names.replyCopy);
  run.Log().AddDocument(names.replyMarker, doc);
  return accepted;
}

void ShowExchangeMessage(TaskIcon icon, const std::string& title, const std::string& instruction,
                         const std::string& content, const std::string& expanded) {
  if (SilentRun) return;
  TaskMessage message;
  message.title = title;
  message.icon = icon;
  message.instruction = instruction;
  message.content = content;
  message.expanded = expanded;
  message.button = MsgClose;
  ShowTaskMessage(message);
}

}  // namespace corvenna
