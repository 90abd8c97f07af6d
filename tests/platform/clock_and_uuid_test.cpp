#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <thread>
#include <unordered_set>
#include <vector>

#include <orvane/platform/clock.h>
#include <orvane/platform/system_platform.h>
#include <orvane/platform/uuid.h>

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
  for (const char* bad :
       {"", "2024-05-01", "2024-05-01T12:30:00", "2024-05-01T12:30:00.123Z", "2024-02-30T00:00:00Z",
        "2024-13-01T00:00:00Z", "2024-05-01T24:00:00Z", "2024-05-01 12:30:00Z", "2024-05-01T12:30:00z",
        "2024-05-01T12:30:00+0200", "+024-05-01T12:30:00Z"}) {
    EXPECT_FALSE(parseIso8601(bad)) << bad;
  }
}

TEST(Iso8601, EveryFourDigitYearRoundTripsAndComparesExactly) {
  char text[32];
  std::optional<Date> previous;
  for (int year = 1; year <= 9999; ++year) {
    for (const char* rest : {"-01-01T00:00:00Z", "-12-31T23:59:59Z"}) {
      std::snprintf(text, sizeof text, "%04d%s", year, rest);
      auto date = parseIso8601(text);
      ASSERT_TRUE(date) << text;
      EXPECT_EQ(iso8601String(*date), text);
      if (previous) {
        EXPECT_LT(*previous, *date) << text;
      }
      previous = date;
    }
  }
  for (const char* edge : {"0001-01-01T00:00:00Z", "1000-06-15T12:00:00Z", "1677-09-21T00:12:43Z",
                           "1677-09-21T00:12:44Z", "2262-04-11T23:47:16Z", "2262-04-11T23:47:17Z",
                           "2324-01-01T00:00:00Z", "9999-12-31T23:59:59Z"}) {
    auto date = parseIso8601(edge);
    ASSERT_TRUE(date) << edge;
    EXPECT_EQ(iso8601String(*date), edge);
  }
  // One second apart at both ends of the range stays one second apart.
  EXPECT_EQ(*parseIso8601("0001-01-01T00:00:01Z") - *parseIso8601("0001-01-01T00:00:00Z"),
            std::chrono::seconds{1});
  EXPECT_EQ(*parseIso8601("9999-12-31T23:59:59Z") - *parseIso8601("9999-12-31T23:59:58Z"),
            std::chrono::seconds{1});
  EXPECT_EQ(*parseIso8601("1000-01-01T00:00:00+02:00"), *parseIso8601("0999-12-31T22:00:00Z"));
}

TEST(Iso8601, InstantsOnlyAYearOutsideFourDigitsCouldWriteAreRefusedNotWrapped) {
  // Year 0000 is a four-digit year too; an offset may carry a date just across either end.
  EXPECT_EQ(iso8601String(*parseIso8601("0001-01-01T00:00:00+01:00")), "0000-12-31T23:00:00Z");
  EXPECT_EQ(iso8601String(*parseIso8601("0000-01-01T00:00:00Z")), "0000-01-01T00:00:00Z");
  EXPECT_FALSE(parseIso8601("0000-01-01T00:00:00+00:01"));
  EXPECT_FALSE(parseIso8601("9999-12-31T23:59:59-23:59"));
  EXPECT_FALSE(parseIso8601("9999-12-31T23:59:59-00:01"));
  EXPECT_EQ(iso8601String(*parseIso8601("9999-12-31T23:59:59+00:01")), "9999-12-31T23:58:59Z");

  // What no text gave (a host's clock far off) is written at the nearest end, never as a
  // five-digit or negative year the service could not read.
  EXPECT_EQ(iso8601String(Date::max()), "9999-12-31T23:59:59Z");
  EXPECT_EQ(iso8601String(Date::min()), "0000-01-01T00:00:00Z");
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

std::string uuidFromAForkedChild(RandomUuidSource& source) {
  int ends[2];
  EXPECT_EQ(pipe(ends), 0);
  const pid_t child = fork();
  if (child == 0) {
    const auto id = source.uuidString();
    _exit(write(ends[1], id.data(), id.size()) == static_cast<ssize_t>(id.size()) ? 0 : 1);
  }
  close(ends[1]);
  char buffer[64] = {};
  const auto got = read(ends[0], buffer, sizeof buffer);
  close(ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
}

TEST(Uuid, AForkedProcessDoesNotRepeatItsParentsIds) {
  RandomUuidSource source;
  (void)source.uuidString();
  const auto fromChild = uuidFromAForkedChild(source);
  EXPECT_EQ(fromChild.size(), 36u);
  EXPECT_NE(fromChild, source.uuidString());
}

TEST(Uuid, AMillionIdsFromFreshThreadsAreDistinctVersion4Uuids) {
  constexpr std::size_t kThreads = 2000, kPerThread = 500;
  RandomUuidSource source;
  std::vector<std::string> ids(kThreads * kPerThread);
  for (std::size_t wave = 0; wave < kThreads; wave += 8) {
    std::vector<std::thread> threads;
    for (std::size_t t = wave; t < wave + 8; ++t) {
      threads.emplace_back([&, t] {
        for (std::size_t i = 0; i < kPerThread; ++i) ids[t * kPerThread + i] = source.uuidString();
      });
    }
    for (auto& thread : threads) thread.join();
  }
  std::unordered_set<std::string> distinct;
  distinct.reserve(ids.size());
  for (const auto& id : ids) {
    ASSERT_TRUE(canonicalLowercaseUuid(id)) << id;
    ASSERT_EQ(id[14], '4') << id;
    ASSERT_NE(std::string_view("89AB").find(id[19]), std::string_view::npos) << id;
    ASSERT_TRUE(distinct.insert(id).second) << "repeated " << id;
  }
}

}  // namespace
}  // namespace orvane
