#include "ui/MessageCopies.h"

#include <algorithm>
#include <fstream>

#include "data/Constants.h"
#include "data/OtaGfgIni.h"
#include "platform/Text.h"
#include "platform/XmlDocument.h"

namespace corvenna {
namespace {

static_assert(ShownCopyBytes == 1 << 20, "the notice names the cut");

struct TCopyHead {
  std::string Text;
  std::streamoff Size = 0;  // of the whole copy
  bool Cut = false;
};

// The first ShownCopyBytes of the copy, cut on a character boundary; the rest
// of a larger copy is never read, so showing it costs no more than that.
TCopyHead ReadCopyHead(const std::string& path) {
  TCopyHead head;
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return head;
  head.Size = std::max<std::streamoff>(file.tellg(), 0);
  file.seekg(0);
  // One byte more tells whether the cut falls inside a character.
  head.Text.resize(static_cast<size_t>(std::min<std::streamoff>(head.Size, ShownCopyBytes + 1)));
  file.read(head.Text.data(), static_cast<std::streamsize>(head.Text.size()));
  head.Text.resize(static_cast<size_t>(std::max<std::streamsize>(file.gcount(), 0)));
  if (head.Text.size() > ShownCopyBytes) {
    head.Text.resize(Utf8Left(head.Text, ShownCopyBytes).size());
    head.Cut = true;
  }
  return head;
}

std::string CutNotice(const std::string& path, std::streamoff size) {
  return "<--cut at 1 MiB: the whole copy is " + path + ", " + std::to_string(size) + " bytes-->";
}

}  // namespace

std::vector<TMessageCopy> RetrievalCopies(int reports) {
  std::vector<TMessageCopy> copies{{"<--ReadRQ-->", "ReadRQ.xml"}, {"<--RetriveRS-->", "ResRetriveRS.xml"}};
  for (int i = 1; i <= reports; ++i) {
    const std::string number = IntToStr(i);
    copies.push_back({"<--NotifReportRQ-" + number + "-->", "NotifReportRQ" + number + ".xml"});
    copies.push_back({"<--NotifReportRS-" + number + "-->", "NotifReportRS" + number + ".xml"});
  }
  return copies;
}

std::vector<TMessageCopy> AvailabilityCopies() {
  return {{"<--AvailNotifRQ-->", "AvailNotifRQ.xml"}, {"<--AvailNotifRS-->", "AvailNotifRS.xml"}};
}

std::vector<TMessageCopy> RateCopies() {
  return {{"<--RateAmountNotifRQ-->", "RateAmountNotifRQ.xml"}, {"<--RateAmountNotifRS-->", "RateAmountNotifRS.xml"}};
}

std::vector<std::string> MessageCopyLines(const std::vector<TMessageCopy>& copies) {
  std::vector<std::string> lines;
  if (copies.empty()) return lines;
  const std::string folder = GetMyDocumentsPath() + std::string(TempSubPath);
  XmlDocument document;
  for (size_t i = 0; i < copies.size(); ++i) {
    if (i > 0) lines.emplace_back();
    lines.push_back(copies[i].Marker);
    lines.emplace_back();
    const std::string path = folder + copies[i].FileName;
    const TCopyHead head = ReadCopyHead(path);
    if (head.Cut) {
      lines.push_back(ReIndentXmlHead(head.Text));
      lines.push_back(CutNotice(path, head.Size));
    } else {
      document.LoadXml(head.Text);
      lines.push_back(ReIndentXml(document.Xml()));
    }
  }
  return lines;
}

}  // namespace corvenna
