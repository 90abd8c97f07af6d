#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/system_platform.h"
#include "platform/uuid.h"

namespace orvane {
namespace {

TEST(Iso8601, RoundTripsWholeSecondsInUtc) {
  auto date = parseIso8601("2024-05-01T12:30:00Z");
  ASSERT_TRUE(date);
  EXPECT_EQ(iso8601String(*date), "2024-05-01T12:30:00Z");
  EXPECT_EQ(iso8601String(*date + std::chrono::milliseconds(999)), "2024-05-01T12:30:00Z");

  auto offset = parseIso8601("2024-05-01T14:30:00+02:00");
  ASSERT_TRUE(offset);
  EXPECT_EQ(*offset, *date);
  EXPECT_EQ(iso8601String(Date{}), "1970-01-01T00:00:00Z");
}

TEST(Iso8601, RejectsAnythingButAnInternetDateTime) {
  for (const char* bad : {"", "2024-05-01", "2024-05-01T12:30:00", "2024-05-01T12:30:00.123Z",
                          "2024-02-30T00:00:00Z", "2024-13-01T00:00:00Z", "2024-05-01T24:00:00Z",
                          "2024-05-01 12:30:00Z", "2024-05-01T12:30:00z", "2024-05-01T12:30:00+0200",
                          "+024-05-01T12:30:00Z"}) {
    EXPECT_FALSE(parseIso8601(bad)) << bad;
  }
}

TEST(Uuid, CanonicalLowercaseAcceptsEitherCaseOnly) {
  EXPECT_EQ(canonicalLowercaseUuid("9F1C0E5A-1B2C-4D3E-8F40-ABCDEFabcdef"),
            "9f1c0e5a-1b2c-4d3e-8f40-abcdefabcdef");
  for (const char* bad : {"", "9F1C0E5A1B2C4D3E8F40ABCDEFABCDEF", "9F1C0E5A-1B2C-4D3E-8F40-ABCDEFABCDEG",
                          "{9F1C0E5A-1B2C-4D3E-8F40-ABCDEFABCDE}", "9F1C0E5A-1B2C-4D3E-8F40_ABCDEFABCDEF"}) {
    EXPECT_FALSE(canonicalLowercaseUuid(bad)) << bad;
  }
}

TEST(Uuid, RandomSourceGivesDistinctUpperCaseVersion4Uuids) {
  RandomUuidSource source;
  auto a = source.uuidString(), b = source.uuidString();
  EXPECT_NE(a, b);
  ASSERT_TRUE(canonicalLowercaseUuid(a));
  EXPECT_EQ(a[14], '4');
  EXPECT_EQ(a.find_first_of("abcdef"), std::string::npos);
}

}  // namespace
}  // namespace orvane
