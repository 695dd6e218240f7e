#include "ui/MessageCopies.h"

#include "data/Constants.h"
#include "data/OtaGfgIni.h"
#include "platform/Text.h"
#include "platform/XmlDocument.h"

namespace corvenna {

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
    document.Load(folder + copies[i].FileName);
    lines.push_back(ReIndentXml(document.Xml()));
  }
  return lines;
}

}  // namespace corvenna
