#!/usr/bin/env python3
"""Votes through the load balancer from several keep-alive connections, each vote from a user of
its own, and writes the user of every vote answered 2xx to a file: what the database must hold.
Also reads stories and posts events now and then, as apps do. Standard library only."""
import argparse
import http.client
import json
import threading
import time

POLL_ITEM = "2a3f1c49-6b5b-5013-a748-3b0b4b8d176d"
OPTIONS = ["f7d563b8-a35f-5600-b3fb-4fc1cddf0af1"]
VOTE_PATH = f"/sdk/v1/apps/demo-app/story-items/{POLL_ITEM}/vote"
STORIES_PATH = "/sdk/v1/apps/demo-app/placements/home/stories"
SDK_HEADERS = {"X-Zephro-SDK-Key": "demo-sdk-key", "Content-Type": "application/json"}


def event_body(number):
    return json.dumps({"appKey": "demo-app", "placementKey": "home", "eventType": "STORY_OPEN",
                       "storyGroupId": "0c787a5d-0f85-5d16-b908-e42609841160", "platform": "IOS",
                       "sessionId": "5B0C8F4E-1D2A-4C3B-9E8F-7A6B5C4D3E2F",
                       "occurredAt": "2026-01-01T12:00:00Z",
                       "eventId": "8A1B2C3D-4E5F-4A6B-8C7D-%012d" % number})


class Worker(threading.Thread):
    def __init__(self, host, port, prefix, index, deadline):
        super().__init__(daemon=True)
        self.host, self.port, self.prefix, self.index, self.deadline = host, port, prefix, index, deadline
        self.acknowledged = []          # users whose vote was answered 2xx
        self.statuses = {}              # "vote 200", "stories 503", "vote no answer"...
        self.failures = []              # (time, what) of every answer that was not 2xx

    def count(self, what, status):
        key = f"{what} {status}"
        self.statuses[key] = self.statuses.get(key, 0) + 1
        if not (isinstance(status, int) and 200 <= status < 300):
            self.failures.append((time.time(), key))

    def run(self):
        connection = None
        number = 0
        while time.time() < self.deadline:
            number += 1
            user = f"{self.prefix}-{self.index}-{number}"
            if number % 10 == 0:
                what, method, path, body = "stories", "GET", STORIES_PATH, None
            elif number % 10 == 5:
                what, method, path, body = "events", "POST", "/sdk/v1/events", event_body(self.index * 10**7 + number)
            else:
                what, method, path = "vote", "POST", VOTE_PATH
                body = json.dumps({"optionId": OPTIONS[number % len(OPTIONS)]})
            headers = dict(SDK_HEADERS, **{"X-Zephro-UserId": user})
            try:
                if connection is None:
                    connection = http.client.HTTPConnection(self.host, self.port, timeout=5)
                connection.request(method, path, body=body, headers=headers)
                answer = connection.getresponse()
                answer.read()
                self.count(what, answer.status)
                if what == "vote" and 200 <= answer.status < 300:
                    self.acknowledged.append(user)
                if answer.getheader("Connection", "").lower() == "close":
                    connection.close()
                    connection = None
            except (OSError, http.client.HTTPException):
                self.count(what, "no answer")
                if connection is not None:
                    connection.close()
                connection = None
                time.sleep(0.01)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--target", required=True, help="HOST:PORT")
    parser.add_argument("--seconds", type=float, required=True)
    parser.add_argument("--connections", type=int, default=8)
    parser.add_argument("--prefix", required=True, help="user ids start with it, to find them in the database")
    parser.add_argument("--acknowledged", required=True, help="file receiving one acknowledged user a line")
    parser.add_argument("--summary", required=True, help="JSON file receiving the counts")
    arguments = parser.parse_args()
    host, port = arguments.target.rsplit(":", 1)
    started = time.time()
    workers = [Worker(host, int(port), arguments.prefix, i, started + arguments.seconds)
               for i in range(arguments.connections)]
    for worker in workers:
        worker.start()
    for worker in workers:
        worker.join()
    elapsed = time.time() - started
    statuses, failures = {}, []
    with open(arguments.acknowledged, "w") as out:
        for worker in workers:
            for user in worker.acknowledged:
                out.write(user + "\n")
            for key, count in worker.statuses.items():
                statuses[key] = statuses.get(key, 0) + count
            failures += worker.failures
    requests = sum(statuses.values())
    summary = {"seconds": round(elapsed, 2), "requests": requests,
               "per_second": round(requests / elapsed, 1), "statuses": statuses,
               "acknowledged_votes": sum(len(w.acknowledged) for w in workers),
               "failure_times": sorted(t for t, _ in failures)}
    with open(arguments.summary, "w") as out:
        json.dump(summary, out)
    shown = {k: v for k, v in summary.items() if k != "failure_times"}
    print("  load client:", json.dumps(shown))


if __name__ == "__main__":
    main()
