#include "ChannelSim.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "MessageHandler.h"

namespace channelsim {

namespace {

constexpr int kMaxDelayMs = 60'000;

// cpp-httplib adds these to the request headers itself; they were never sent.
bool IsAddedByServer(const std::string& name) {
  return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

ReceivedRequest Record(const httplib::Request& request, std::string rootName) {
  ReceivedRequest received{request.method, request.path, {}, request.body, std::move(rootName), request.remote_port};
  for (const auto& [name, value] : request.headers)
    if (!IsAddedByServer(name)) received.headers.emplace_back(name, value);
  return received;
}

std::string LogFileName(int number, const std::string& rootName) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%03d-", number);
  return prefix + (rootName.empty() ? std::string("unknown") : rootName) + ".xml";
}

// The header promises a body that never comes: the server closes the
// connection when its content provider fails, as a peer that went away does.
void DropConnection(httplib::Response& response) {
  constexpr size_t kPromisedLength = 64;
  response.status = 200;
  response.set_content_provider(kPromisedLength, "text/xml; charset=utf-8",
                                [](size_t, size_t, httplib::DataSink&) { return false; });
}

}  // namespace

struct ChannelSim::Impl {
  std::string reservationsDir;
  httplib::Server server;
  std::thread thread;
  int port = 0;

  mutable std::mutex mutex;
  std::condition_variable stopSignal;
  bool stopping = false;
  bool listenEnded = false;
  Options options;
  std::vector<ReceivedRequest> received;
  std::vector<std::string> delivered;
  std::set<std::string> deliveredIndex;  // the same keys, for look-ups
  std::string logDir;
  int logCount = 0;
  int readCount = 0;

  void Handle(const httplib::Request& request, httplib::Response& response);
  void WriteLog(const std::string& dir, int number, const ReceivedRequest& received);
  // False when the server stopped during the wait.
  bool Delay(int ms);
};

void ChannelSim::Impl::WriteLog(const std::string& dir, int number, const ReceivedRequest& request) {
  const std::string path = dir + "/" + LogFileName(number, request.rootName);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << request.body;
  if (!file) std::cerr << "channel-sim: could not write " << path << "\n";
}

bool ChannelSim::Impl::Delay(int ms) {
  std::unique_lock lock(mutex);
  return !stopSignal.wait_for(lock, std::chrono::milliseconds(std::clamp(ms, 0, kMaxDelayMs)),
                              [this] { return stopping; });
}

void ChannelSim::Impl::Handle(const httplib::Request& request, httplib::Response& response) {
  ReceivedRequest record = Record(request, RequestRootName(request.body));
  const unsigned kind = KindOf(record.rootName);
  Options current;
  std::set<std::string> deliveredKeys;
  std::string logTo;
  int logNumber = 0;
  int readNumber = 0;
  {
    std::lock_guard lock(mutex);
    current = options;
    // Only a read asks which reservations went out; a copy per report would
    // grow with every reservation delivered.
    if (record.rootName == "OTA_ReadRQ") {
      deliveredKeys = deliveredIndex;
      readNumber = ++readCount;
    }
    if (!logDir.empty()) {
      logTo = logDir;
      logNumber = ++logCount;
    }
    received.push_back(record);
  }
  if (!logTo.empty()) WriteLog(logTo, logNumber, record);

  if ((current.delay.kinds & kind) && current.delay.ms > 0 && !Delay(current.delay.ms)) {
    response.status = 503;
    return;
  }

  Answer answer = HandleMessage(request.body, current, reservationsDir, deliveredKeys, readNumber);
  if (answer.drop) {
    DropConnection(response);
    return;
  }
  if (!answer.deliveredNow.empty()) {
    std::lock_guard lock(mutex);
    for (const std::string& key : answer.deliveredNow)
      if (deliveredIndex.insert(key).second) delivered.push_back(key);
  }
  response.status = answer.status;
  response.set_content(answer.body, answer.contentType.c_str());
}

ChannelSim::ChannelSim(std::string reservationsDir, Options options, int port) : impl_(std::make_unique<Impl>()) {
  impl_->reservationsDir = std::move(reservationsDir);
  impl_->options = std::move(options);
  Impl& impl = *impl_;
  // A connection is kept for the next request, but not long once idle:
  // stopping the server waits for each idle connection to run out.
  impl.server.set_keep_alive_max_count(std::numeric_limits<size_t>::max());
  impl.server.set_keep_alive_timeout(1);
  // The reply's header and body go out in two writes: without this the body
  // of a reply on a kept connection waits for the client's delayed ACK.
  impl.server.set_tcp_nodelay(true);
  impl.server.Post(".*", [&impl](const httplib::Request& request, httplib::Response& response) {
    impl.Handle(request, response);
  });

  if (port == 0) {
    impl.port = impl.server.bind_to_any_port("127.0.0.1");
  } else {
    impl.port = impl.server.bind_to_port("127.0.0.1", port) ? port : -1;
  }
  if (impl.port <= 0) throw std::runtime_error("channel-sim: could not listen on 127.0.0.1:" + std::to_string(port));

  impl.thread = std::thread([&impl] {
    impl.server.listen_after_bind();
    std::lock_guard lock(impl.mutex);
    impl.listenEnded = true;
  });
  // A stop before the server runs would be lost and the thread never end.
  while (!impl.server.is_running()) {
    {
      std::lock_guard lock(impl.mutex);
      if (impl.listenEnded) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

ChannelSim::~ChannelSim() { Stop(); }

void ChannelSim::Stop() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->stopSignal.notify_all();
  impl_->server.stop();
  if (impl_->thread.joinable()) impl_->thread.join();
}

int ChannelSim::Port() const { return impl_->port; }

std::string ChannelSim::Url() const { return "http://127.0.0.1:" + std::to_string(impl_->port) + "/relayport/services"; }

Options ChannelSim::GetOptions() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->options;
}

void ChannelSim::SetOptions(const Options& options) {
  std::lock_guard lock(impl_->mutex);
  impl_->options = options;
}

std::vector<ReceivedRequest> ChannelSim::Received() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->received;
}

void ChannelSim::ClearReceived() {
  std::lock_guard lock(impl_->mutex);
  impl_->received.clear();
}

std::vector<std::string> ChannelSim::Delivered() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->delivered;
}

void ChannelSim::ResetDelivered() {
  std::lock_guard lock(impl_->mutex);
  impl_->delivered.clear();
  impl_->deliveredIndex.clear();
}

void ChannelSim::SetLogDir(const std::string& dir) {
  std::lock_guard lock(impl_->mutex);
  impl_->logDir = dir;
  impl_->logCount = 0;
}

}  // namespace channelsim
