#include <algorithm>
#include <unordered_map>

#include "storage/sql_store.h"
#include "storage/vote_options_index.h"

namespace orvane::service::storage {

std::string placeholderList(std::size_t count) {
  std::string list = "(";
  for (std::size_t i = 0; i < count; ++i) list += i == 0 ? "?" : ", ?";
  return list + ")";
}

namespace {

// Bounds the statement size (and the prepared statements cached per length).
constexpr std::size_t idsPerQuery = 64;

// Ids a caller asked about, looked up in their stored lower case and answered in the caller's own
// spelling, however many spellings of one id it used.
class AskedIds {
 public:
  explicit AskedIds(const std::vector<std::string>& ids) {
    for (const auto& id : ids) {
      lower_.push_back(lowerCaseId(id));
      asked_.emplace(lower_.back(), &id);
    }
    std::sort(lower_.begin(), lower_.end());
    lower_.erase(std::unique(lower_.begin(), lower_.end()), lower_.end());
  }

  // Runs `sql` followed by an IN list over the ids, in batches after the `leading` parameters; `row`
  // gets each result row (whose first column is the id) once per spelling asked.
  template <class Row>
  void query(SqlConnection& connection, const std::string& sql, const std::vector<SqlValue>& leading,
             Row row) const {
    for (std::size_t start = 0; start < lower_.size(); start += idsPerQuery) {
      const std::size_t count = std::min(idsPerQuery, lower_.size() - start);
      std::vector<SqlValue> parameters = leading;
      for (std::size_t i = start; i < start + count; ++i) parameters.emplace_back(std::string_view(lower_[i]));
      SqlResult result = connection.run(sql + placeholderList(count), parameters);
      for (std::size_t index = 0; index < result.size(); ++index) {
        auto [first, last] = asked_.equal_range(result.text(index, 0));
        for (auto it = first; it != last; ++it) row(*it->second, result, index);
      }
    }
  }

