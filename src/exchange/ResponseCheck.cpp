#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/CorvennaMessages.h"
#include "exchange/ExchangeFrame.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

// A SOAP 1.1 fault's text: its (unprefixed) faultstring, the last one winning.
bool FindSoapFault(const XmlDocument& doc, std::string& faultText) {
  const std::vector<XmlNode> faults = doc.GetElementsByTagName("faultstring");
  if (faults.empty()) return false;
  faultText = Trim(faults.back().Text());
  return true;
}

// OTA errors in one: type and code keep the last value given by any Error,
// the text is the last Error's.
struct TOtaErrorSummary {
  std::string type, code, text;
};

bool FindOtaErrors(const XmlDocument& doc, TOtaErrorSummary& summary) {
  const std::vector<XmlNode> errors = doc.GetElementsByTagName("Error");
  if (errors.empty()) return false;
  for (const XmlNode& error : errors) {
    summary.text = Trim(error.Text());
    for (const auto& [name, value] : error.Attributes()) {
      const std::string trimmedName = Trim(name);
      if (trimmedName == "Type") summary.type = Trim(value);
      if (trimmedName == "Code") summary.code = Trim(value);
    }
  }
  return true;
}

bool CheckSoapFault(const XmlDocument& doc) {
  std::string faultText;
  if (!FindSoapFault(doc, faultText)) return false;
  ShowExchangeMessage(TaskIcon::Error, MsgError, MsgError, faultText);
  WriteCorvennaErrorMsg(faultText);
  return true;
}

// One message for all of them.
bool CheckOtaErrors(const XmlDocument& doc) {
  TOtaErrorSummary errors;
  if (!FindOtaErrors(doc, errors)) return false;
  ShowExchangeMessage(TaskIcon::Error, std::string(),
                      MsgError + " - " + MsgType + " " + errors.type + " " + MsgCode + errors.code, errors.text);
  return true;
}

bool HasLocalName(const XmlNode& element, const std::string& localName) {
  const std::string name = element.NodeName();
  const size_t colon = name.find(':');
  return (colon == std::string::npos ? name : name.substr(colon + 1)) == localName;
}

// The envelope's prefix is the server's choice; the OTA element is read by its
// full name, as the import reads the elements below it.
bool EnvelopeHolds(const XmlDocument& doc, const std::string& responseName) {
  const XmlNode envelope = doc.DocumentElement();
  if (!HasLocalName(envelope, "Envelope")) return false;
  for (const XmlNode& body : envelope.ChildElements()) {
    if (!HasLocalName(body, "Body")) continue;
    for (const XmlNode& response : body.ChildElements())
      if (response.NodeName() == responseName) return true;
    return false;
  }
  return false;
}

bool IsSuccessStatus(long status) { return status >= 200 && status < 300; }

}  // namespace

void RequireAnswer(const XmlDocument& doc, const TPostedReply& reply) {
  std::string faultText;
  const bool xml = !doc.DocumentElement().IsNull();
  if (xml && (FindSoapFault(doc, faultText) || EnvelopeHolds(doc, reply.responseName))) return;
  const std::string what = xml ? "not an " + reply.responseName : "not an XML document";
  if (!IsSuccessStatus(reply.httpStatus))
    throw EXmlError(Format("HTTP %ld: the reply is %s", reply.httpStatus, what.c_str()));
  throw EXmlError("The reply is " + what);
}

bool CheckResponseErrors(const XmlDocument& Doc) {
  if (Doc.DocumentElement().IsNull()) throw EXmlError("The reply is not an XML document");
  WriteCorvennaErrorMsg(std::string());
  const bool fault = CheckSoapFault(Doc);
  WriteCorvennaHasError(fault);
  const bool otaErrors = CheckOtaErrors(Doc);
  return !fault && !otaErrors;
}

std::string ResponseErrorText(const XmlDocument& Doc) {
  std::string faultText;
  if (FindSoapFault(Doc, faultText)) return "The reply is a SOAP fault: " + faultText;
  TOtaErrorSummary errors;
  if (!FindOtaErrors(Doc, errors)) return std::string();
  const std::string code = errors.code.empty() ? std::string() : " " + errors.code;
  return "The reply carries OTA error" + code + ": " + errors.text;
}

}  // namespace corvenna
