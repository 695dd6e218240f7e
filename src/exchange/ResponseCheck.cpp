#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/CorvennaMessages.h"
#include "exchange/ExchangeFrame.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

// A SOAP 1.1 fault: its (unprefixed) faultstring, the last one winning.
bool CheckSoapFault(const XmlDocument& doc) {
  const std::vector<XmlNode> faults = doc.GetElementsByTagName("faultstring");
  if (faults.empty()) return false;
  const std::string faultText = Trim(faults.back().Text());
  ShowExchangeMessage(TaskIcon::Error, MsgError, MsgError, faultText);
  WriteCorvennaErrorMsg(faultText);
  return true;
}

// OTA errors: one message for all of them. Type and code keep the last value
// given by any Error, the text is the last Error's.
bool CheckOtaErrors(const XmlDocument& doc) {
  const std::vector<XmlNode> errors = doc.GetElementsByTagName("Error");
  if (errors.empty()) return false;
  std::string type, code, text;
  for (const XmlNode& error : errors) {
    text = Trim(error.Text());
    for (const auto& [name, value] : error.Attributes()) {
      const std::string trimmedName = Trim(name);
      if (trimmedName == "Type") type = Trim(value);
      if (trimmedName == "Code") code = Trim(value);
    }
  }
  ShowExchangeMessage(TaskIcon::Error, std::string(), MsgError + " - " + MsgType + " " + type + " " + MsgCode + code,
                      text);
  return true;
}

}  // namespace

bool CheckResponseErrors(const XmlDocument& Doc) {
  if (Doc.DocumentElement().IsNull())
    throw EXmlError("The reply check found no XML document: the reply has no root element");
  WriteCorvennaErrorMsg(std::string());
  const bool fault = CheckSoapFault(Doc);
  WriteCorvennaHasError(fault);
  const bool otaErrors = CheckOtaErrors(Doc);
  return !fault && !otaErrors;
}

}  // namespace corvenna
