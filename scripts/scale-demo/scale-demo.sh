#!/usr/bin/env bash
# Three instances of the content service on one throwaway PostgreSQL, behind HAProxy, all on
# 127.0.0.1: load through HAProxy, then two faults, each checked (a PASS or FAIL line; any FAIL
# makes the exit status 1):
#   - an instance killed with SIGKILL under load: no vote answered 2xx is lost, HAProxy's health
#     checks take the instance out and errors stop;
#   - PostgreSQL restarted under load: writes answer 503 meanwhile, readiness says so, and the same
#     instances serve again by themselves.
# Before the load it checks that the instances tell clients behind HAProxy apart (by the address
# HAProxy forwards) and ignore that header from anyone else.
# Usage: scale-demo.sh SERVICE_EXECUTABLE [LOAD_SECONDS]
set -euo pipefail

service_bin=$(realpath "$1")
load_seconds=${2:-${SCALE_DEMO_SECONDS:-10}}
here=$(cd "$(dirname "$0")" && pwd)
content_dir=$(realpath "$here/../../service/content")
pg_bin=/usr/lib/postgresql/15/bin
work=$(mktemp -d /tmp/orvane-scale-demo-XXXXXX)
chmod 755 "$work"
failures=0
pids=()
haproxy_pid=""

pg_as_owner() {  # PostgreSQL refuses root, which CI is: its cluster belongs to postgres (or nobody)
  if [ "$(id -u)" -eq 0 ]; then runuser -u "$pg_owner" -- "$@"; else "$@"; fi
}

cleanup() {
  set +e
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  [ -n "$haproxy_pid" ] && kill "$haproxy_pid" 2>/dev/null
  [ -f "$work/pg/data/postmaster.pid" ] && pg_as_owner "$pg_bin/pg_ctl" -D "$work/pg/data" -m immediate stop >/dev/null 2>&1
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
status_of() { curl -s -o /dev/null -w '%{http_code}' --max-time 5 "$@" || true; }

# Waits up to $1 seconds for the command to succeed.
wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
}

echo "== a throwaway PostgreSQL 15 on 127.0.0.1"
pg_owner=postgres
getent passwd postgres >/dev/null || pg_owner=nobody
mkdir -p "$work/pg"
[ "$(id -u)" -eq 0 ] && chown "$pg_owner" "$work/pg"
pg_port=$(free_port)
pg_as_owner "$pg_bin/initdb" -D "$work/pg/data" -U postgres --auth=trust -E UTF8 --no-instructions >"$work/initdb.log" 2>&1
pg_options="-c listen_addresses=127.0.0.1 -c port=$pg_port -k $work/pg -c max_connections=200"
pg_start() { pg_as_owner "$pg_bin/pg_ctl" -D "$work/pg/data" -l "$work/pg/server.log" -w -t 60 -o "$pg_options" start >/dev/null; }
pg_start
psql -q -h 127.0.0.1 -p "$pg_port" -U postgres -c "CREATE DATABASE orvane" postgres
database="postgresql://postgres@127.0.0.1:$pg_port/orvane"
sql() { psql -qtA -h 127.0.0.1 -p "$pg_port" -U postgres -d orvane -c "$1"; }

echo "== three instances started at once on the empty database (one migrates it, the others wait)"
ports=()
for i in 1 2 3; do
  port=$(free_port)
  ports+=("$port")
  # The load comes from one machine, so it runs without a rate limit; a deployment keeps one, and
  # behind the balancer it counts per client because the balancer is a trusted proxy.
  ORVANE_RATE_LIMIT=0 "$service_bin" serve --database "$database" --host 127.0.0.1 --port "$port" \
    --trusted-proxies 127.0.0.1 --media "$work/media" --admin-token scale-demo-admin >"$work/instance$i.log" 2>&1 &
  pids+=($!)
