#pragma once
// The channel manager's exchange service as far as the plug-in sees it: a
// SOAP 1.1 endpoint on a loopback port that hands out undelivered reservations
// from a folder of OTA_ResRetrieveRS files, takes delivery reports and
// availability and rate updates, and keeps every request it received.
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace channelsim {

// The messages a switch applies to; combine with |.
enum Kinds : unsigned {
  kNone = 0,
  kRead = 1,        // OTA_ReadRQ
  kReport = 2,      // OTA_NotifReportRQ
  kAvail = 4,       // OTA_HotelAvailNotifRQ
  kRate = 8,        // OTA_HotelRateAmountNotifRQ
  kUpdates = kAvail | kRate,
  kAll = kRead | kReport | kAvail | kRate,
};

struct OtaErrorItem {
  std::string type = "3";
  std::string code;
  std::string text;
};

// Each switch acts on the kinds it names. When several apply to one message,
// the first in this order wins: dropped connection, HTTP status, non-XML body,
// SOAP fault, OTA errors. A message that gets no success reply delivers
// nothing, so its reservations are offered again by the next read.
struct Options {
  struct {
    unsigned kinds = kNone;  // the connection closes after the reply's header: no reply arrives whole
  } drop;
  struct {
    unsigned kinds = kNone;
    int status = 500;
    std::string body;  // empty: the reply the message would otherwise get
  } httpStatus;
  struct {
    unsigned kinds = kNone;
    std::string body = "Service temporarily unavailable";
  } nonXml;
  struct {
    unsigned kinds = kNone;
    std::string text = "Internal server error";
  } fault;
  struct {
    unsigned kinds = kNone;
    std::vector<OtaErrorItem> errors{{"3", "392", "Invalid hotel code"}};
  } otaErrors;
  struct {
    unsigned kinds = kNone;
    int ms = 0;  // capped at one minute; cut short when the server stops
  } delay;
  // 0: every read offers every undelivered reservation. N: the k-th read
  // (counted from 1 since the server started) offers only the undelivered
  // among the k-th N reservations of the folder, so that reads side by side
  // get shares of their own.
  int readShare = 0;
};

struct ReceivedRequest {
  std::string method;
  std::string path;
  std::vector<std::pair<std::string, std::string>> headers;  // as sent, in arrival order
  std::string body;
  std::string rootName;  // the OTA element inside the SOAP body, e.g. "OTA_ReadRQ"; empty if none
  int clientPort = -1;   // one per connection: requests on one connection share it
};

class ChannelSim {
 public:
  // Listens on 127.0.0.1 (port 0: any free port) until stopped or destroyed;
  // raises std::runtime_error when the port cannot be bound.
  explicit ChannelSim(std::string reservationsDir, Options options = {}, int port = 0);
  ~ChannelSim();
  ChannelSim(const ChannelSim&) = delete;
  ChannelSim& operator=(const ChannelSim&) = delete;

  int Port() const;
  // "http://127.0.0.1:PORT/relayport/services"
  std::string Url() const;

  Options GetOptions() const;
  void SetOptions(const Options& options);

  // A copy of every request received so far, in arrival order.
  std::vector<ReceivedRequest> Received() const;
  void ClearReceived();

  // Delivery keys (the UniqueID ID) marked delivered by success reports, in that order.
  std::vector<std::string> Delivered() const;
  // Every reservation of the folder is undelivered again.
  void ResetDelivered();

  // Writes each request received from now on to DIR/NNN-<root>.xml (NNN from 001); empty: off.
  void SetLogDir(const std::string& dir);

  // Stops the server and waits for its thread; the destructor does it too.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace channelsim
