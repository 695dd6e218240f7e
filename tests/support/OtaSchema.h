#pragma once
// Validates the OTA element of a message against the official 2011B schemas
// with xmllint, so tests can check what we send and what channel-sim answers.
#include <string>

#include "support/OtaFiles.h"

namespace corvenna::test {

bool XmllintAvailable();

struct SchemaCheck {
  bool valid = false;
  std::string output;  // xmllint's report, or why nothing could be checked
};

// The OTA element is the first child of a SOAP body, or the document element
// of a bare message; it inherits the OTA namespace when an ancestor declared it.
// schemaName defaults to the element's name ("OTA_ReadRQ" -> OTA_ReadRQ.xsd).
SchemaCheck ValidateOtaElement(const std::string& xml, const std::string& schemaName = "");

// The OTA element alone, as a document of its own; empty when there is none.
std::string ExtractOtaElement(const std::string& xml);

}  // namespace corvenna::test

// For a test body: skips when xmllint or the schemas are missing (fails for
// the schemas under CI), else expects a valid element.
#define EXPECT_VALID_OTA(xml)                                                 \
  do {                                                                         \
    REQUIRE_OTA_FILES();                                                       \
    if (!::corvenna::test::XmllintAvailable()) GTEST_SKIP() << "xmllint missing"; \
    const auto check_ = ::corvenna::test::ValidateOtaElement(xml);             \
    EXPECT_TRUE(check_.valid) << check_.output;                                \
  } while (false)
