#include "answer_text.h"

#include <random>
#include <stdexcept>

#include "identifiers.h"
#include "time_text.h"

namespace orvane::service::content {
namespace {

using nlohmann::json;

// Marks are random per build: content text can never spell one by chance or on purpose.
std::string randomMark() {
  std::random_device device;
  std::uniform_int_distribution<unsigned> hexDigit(0, 15);
  std::string mark = "vote-slot-";
  for (int i = 0; i < 32; ++i) mark += "0123456789abcdef"[hexDigit(device)];
  return mark + "-";
}

std::string dumped(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

}  // namespace

AnswerText answerText(json answer) {
  std::vector<std::string> itemIds;
  const std::string mark = randomMark();
  if (auto groups = answer.find("groups"); groups != answer.end() && groups->is_array()) {
    for (auto& group : *groups) {
      for (auto& item : group.at("items")) {
        auto options = item.find("widgetOptions");
        if (options == item.end() || !options->is_array() || options->empty()) continue;
        item["userVote"] = mark + std::to_string(itemIds.size());
        itemIds.push_back(lowercase(item.at("id").get_ref<const std::string&>()));
      }
    }
  }
  const std::string marked = dumped(answer);

  AnswerText result;
  result.text.reserve(marked.size());
  std::size_t copiedTo = 0;
  for (std::size_t index = 0; index < itemIds.size(); ++index) {
    const std::string member = "\"userVote\":\"" + mark + std::to_string(index) + "\"";
    const std::size_t at = marked.find(member, copiedTo);
    if (at == std::string::npos || at == 0) throw std::logic_error("a vote slot went missing from its answer");
    const bool first = marked[at - 1] == '{';
    // The member goes with the comma that separates it from its neighbour.
    const std::size_t cutFrom = first ? at : at - 1;
    const std::size_t cutTo = first && marked[at + member.size()] == ',' ? at + member.size() + 1 : at + member.size();
    result.text.append(marked, copiedTo, cutFrom - copiedTo);
    result.slots.push_back({result.text.size(), itemIds[index], first});
    copiedTo = cutTo;
  }
  result.text.append(marked, copiedTo, std::string::npos);
  return result;
}

std::string withUserVotes(const AnswerText& answer, const std::map<std::string, storage::UserVote>& votes) {
  if (votes.empty()) return answer.text;
  std::string out;
  out.reserve(answer.text.size() + votes.size() * 128);
  std::size_t copiedTo = 0;
  for (const auto& slot : answer.slots) {
    auto vote = votes.find(slot.itemId);
    if (vote == votes.end()) continue;
    out.append(answer.text, copiedTo, slot.offset - copiedTo);
    const std::string member =
        "\"userVote\":" +
        dumped(json{{"optionId", vote->second.optionId}, {"votedAt", formatDateTime(vote->second.votedAt)}});
    out += slot.firstMember ? member + "," : "," + member;
    copiedTo = slot.offset;
  }
  out.append(answer.text, copiedTo, std::string::npos);
  return out;
}

}  // namespace orvane::service::content
