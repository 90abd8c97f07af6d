-- GET of a stories answer as the SDK asks for it, gzip accepted.
wrk.headers["X-Zephro-SDK-Key"] = os.getenv("BENCH_SDK_KEY") or "demo-sdk-key"
wrk.headers["Accept-Encoding"] = "gzip"