 private:
  std::vector<std::string> lower_;
  std::unordered_multimap<std::string, const std::string*> asked_;
};

std::int64_t addToCount(SqlConnection& connection, std::int64_t appId, const std::string& itemId,
                        const std::string& optionId, std::int64_t delta) {
  return connection
      .run(
          "UPDATE vote_options SET vote_count = vote_count + ? WHERE app_id = ? AND item_id = ? AND "
          "option_id = ? "
          "RETURNING vote_count",
          {delta, appId, itemId, optionId})
      .integer(0, 0);
}

}  // namespace

VoteOutcome SqlStore::recordVote(std::int64_t appId, std::string_view itemIdIn, std::string_view optionIdIn,
                                 std::string_view userId, TimePoint now) {
  const std::string itemId = lowerCaseId(itemIdIn), optionId = lowerCaseId(optionIdIn);
  if (engine_ == SqlEngine::postgresql) {
    // Most votes are a user's first on an item: one statement, one round trip, no explicit
    // transaction. Anything else (a changed vote, an unknown id) takes the full path below.
    SqlResult firstVote;
    try {
      firstVote = pool_->read([&](SqlConnection& connection) {
        return connection.run(
            "WITH inserted AS (INSERT INTO votes (app_id, item_id, user_id, option_id, voted_at)"
            " SELECT app_id, item_id, ?, option_id, ? FROM vote_options"
            " WHERE app_id = ? AND item_id = ? AND option_id = ?"
            " ON CONFLICT (app_id, item_id, user_id) DO NOTHING RETURNING option_id) "
            "UPDATE vote_options SET vote_count = vote_count + 1"
            " WHERE app_id = ? AND item_id = ? AND option_id IN (SELECT option_id FROM inserted)"
            " RETURNING vote_count",
            {userId, toMillis(now), appId, itemId, optionId, appId, itemId});
      });
    } catch (const SqlError& error) {
      if (error.kind() != SqlError::Kind::conflict) throw;
    }
    if (!firstVote.empty()) return VoteOutcome{VoteOutcome::Result::counted, firstVote.integer(0, 0)};
  }
  const std::string lockRow = engine_ == SqlEngine::postgresql ? " FOR UPDATE" : "";
  return pool_->write([&](SqlConnection& connection) {
    SqlResult options = connection.run("SELECT option_id FROM vote_options WHERE app_id = ? AND item_id = ?",
                                       {appId, itemId});
    if (options.empty()) return VoteOutcome{VoteOutcome::Result::unknownItem, 0};
    bool known = false;
    for (std::size_t row = 0; row < options.size() && !known; ++row) known = options.text(row, 0) == optionId;
    if (!known) return VoteOutcome{VoteOutcome::Result::unknownOption, 0};

    const bool first =
        connection
            .run(
                "INSERT INTO votes (app_id, item_id, user_id, option_id, voted_at) VALUES (?, ?, ?, ?, ?) "
                "ON CONFLICT (app_id, item_id, user_id) DO NOTHING",
                {appId, itemId, userId, optionId, toMillis(now)})
            .affected() == 1;
    if (first)
      return VoteOutcome{VoteOutcome::Result::counted, addToCount(connection, appId, itemId, optionId, 1)};

    const std::string previous =
        connection
            .run("SELECT option_id FROM votes WHERE app_id = ? AND item_id = ? AND user_id = ?" + lockRow,
                 {appId, itemId, userId})
            .text(0, 0);
    if (previous == optionId) {
      return VoteOutcome{
          VoteOutcome::Result::counted,
          connection
              .run("SELECT vote_count FROM vote_options WHERE app_id = ? AND item_id = ? AND option_id = ?",
                   {appId, itemId, optionId})
              .integer(0, 0)};
    }
    connection.run(
        "UPDATE votes SET option_id = ?, voted_at = ? WHERE app_id = ? AND item_id = ? AND user_id = ?",
        {optionId, toMillis(now), appId, itemId, userId});
    // Both counts change; taking the rows in one order keeps two opposite changes from deadlocking.
    std::int64_t count = 0;
    for (const auto& [option, delta] :
         previous < optionId
             ? std::vector<std::pair<std::string, std::int64_t>>{{previous, -1}, {optionId, 1}}
             : std::vector<std::pair<std::string, std::int64_t>>{{optionId, 1}, {previous, -1}}) {
      std::int64_t after = addToCount(connection, appId, itemId, option, delta);
      if (option == optionId) count = after;
    }
    return VoteOutcome{VoteOutcome::Result::counted, count};
  });
}

std::map<std::string, std::int64_t> SqlStore::optionCounts(std::int64_t appId,
                                                           const std::vector<std::string>& optionIds) {
  std::map<std::string, std::int64_t> counts;
  const AskedIds asked(optionIds);
  pool_->read([&](SqlConnection& connection) {
    asked.query(connection, "SELECT option_id, vote_count FROM vote_options WHERE app_id = ? AND option_id IN ",
                {appId}, [&](const std::string& id, const SqlResult& result, std::size_t row) {
                  counts[id] = result.integer(row, 1);
                });
  });
  return counts;
}

std::map<std::string, UserVote> SqlStore::userVotes(std::int64_t appId, std::string_view userId,
                                                    const std::vector<std::string>& itemIds) {
  std::map<std::string, UserVote> votes;
  const AskedIds asked(itemIds);
  pool_->read([&](SqlConnection& connection) {
    asked.query(connection,
                "SELECT item_id, option_id, voted_at FROM votes WHERE app_id = ? AND user_id = ? AND item_id IN ",
                {appId, userId}, [&](const std::string& id, const SqlResult& result, std::size_t row) {
                  votes[id] = UserVote{result.text(row, 1), fromMillis(result.integer(row, 2))};
                });
  });
  return votes;
}

}  // namespace orvane::service::storage
