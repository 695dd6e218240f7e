#include "ui/MessageCopies.h"

#include <cstdint>
#include <filesystem>

#include "data/Constants.h"
#include "data/OtaGfgIni.h"
#include "platform/Errors.h"
#include "platform/RegularFile.h"
#include "platform/Text.h"
#include "platform/XmlDocument.h"

namespace corvenna {
namespace {

static_assert(ShownCopyBytes == 1 << 20, "the notice names the cut");

struct TCopyHead {
  std::string Text;
  uint64_t Size = 0;  // of the whole copy
  bool Cut = false;
  std::string Unreadable;  // why a copy that is there cannot be shown
};

// The first ShownCopyBytes of the copy, cut on a character boundary; the rest
// of a larger copy is never read, so showing it costs no more than that. What
// is no regular file is not read at all: a FIFO would hold the dialog.
TCopyHead ReadCopyHead(const std::string& path) {
  TCopyHead head;
  std::error_code missing;
  if (!std::filesystem::exists(path, missing)) return head;
  try {
    // One byte more tells whether the cut falls inside a character.
    TFileStart start = ReadRegularFileStart(path, ShownCopyBytes + 1, "the copy");
    head.Size = start.Size;
    head.Text = std::move(start.Text);
  } catch (const EOSError& error) {
    head.Unreadable = error.what();
    return head;
  }
  if (head.Text.size() > ShownCopyBytes) {
    head.Text.resize(Utf8Left(head.Text, ShownCopyBytes).size());
    head.Cut = true;
  }
  return head;
}

std::string CutNotice(const std::string& path, uint64_t size) {
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
    if (!head.Unreadable.empty()) {
      lines.push_back("<--unreadable: " + head.Unreadable + "-->");
    } else if (head.Cut) {
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
