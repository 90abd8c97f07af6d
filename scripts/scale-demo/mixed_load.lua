-- wrk: apps reading stories (7 in 10 requests), voting (2 in 10, each from a user of its own) and
-- posting events (1 in 10); counts the answers by status class.
local pollItem = "2a3f1c49-6b5b-5013-a748-3b0b4b8d176d"
local option = "f7d563b8-a35f-5600-b3fb-4fc1cddf0af1"
local threads = {}
local counter = 0

function setup(thread)
  thread:set("id", #threads)
  table.insert(threads, thread)
end

function init(args)
  ok, client_errors, server_errors = 0, 0, 0
end

function request()
  counter = counter + 1
  local headers = { ["X-Zephro-SDK-Key"] = "demo-sdk-key", ["Content-Type"] = "application/json",
                    ["X-Zephro-UserId"] = "wrk-" .. id .. "-" .. counter }
  local pick = counter % 10
  if pick < 7 then
    return wrk.format("GET", "/sdk/v1/apps/demo-app/placements/home/stories", headers)
  elseif pick < 9 then
    return wrk.format("POST", "/sdk/v1/apps/demo-app/story-items/" .. pollItem .. "/vote", headers,
                      '{"optionId":"' .. option .. '"}')
  end
  return wrk.format("POST", "/sdk/v1/events", headers,
    '{"appKey":"demo-app","placementKey":"home","eventType":"STORY_OPEN",' ..
    '"storyGroupId":"0c787a5d-0f85-5d16-b908-e42609841160","platform":"IOS",' ..
    '"sessionId":"5B0C8F4E-1D2A-4C3B-9E8F-7A6B5C4D3E2F","occurredAt":"2026-01-01T12:00:00Z",' ..
    '"eventId":"8A1B2C3D-4E5F-4A6B-8C7D-' .. string.format("%012d", id * 100000000 + counter) .. '"}')
end

function response(status, headers, body)
  if status < 400 then ok = ok + 1 elseif status < 500 then client_errors = client_errors + 1
  else server_errors = server_errors + 1 end
end

function done(summary, latency, requests)
  local good, bad4, bad5 = 0, 0, 0
  for _, thread in ipairs(threads) do
    good = good + thread:get("ok")
    bad4 = bad4 + thread:get("client_errors")
    bad5 = bad5 + thread:get("server_errors")
  end
  local seconds = summary.duration / 1e6
  io.write(string.format("  wrk: %d requests in %.1f s: %.0f a second; 2xx/3xx %d, 4xx %d, 5xx %d, " ..
                         "socket errors %d; latency p50 %.1f ms, p99 %.1f ms\n",
                         summary.requests, seconds, summary.requests / seconds, good, bad4, bad5,
                         summary.errors.connect + summary.errors.read + summary.errors.write +
                         summary.errors.timeout, latency:percentile(50) / 1000, latency:percentile(99) / 1000))
end
