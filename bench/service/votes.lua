-- One vote per request, each from a user of its own, spread over the poll's options.
local item = os.getenv("BENCH_POLL_ITEM")
local options = {}
for option in string.gmatch(os.getenv("BENCH_POLL_OPTIONS"), "[^ ]+") do options[#options + 1] = option end
local counter = 0
local thread_tag = ""

function setup(thread)
  thread:set("thread_tag", tostring(math.random(1, 1e9)))
end

function request()
  counter = counter + 1
  local body = '{"optionId":"' .. options[counter % #options + 1] .. '"}'
  return wrk.format("POST", "/sdk/v1/apps/demo-app/story-items/" .. item .. "/vote", {
    ["X-Zephro-SDK-Key"] = "demo-sdk-key",
    ["X-Zephro-UserId"] = "bench-" .. thread_tag .. "-" .. counter,
    ["Content-Type"] = "application/json",
  }, body)
end