done
ready() { [ "$(status_of "http://127.0.0.1:$1/readyz")" = 200 ]; }
for i in 0 1 2; do
  if wait_for 30 ready "${ports[$i]}"; then :; else
    cat "$work/instance$((i + 1)).log"
    fail "instance $((i + 1)) did not come up"
    exit 1
  fi
done
applied=$(sql "SELECT COUNT(*) FROM schema_migrations")
versions=$(sql "SELECT COUNT(DISTINCT version) FROM schema_migrations")
if [ "$applied" = "$versions" ]; then pass "three instances up; each migration applied once ($applied)"; else fail "migrations applied $applied times for $versions versions"; fi
"$service_bin" import "$content_dir" --database "$database" --app demo-app --sdk-key demo-sdk-key >/dev/null
echo "   seeded the sample content: app demo-app, SDK key demo-sdk-key"

echo "== HAProxy in front: round robin, health checks on /readyz"
lb_port=$(free_port)
stats_port=$(free_port)
cat >"$work/haproxy.cfg" <<CFG
global
  maxconn 4096
defaults
  mode http
  timeout connect 2s
  timeout client 30s
  timeout server 30s
  retries 3
  option redispatch 1
  option forwardfor
  retry-on conn-failure empty-response response-timeout
  # With every instance out (the database down) the balancer answers as an instance would.
  http-error status 503 content-type application/json string '{"error":"No instance is available; try again shortly."}' hdr Retry-After 1
frontend orvane
  bind 127.0.0.1:$lb_port
  default_backend instances
backend instances
  balance roundrobin
  option httpchk GET /readyz
  http-check expect status 200
  default-server inter 500ms fastinter 200ms downinter 500ms fall 2 rise 2
  server instance1 127.0.0.1:${ports[0]} check
  server instance2 127.0.0.1:${ports[1]} check
  server instance3 127.0.0.1:${ports[2]} check
listen stats
  bind 127.0.0.1:$stats_port
  stats enable
  stats uri /stats
CFG
haproxy -f "$work/haproxy.cfg" -db >"$work/haproxy.log" 2>&1 &
haproxy_pid=$!
server_state() { curl -s --max-time 5 "http://127.0.0.1:$stats_port/stats;csv" | awk -F, -v s="$1" '$1 == "instances" && $2 == s { print $18 }'; }
is_state() { [ "$(server_state "$1")" = "$2" ]; }
for s in instance1 instance2 instance3; do wait_for 15 is_state "$s" UP || fail "$s is not UP in HAProxy"; done
lb="127.0.0.1:$lb_port"

echo "== clients behind HAProxy told apart"
# The whole of 127.0.0.0/8 is this machine: each address stands for a client of its own.
logged() { grep -qh "\"client\":\"$1\"" "$work"/instance*.log; }
status_of --interface 127.0.0.7 "http://$lb/readyz" >/dev/null
status_of --interface 127.0.0.8 "http://$lb/readyz" >/dev/null
if wait_for 5 logged 127.0.0.7 && wait_for 5 logged 127.0.0.8; then
  pass "the instances see each client's own address through HAProxy, not HAProxy's"
else
  fail "the instances do not see the clients' addresses through HAProxy"
fi
status_of --interface 127.0.0.9 -H 'X-Forwarded-For: 203.0.113.1' "http://127.0.0.1:${ports[0]}/readyz" >/dev/null
if wait_for 5 logged 127.0.0.9 && ! logged 203.0.113.1; then
  pass "an X-Forwarded-For sent straight to an instance is ignored"
else
  fail "an instance believed an X-Forwarded-For from a client"
fi

echo "== load: wrk, 2 threads, 32 connections, ${load_seconds}s (stories 70 %, votes 20 %, events 10 %)"
wrk -t2 -c32 -d"${load_seconds}s" -s "$here/mixed_load.lua" "http://$lb" | grep -E "^  wrk:|Requests/sec|Latency"

# Every user whose vote was answered 2xx must have its vote in the database.
check_votes() {  # check_votes PREFIX ACKNOWLEDGED_FILE WHAT
  sql "SELECT user_id FROM votes WHERE user_id LIKE '$1-%'" | sort -u >"$work/stored-$1"
  sort -u "$2" >"$work/acknowledged-$1"
  local acknowledged missing
  acknowledged=$(wc -l <"$work/acknowledged-$1")
  missing=$(comm -23 "$work/acknowledged-$1" "$work/stored-$1" | wc -l)
  if [ "$acknowledged" -gt 0 ] && [ "$missing" -eq 0 ]; then
    pass "$3: all $acknowledged votes answered 2xx are in the database"
  else
    fail "$3: $missing of $acknowledged votes answered 2xx are missing from the database"
  fi
}

echo "== fault 1: instance 2 killed with SIGKILL under load"
fault_seconds=$((load_seconds < 8 ? 8 : load_seconds))
python3 "$here/vote_client.py" --target "$lb" --seconds "$fault_seconds" --connections 16 --prefix kill \
  --acknowledged "$work/kill.acks" --summary "$work/kill.json" &
client=$!
sleep 2
{ kill -9 "${pids[1]}" && wait "${pids[1]}"; } 2>/dev/null || true
killed_at=$(date +%s.%N)
echo "   killed instance 2 (pid ${pids[1]})"
if wait_for 10 is_state instance2 DOWN; then
  down_at=$(date +%s.%N)
  pass "HAProxy took instance 2 out ($(server_state instance2)) $(python3 -c "print(round($down_at - $killed_at, 2))") s after the kill"
else
  fail "HAProxy still shows instance 2 as $(server_state instance2)"
  down_at=$(date +%s.%N)
fi
wait "$client"
check_votes kill "$work/kill.acks" "SIGKILL"
late_errors=$(python3 -c "import json; print(sum(1 for t in json.load(open('$work/kill.json'))['failure_times'] if t > $down_at))")
all_errors=$(python3 -c "import json; print(len(json.load(open('$work/kill.json'))['failure_times']))")
if [ "$late_errors" -eq 0 ]; then
  pass "no error once instance 2 was out ($all_errors answers not 2xx in all, around the kill)"
else
  fail "$late_errors answers were not 2xx after HAProxy took instance 2 out"
fi
alive=("${pids[0]}" "${pids[2]}")

echo "== fault 2: PostgreSQL stopped and started again under load"
python3 "$here/vote_client.py" --target "$lb" --seconds "$((fault_seconds + 4))" --connections 16 --prefix restart \
  --acknowledged "$work/restart.acks" --summary "$work/restart.json" &
client=$!
sleep 2
pg_as_owner "$pg_bin/pg_ctl" -D "$work/pg/data" -m fast -w stop >/dev/null
echo "   PostgreSQL stopped"
direct="http://127.0.0.1:${ports[0]}"
vote_status=$(curl -s -o "$work/vote-while-down.json" -w '%{http_code}' --max-time 5 -X POST \
  -H 'X-Zephro-SDK-Key: demo-sdk-key' -H 'X-Zephro-UserId: while-down' -H 'Content-Type: application/json' \
  -d '{"optionId":"f7d563b8-a35f-5600-b3fb-4fc1cddf0af1"}' \
  "$direct/sdk/v1/apps/demo-app/story-items/2a3f1c49-6b5b-5013-a748-3b0b4b8d176d/vote" || true)
if [ "$vote_status" = 503 ] && grep -q '"error"' "$work/vote-while-down.json"; then
  pass "a vote while the database is down answers 503 with a JSON error: $(cat "$work/vote-while-down.json")"
else
  fail "a vote while the database is down answered $vote_status: $(cat "$work/vote-while-down.json" 2>/dev/null)"
fi
admin_status=$(status_of -X POST -H 'Authorization: Bearer scale-demo-admin' -H 'Content-Type: application/json' \
  -d '{"key":"while-down"}' "$direct/admin/v1/apps")
[ "$admin_status" = 503 ] && pass "an admin write while the database is down answers 503" \
  || fail "an admin write while the database is down answered $admin_status"
readiness=$(status_of "$direct/readyz")
[ "$readiness" = 503 ] && pass "/readyz answers 503 while the database is down" || fail "/readyz answered $readiness"
sleep 2
pg_start
echo "   PostgreSQL started again"
recovered=0
for i in 0 2; do
  if wait_for 20 ready "${ports[$i]}" && kill -0 "${pids[$i]}" 2>/dev/null; then recovered=$((recovered + 1)); fi
done
[ "$recovered" -eq 2 ] && pass "both running instances are ready again, same processes, no restart" \
  || fail "only $recovered of 2 instances are ready again"
for s in instance1 instance3; do wait_for 15 is_state "$s" UP || fail "HAProxy does not show $s UP again"; done
wait "$client"
check_votes restart "$work/restart.acks" "PostgreSQL restart"
read -r refused other < <(python3 -c "
import json
statuses = json.load(open('$work/restart.json'))['statuses']
print(statuses.get('vote 503', 0), sum(n for k, n in statuses.items() if k.startswith('vote ') and k not in ('vote 200', 'vote 503')))")
if [ "$refused" -gt 0 ] && [ "$other" -eq 0 ]; then
  pass "through HAProxy, $refused votes answered 503 while the database was down, none failed otherwise"
else
  fail "through HAProxy, $refused votes answered 503 and $other failed otherwise while the database was down"
fi
after_status=$(curl -s -o /dev/null -w '%{http_code}' --max-time 5 -X POST -H 'X-Zephro-SDK-Key: demo-sdk-key' \
  -H 'X-Zephro-UserId: after-restart' -H 'Content-Type: application/json' \
  -d '{"optionId":"f7d563b8-a35f-5600-b3fb-4fc1cddf0af1"}' \
  "http://$lb/sdk/v1/apps/demo-app/story-items/2a3f1c49-6b5b-5013-a748-3b0b4b8d176d/vote" || true)
[ "$after_status" = 200 ] && pass "votes through HAProxy answer 200 again after the restart" \
  || fail "a vote through HAProxy after the restart answered $after_status"

echo "== events stored, by day partition"
sql "SELECT tableoid::regclass, COUNT(*) FROM events GROUP BY 1 ORDER BY 1" | sed 's/^/   /'

if [ "$failures" -eq 0 ]; then
  echo "scale demo: every check passed"
else
  echo "scale demo: $failures check(s) failed"
  exit 1
fi
