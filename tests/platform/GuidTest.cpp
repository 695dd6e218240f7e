#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "platform/Guid.h"

namespace corvenna {
namespace {

TEST(GuidTest, RegistryFormUpperCaseAndNewEachTime) {
  const std::regex form(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
  std::set<std::string> seen;
  for (int i = 0; i < 20; ++i) {
    const std::string guid = NewGuidText();
    EXPECT_EQ(guid.size(), 38u);
    EXPECT_TRUE(std::regex_match(guid, form)) << guid;
    seen.insert(guid);
  }
  EXPECT_EQ(seen.size(), 20u);
}

}  // namespace
}  // namespace corvenna
