#include "MessageHandler.h"

#include <pugixml.hpp>

#include <algorithm>
#include <limits>
#include <utility>

#include "OtaReplies.h"
#include "ReservationFolder.h"

namespace channelsim {

namespace {

struct Request {
  pugi::xml_document doc;
  pugi::xml_node ota;  // null when the body is not XML or holds no OTA element
};

pugi::xml_node FirstElementChild(pugi::xml_node node) {
  for (pugi::xml_node child : node.children())
    if (child.type() == pugi::node_element) return child;
  return {};
}

pugi::xml_node ChildByLocalName(pugi::xml_node node, const char* name) {
  for (pugi::xml_node child : node.children())
    if (child.type() == pugi::node_element && LocalName(child.name()) == name) return child;
  return {};
}

void ParseRequest(const std::string& body, Request& request) {
  if (!request.doc.load_buffer(body.data(), body.size())) return;
  pugi::xml_node root = request.doc.document_element();
  if (LocalName(root.name()) != "Envelope") {
    request.ota = root;
    return;
  }
  request.ota = FirstElementChild(ChildByLocalName(root, "Body"));
}

std::string EchoTokenOf(const Request& request) { return request.ota.attribute("EchoToken").value(); }

// The reservations of the folder that a read may offer, by index.
struct Share {
  size_t first = 0;
  size_t end = std::numeric_limits<size_t>::max();
};

Share ShareOf(int shareSize, int readNumber) {
  if (shareSize <= 0 || readNumber <= 0) return {};
  const size_t size = static_cast<size_t>(shareSize);
  return {size * static_cast<size_t>(readNumber - 1), size * static_cast<size_t>(readNumber)};
}

std::string ReadReply(const Request& request, const std::string& reservationsDir,
                      const std::set<std::string>& delivered, Share share) {
  OtaReply reply("OTA_ResRetrieveRS", EchoTokenOf(request));
  reply.Root().append_child("Success");
  ReservationFolder folder(reservationsDir);
  const std::vector<Reservation>& reservations = folder.Reservations();
  pugi::xml_node list;
  for (size_t index = share.first; index < std::min(share.end, reservations.size()); ++index) {
    const Reservation& reservation = reservations[index];
    if (!reservation.deliveryKey.empty() && delivered.count(reservation.deliveryKey)) continue;
    if (!list) list = reply.Root().append_child("ReservationsList");
    list.append_copy(reservation.element);
  }
  // An echo token is a GUID; the time stamp holds no character to escape.
  return reply.TextAsWritten();
}

// The UniqueID IDs of a report that says Success and carries no Errors.
std::vector<std::string> KeysOfSuccessReport(pugi::xml_node report) {
  std::vector<std::string> keys;
  if (!ChildByLocalName(report, "Success") || ChildByLocalName(report, "Errors")) return keys;
  pugi::xml_node details = ChildByLocalName(report, "NotifDetails");
  for (pugi::xml_node notif : details.children()) {
    if (LocalName(notif.name()) != "HotelNotifReport") continue;
    for (pugi::xml_node reservations : notif.children()) {
      if (LocalName(reservations.name()) != "HotelReservations") continue;
      for (pugi::xml_node reservation : reservations.children()) {
        if (LocalName(reservation.name()) != "HotelReservation") continue;
        for (pugi::xml_node id : reservation.children())
          if (LocalName(id.name()) == "UniqueID" && *id.attribute("ID").value()) keys.push_back(id.attribute("ID").value());
      }
    }
  }
  return keys;
}

Answer Fault(int status, const std::string& code, const std::string& text) {
  Answer answer;
  answer.status = status;
  answer.body = SoapFault(code, text);
  return answer;
}

Answer NormalAnswer(const Request& request, const std::string& rootName, const std::string& reservationsDir,
                    const std::set<std::string>& delivered, Share share) {
  Answer answer;
  if (rootName == "OTA_ReadRQ") {
    answer.body = ReadReply(request, reservationsDir, delivered, share);
  } else {
    answer.body = SuccessReply(ReplyNameOf(rootName), EchoTokenOf(request));
    if (rootName == "OTA_NotifReportRQ") answer.deliveredNow = KeysOfSuccessReport(request.ota);
  }
  return answer;
}

// An error status means the message was not taken: nothing is delivered.
Answer WithStatus(int status, const std::string& body, Answer normal) {
  Answer answer = std::move(normal);
  answer.status = status;
  if (!body.empty()) {
    answer.body = body;
    answer.contentType = body.front() == '<' ? "text/xml; charset=utf-8" : "text/plain; charset=utf-8";
  }
  if (status >= 300) answer.deliveredNow.clear();
  return answer;
}

}  // namespace

unsigned KindOf(const std::string& rootName) {
  if (rootName == "OTA_ReadRQ") return kRead;
  if (rootName == "OTA_NotifReportRQ") return kReport;
  if (rootName == "OTA_HotelAvailNotifRQ") return kAvail;
  if (rootName == "OTA_HotelRateAmountNotifRQ") return kRate;
  return kNone;
}

std::string RequestRootName(const std::string& requestBody) {
  Request request;
  ParseRequest(requestBody, request);
  return request.ota ? LocalName(request.ota.name()) : std::string();
}

Answer HandleMessage(const std::string& requestBody, const Options& options, const std::string& reservationsDir,
                     const std::set<std::string>& delivered, int readNumber) {
  Request request;
  ParseRequest(requestBody, request);
  const std::string rootName = request.ota ? LocalName(request.ota.name()) : std::string();
  const unsigned kind = KindOf(rootName);
  const Share share = ShareOf(options.readShare, readNumber);

  Answer answer;
  if (!request.ota) {
    answer = Fault(500, "Client", "The request is not an XML document");
  } else if (kind == kNone) {
    answer = Fault(500, "Client", "Unsupported message '" + rootName + "'");
  } else if (options.drop.kinds & kind) {
    answer.drop = true;
  } else if (options.httpStatus.kinds & kind) {
    answer = WithStatus(options.httpStatus.status, options.httpStatus.body,
                        NormalAnswer(request, rootName, reservationsDir, delivered, share));
  } else if (options.nonXml.kinds & kind) {
    answer.body = options.nonXml.body;
    answer.contentType = "text/plain; charset=utf-8";
  } else if (options.fault.kinds & kind) {
    answer = Fault(500, "Server", options.fault.text);
  } else if (options.otaErrors.kinds & kind) {
    answer.body = OtaErrorsReply(ReplyNameOf(rootName), EchoTokenOf(request), options.otaErrors.errors);
  } else {
    answer = NormalAnswer(request, rootName, reservationsDir, delivered, share);
  }
  answer.rootName = rootName;
  return answer;
}

}  // namespace channelsim
