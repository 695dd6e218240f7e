// Re-indenting a megabyte request for the day log, as a year's availability
// update sends it; refusing a reply nested a hundred thousand deep; the day
// log's excerpt of a huge reply.
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

// 700 KB: "<a>" a hundred thousand times, then as many "</a>".
void BM_LoadXmlNestedTooDeep(benchmark::State& state) {
  const size_t depth = static_cast<size_t>(state.range(0));
  std::string xml;
  for (size_t i = 0; i < depth; ++i) xml += "<a>";
  for (size_t i = 0; i < depth; ++i) xml += "</a>";
  XmlDocument doc;
  for (auto _ : state) {
    if (doc.LoadXml(xml)) state.SkipWithError("a document nested this deep was accepted");
  }
  state.counters["bytes"] = static_cast<double>(xml.size());
}
BENCHMARK(BM_LoadXmlNestedTooDeep)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// 8 MiB of the re-indented text of a document that indents to far more.
void BM_IndentedXmlExcerpt(benchmark::State& state) {
  const XmlDocument doc = AvailabilityLikeDocument(kMessages * 8);
  for (auto _ : state) benchmark::DoNotOptimize(doc.IndentedXmlExcerpt(8u * 1024u * 1024u));
}
BENCHMARK(BM_IndentedXmlExcerpt)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvenna
