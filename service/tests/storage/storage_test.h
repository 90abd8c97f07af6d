#pragma once

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "storage/sql_connection.h"
#include "storage/store.h"
#include "support/throwaway_postgres.h"

namespace orvane::service::storage {

// Every case runs on SQLite and on PostgreSQL, each on a fresh database.
class StoreTest : public test_support::StoreEngineTest {
 protected:
  void SetUp() override {
    StoreEngineTest::SetUp();
    if (IsSkipped() || HasFailure()) return;
    store = Store::open(databaseUrl());
  }

  // A connection of its own, to look at or prepare what the store keeps.
  std::unique_ptr<SqlConnection> rawConnection() const {
    const std::string& url = databaseUrl();
    return url.starts_with("sqlite:") ? connectSqlite(url.substr(7)) : connectPostgres(url);
  }

  std::int64_t countRows(const std::string& sqlFromWhere) {
    return rawConnection()->run("SELECT COUNT(*) " + sqlFromWhere).integer(0, 0);
  }

  std::unique_ptr<Store> store;
};

inline constexpr const char* pollItem = "aaaaaaaa-0000-4000-8000-000000000001";
inline constexpr const char* optionA = "bbbbbbbb-0000-4000-8000-00000000000a";
inline constexpr const char* optionB = "bbbbbbbb-0000-4000-8000-00000000000b";
inline constexpr const char* optionC = "bbbbbbbb-0000-4000-8000-00000000000c";

// A stories document with one group: a plain page and a poll whose ids are written in upper
// case, as the wire allows; `titled` tells versions apart.
inline nlohmann::json storiesDocument(const std::string& titled, std::int64_t initialVotesOfA = 0) {
  auto upper = [](std::string id) {
    for (char& c : id) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return id;
  };
  return {{"groups",
           {{{"id", "cccccccc-0000-4000-8000-000000000001"},
             {"title", titled},
             {"items",
              {{{"id", "aaaaaaaa-0000-4000-8000-000000000002"},
                {"type", "IMAGE"},
                {"widgetOptions", nlohmann::json::array()}},
               {{"id", upper(pollItem)},
                {"type", "IMAGE"},
                {"widgetType", "POLL"},
                {"widgetOptions",
                 {{{"id", upper(optionA)}, {"text", "A"}, {"orderIndex", 0}, {"voteCount", initialVotesOfA}},
                  {{"id", optionB}, {"text", "B"}, {"orderIndex", 1}},
                  {{"id", optionC}, {"text", "C"}, {"orderIndex", 2}}}}}}}}}}};
}

}  // namespace orvane::service::storage
