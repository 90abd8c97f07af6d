-- Service events as the SDK posts them: a story group opened, again and again.
wrk.method = "POST"
wrk.headers["X-Zephro-SDK-Key"] = "demo-sdk-key"
wrk.headers["Content-Type"] = "application/json"
wrk.body = '{"appKey":"demo-app","placementKey":"home","eventType":"STORY_GROUP_OPENED",' ..
  '"storyGroupId":"0c787a5d-0f85-5d16-b908-e42609841160","anonymousUserId":"bench-user",' ..
  '"sessionId":"5B0C8F4E-1D2A-4C3B-9E8F-7A6B5C4D3E2F","platform":"IOS","locale":"en-US",' ..
  '"sdkVersion":"1.0.0","occurredAt":"2026-06-01T12:00:00Z","eventId":"8A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D"}'
