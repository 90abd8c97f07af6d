-- The stories answer asked at a steady pace, as apps starting up ask for it: each connection
-- pauses a millisecond after every answer, so the probe measures how long an answer waits instead
-- of taking both cores itself (a probe at full speed only measures its share of them).
wrk.headers["X-Zephro-SDK-Key"] = os.getenv("BENCH_SDK_KEY") or "demo-sdk-key"
wrk.headers["Accept-Encoding"] = "gzip"
function delay() return 1 end
