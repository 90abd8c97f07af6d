-- The stories GET with a user id, a different one each request, as apps that name their users
-- send it: the answer comes from the cache and the user's own votes from the database.
local counter = 0
local thread_tag = ""

function setup(thread)
  thread:set("thread_tag", tostring(math.random(1, 1e9)))
end

function request()
  counter = counter + 1
  return wrk.format("GET", nil, {
    ["X-Zephro-SDK-Key"] = os.getenv("BENCH_SDK_KEY") or "demo-sdk-key",
    ["X-Zephro-UserId"] = "reader-" .. thread_tag .. "-" .. counter,
    ["Accept-Encoding"] = "gzip",
  })
end
