// Re-indenting a megabyte request for the day log, as a year's availability
// update sends it.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/XmlDocument.h"

namespace corvenna {
namespace {

XmlDocument AvailabilityLikeDocument(int messages) {
  XmlDocument doc;
  doc.InsertDeclaration();
  XmlNode envelope = doc.AppendElement("soap:Envelope");
  envelope.SetAttribute("xmlns:soap", "http://schemas.xmlsoap.org/soap/envelope/");
  XmlNode request = envelope.AppendElement("soap:Body").AppendElement("OTA_HotelAvailNotifRQ");
  request.SetAttribute("xmlns", "http://www.opentravel.org/OTA/2003/05").SetAttribute("Version", "1.0");
  XmlNode list = request.AppendElement("AvailStatusMessages");
  list.SetAttribute("HotelCode", "H&amp;1");
  for (int i = 0; i < messages; ++i) {
    XmlNode message = list.AppendElement("AvailStatusMessage");
    message.SetAttribute("BookingLimit", std::to_string(i % 19));
    message.AppendElement("StatusApplicationControl")
        .SetAttribute("End", "2027-03-14")
        .SetAttribute("Start", "2027-03-12")
        .SetAttribute("InvTypeCode", "RT" + std::to_string(i % 16 + 1))
        .SetAttribute("RatePlanCode", "BAR");
    if (i % 3 == 0) message.AppendElement("RestrictionStatus").SetAttribute("Status", "Close");
    if (i % 7 == 0) message.AppendElement("Note").SetText("a <short> note");
  }
  return doc;
}

// About 1.1 MB of raw text.
constexpr int kMessages = 5600;

void BM_ReIndentXml(benchmark::State& state) {
  const std::string xml = AvailabilityLikeDocument(kMessages).Xml();
  for (auto _ : state) benchmark::DoNotOptimize(ReIndentXml(xml));
  state.counters["bytes"] = static_cast<double>(xml.size());
}
BENCHMARK(BM_ReIndentXml)->Unit(benchmark::kMillisecond);

void BM_ReIndentOfXml(benchmark::State& state) {
  const XmlDocument doc = AvailabilityLikeDocument(kMessages);
  for (auto _ : state) benchmark::DoNotOptimize(ReIndentXml(doc.Xml()));
}
BENCHMARK(BM_ReIndentOfXml)->Unit(benchmark::kMillisecond);

void BM_IndentedXml(benchmark::State& state) {
  const XmlDocument doc = AvailabilityLikeDocument(kMessages);
  for (auto _ : state) benchmark::DoNotOptimize(doc.IndentedXml());
}
BENCHMARK(BM_IndentedXml)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvenna
