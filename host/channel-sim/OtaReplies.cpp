#include "OtaReplies.h"

#include <ctime>

namespace channelsim {

namespace {

class StringWriter : public pugi::xml_writer {
 public:
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
  std::string text;
};

pugi::xml_node AppendEnvelopeBody(pugi::xml_document& doc) {
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node envelope = doc.append_child("soap:Envelope");
  envelope.append_attribute("xmlns:soap") = kSoapNamespace;
  return envelope.append_child("soap:Body");
}

std::string ToText(const pugi::xml_document& doc, unsigned flags = 0) {
  StringWriter writer;
  doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration | flags, pugi::encoding_utf8);
  return writer.text;
}

}  // namespace

std::string UtcTimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

OtaReply::OtaReply(const std::string& rootName, const std::string& echoToken) {
  root_ = AppendEnvelopeBody(doc_).append_child(rootName.c_str());
  root_.append_attribute("xmlns") = kOtaNamespace;
  if (!echoToken.empty()) root_.append_attribute("EchoToken") = echoToken.c_str();
  root_.append_attribute("TimeStamp") = UtcTimeStamp().c_str();
  root_.append_attribute("Version") = "1.0";
}

std::string OtaReply::Text() const { return ToText(doc_); }

std::string OtaReply::TextAsWritten() const { return ToText(doc_, pugi::format_no_escapes); }

std::string ReplyNameOf(const std::string& requestName) {
  if (requestName == "OTA_ReadRQ") return "OTA_ResRetrieveRS";
  if (requestName.size() > 2 && requestName.compare(requestName.size() - 2, 2, "RQ") == 0)
    return requestName.substr(0, requestName.size() - 2) + "RS";
  return requestName + "RS";
}

std::string SuccessReply(const std::string& rootName, const std::string& echoToken) {
  OtaReply reply(rootName, echoToken);
  reply.Root().append_child("Success");
  return reply.Text();
}

std::string OtaErrorsReply(const std::string& rootName, const std::string& echoToken,
                           const std::vector<OtaErrorItem>& errors) {
  OtaReply reply(rootName, echoToken);
  pugi::xml_node list = reply.Root().append_child("Errors");
  // An error list needs one entry at least.
  const std::vector<OtaErrorItem> items = errors.empty() ? std::vector<OtaErrorItem>{{"1", "", "Unknown"}} : errors;
  for (const OtaErrorItem& item : items) {
    pugi::xml_node error = list.append_child("Error");
    error.append_attribute("Type") = item.type.c_str();
    if (!item.code.empty()) error.append_attribute("Code") = item.code.c_str();
    if (!item.text.empty()) error.text() = item.text.c_str();
  }
  return reply.Text();
}

std::string SoapFault(const std::string& faultCode, const std::string& faultString) {
  pugi::xml_document doc;
  pugi::xml_node fault = AppendEnvelopeBody(doc).append_child("soap:Fault");
  fault.append_child("faultcode").text() = ("soap:" + faultCode).c_str();
  fault.append_child("faultstring").text() = faultString.c_str();
  return ToText(doc);
}

}  // namespace channelsim
