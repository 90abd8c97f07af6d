#!/usr/bin/env bash
# The content service under wrk on 127.0.0.1, with nginx serving the same answer bytes as a static
# file as the baseline, in the same run:
#   stories  a 20-group stories answer from the cache at 64 keep-alive connections, beside nginx
#   votes    64 connections voting, on SQLite and on PostgreSQL (a throwaway cluster)
#   events   service events flooding in, and the stories p99 meanwhile against its idle p99, beside
#            nginx's p99 for the same file idle and under the same flood (what the shared cores allow)
#   idle     2,000 idle keep-alive connections: the service's resident memory and threads
# usage: serve_bench.sh SERVICE_BINARY   (BENCH_SECONDS per wrk run, default 5; BENCH_SERVICE_FLAGS
# added to the service's command line)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
service_binary=$(realpath "${1:?usage: serve_bench.sh SERVICE_BINARY}")
seconds=${BENCH_SECONDS:-5}
for tool in wrk nginx curl python3; do
  command -v "$tool" >/dev/null || { echo "serve_bench: $tool is not installed" >&2; exit 1; }
done

work=$(mktemp -d /tmp/orvane-serve-bench.XXXXXX)
chmod 755 "$work"  # nginx's worker and PostgreSQL run unprivileged when this runs as root
started=()
pg_ctl_stop=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ ${#pg_ctl_stop[@]} -gt 0 ]; then "${pg_ctl_stop[@]}" >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
ulimit -n "$(ulimit -Hn)" 2>/dev/null || true

read -r poll_item poll_options <<<"$(python3 "$here/make_content.py" "$work/content")"
export BENCH_POLL_ITEM=$poll_item BENCH_POLL_OPTIONS=$poll_options
stories_path=/sdk/v1/apps/demo-app/placements/home/stories
admin_token=bench-admin-token

# start_service NAME DATABASE_URL: starts it on a free port; sets $origin and $service_pid.
start_service() {
  local log="$work/$1.log"
  : >"$log"
  # shellcheck disable=SC2086  # extra flags, word-split on purpose
  "$service_binary" serve --database "$2" --content "$work/content" --port 0 --quiet --rate-limit 0 \
    --admin-token "$admin_token" --media "$work/media-$1" ${BENCH_SERVICE_FLAGS:-} >"$log" 2>&1 &
  service_pid=$!
  started+=("$service_pid")
  for _ in $(seq 100); do
    origin=$(sed -n 's/^Orvane content service on \(http:[^ ]*\) .*/\1/p' "$log")
    [ -n "$origin" ] && return 0
    kill -0 "$service_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "serve_bench: the service did not start:" >&2
  cat "$log" >&2
  exit 1
}

stop_service() {
  kill "$service_pid"
  wait "$service_pid" 2>/dev/null || true
}

# run_wrk OUTPUT CONNECTIONS SCRIPT URL [seconds]
run_wrk() {
  wrk -t2 -c"$2" -d"${5:-$seconds}s" --timeout 5s --latency -s "$3" "$4" >"$1"
}
rate() { awk '/^Requests\/sec:/ {printf "%.0f", $2}' "$1"; }
p99_ms() {
  awk '$1 == "99%" { v = $2; u = v; sub(/[0-9.]+/, "", u); sub(/[a-z]+$/, "", v);
    f = (u == "us") ? 0.001 : (u == "s") ? 1000 : (u == "m") ? 60000 : 1; printf "%.2f", v * f }' "$1"
}
non2xx() { awk '/Non-2xx or 3xx responses:/ {print $5; found=1} END {if (!found) print 0}' "$1"; }
total_requests() { awk '/requests in/ {print $1}' "$1"; }
metric() {  # metric NAME: its value in the service's /metrics
  curl -s -H "Authorization: Bearer $admin_token" "$origin/metrics" | awk -v name="$1" '$1 == name {printf "%.0f", $2}'
}
rss_mib() { awk '/^VmRSS:/ {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }
threads_of() { awk '/^Threads:/ {print $2}' "/proc/$1/status"; }

rows=()
row() { rows+=("$(printf '%-44s %16s %20s %24s' "$1" "$2" "$3" "$4")"); }

echo "== stories from the cache beside nginx ($seconds s each, 64 connections)"
start_service sqlite "sqlite:$work/bench.sqlite"
curl -sf -H 'X-Zephro-SDK-Key: demo-sdk-key' -H 'Accept-Encoding: gzip' "$origin$stories_path" -o "$work/stories.json.gz"
mkdir -p "$work/nginx/html" "$work/nginx/tmp"
cp "$work/stories.json.gz" "$work/nginx/html/stories.json.gz"
curl -sf -H 'X-Zephro-SDK-Key: demo-sdk-key' "$origin$stories_path" -o "$work/nginx/html/stories.json"
chmod -R a+rX "$work/nginx"
nginx_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/nginx/nginx.conf" <<NGINX
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 4096; }
http {
  access_log off;
  client_body_temp_path $work/nginx/tmp; proxy_temp_path $work/nginx/tmp; fastcgi_temp_path $work/nginx/tmp;
  uwsgi_temp_path $work/nginx/tmp; scgi_temp_path $work/nginx/tmp;
  default_type application/json;
  gzip_static on;
  keepalive_requests 100000000;
  server { listen 127.0.0.1:$nginx_port; root $work/nginx/html; }
}
NGINX
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" >"$work/nginx/out.log" 2>&1 &
started+=($!)
for _ in $(seq 50); do curl -sf -o /dev/null "http://127.0.0.1:$nginx_port/stories.json" && break; sleep 0.1; done
nginx_bytes=$(curl -s -H 'Accept-Encoding: gzip' "http://127.0.0.1:$nginx_port/stories.json" | cmp -s - "$work/stories.json.gz" && echo same || echo different)
[ "$nginx_bytes" = same ] || { echo "serve_bench: nginx does not serve the service's bytes" >&2; exit 1; }

run_wrk "$work/wrk-stories.txt" 64 "$here/stories.lua" "$origin$stories_path"
run_wrk "$work/wrk-nginx.txt" 64 "$here/stories.lua" "http://127.0.0.1:$nginx_port/stories.json"
run_wrk "$work/wrk-stories-users.txt" 64 "$here/stories_users.lua" "$origin$stories_path"
service_rate=$(rate "$work/wrk-stories.txt"); nginx_rate=$(rate "$work/wrk-nginx.txt")
service_p99=$(p99_ms "$work/wrk-stories.txt"); nginx_p99=$(p99_ms "$work/wrk-nginx.txt")
ratio=$(awk -v a="$service_rate" -v b="$nginx_rate" 'BEGIN {printf "%.0f", 100 * a / b}')
p99_ratio=$(awk -v a="$service_p99" -v b="$nginx_p99" 'BEGIN {printf "%.1f", a / b}')
row "stories/s, 64 conns (gzip, $(stat -c %s "$work/stories.json.gz") B)" "$service_rate" ">= 50% of nginx" "nginx $nginx_rate ($ratio %)"
row "stories p99 ms" "$service_p99" "<= 10, <= 2x nginx" "nginx $nginx_p99 (${p99_ratio}x)"
row "stories/s with user ids (own votes looked up)" "$(rate "$work/wrk-stories-users.txt")" "" "p99 $(p99_ms "$work/wrk-stories-users.txt") ms"

echo "== votes on SQLite"
run_wrk "$work/wrk-votes-sqlite.txt" 64 "$here/votes.lua" "$origin"
row "votes/s SQLite, 64 conns" "$(rate "$work/wrk-votes-sqlite.txt")" ">= 2000" "errors $(non2xx "$work/wrk-votes-sqlite.txt")"
row "votes p99 ms SQLite" "$(p99_ms "$work/wrk-votes-sqlite.txt")" "<= 25" ""

echo "== events flooding, stories probed meanwhile: the service's, then nginx's as the baseline"
# The probe asks at a steady pace (see stories_probe.lua); the flood is as fast as 64 connections go.
# The flooding wrk shares the two cores with what it measures, so each pair is measured twice: wrk
# at the priority of the rest, and wrk niced, standing in for clients on other machines.
probe() { wrk -t1 -c4 -d"${seconds}s" --latency -s "$here/stories_probe.lua" "$2" >"$1"; }
flood() { ${flood_nice:+nice -n "$flood_nice"} wrk -t2 -c64 -d"${seconds}s" --timeout 5s -s "$here/events.lua" "$origin/sdk/v1/events" >"$1"; }
nginx_stories=http://127.0.0.1:$nginx_port/stories.json
probe "$work/wrk-probe-idle.txt" "$origin$stories_path"
probe "$work/wrk-probe-nginx-idle.txt" "$nginx_stories"
stored_before=$(metric orvane_events_stored_total)
accepted=0
for flood_nice in "" 19; do
  probe "$work/wrk-probe-flood$flood_nice.txt" "$origin$stories_path" &
  probe_pid=$!
  flood "$work/wrk-events$flood_nice.txt"
  wait "$probe_pid"
  probe "$work/wrk-probe-nginx-flood$flood_nice.txt" "$nginx_stories" &
  probe_pid=$!
  flood "$work/wrk-events-nginx$flood_nice.txt"
  wait "$probe_pid"
  for events in "$work/wrk-events$flood_nice.txt" "$work/wrk-events-nginx$flood_nice.txt"; do
    accepted=$(( accepted + $(total_requests "$events") - $(non2xx "$events") ))
  done
done
for _ in $(seq 100); do
  [ "$(( $(metric orvane_events_stored_total) - stored_before ))" -ge "$accepted" ] && break
  sleep 0.1
done
stored=$(( $(metric orvane_events_stored_total) - stored_before ))
ratio_of() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.1f", a / b}'; }
idle_p99=$(p99_ms "$work/wrk-probe-idle.txt"); nginx_idle_p99=$(p99_ms "$work/wrk-probe-nginx-idle.txt")
row "events accepted/s, 64 conns" "$(awk -v n="$accepted" -v s="$seconds" 'BEGIN {printf "%.0f", n / (4 * s)}')" ">= 10000" "stored $stored of $accepted"
for flood_nice in "" 19; do
  flood_p99=$(p99_ms "$work/wrk-probe-flood$flood_nice.txt"); nginx_flood_p99=$(p99_ms "$work/wrk-probe-nginx-flood$flood_nice.txt")
  row "stories p99 ms idle, flooded$([ -n "$flood_nice" ] && echo ' by niced wrk') (ratio)" \
    "$idle_p99, $flood_p99 ($(ratio_of "$flood_p99" "$idle_p99")x)" "<= 1.5x idle" \
    "nginx $nginx_idle_p99, $nginx_flood_p99 ($(ratio_of "$nginx_flood_p99" "$nginx_idle_p99")x)"
done

echo "== 2,000 idle keep-alive connections"
rss_before=$(rss_mib "$service_pid")
python3 "$here/idle_connections.py" 127.0.0.1 "${origin##*:}" 2000 4 "$stories_path" >"$work/idle.txt" &
idle_pid=$!
started+=("$idle_pid")
for _ in $(seq 300); do [ -s "$work/idle.txt" ] && break; sleep 0.1; done
sleep 1
held=$(head -1 "$work/idle.txt"); rss_held=$(rss_mib "$service_pid"); threads_held=$(threads_of "$service_pid")
wait "$idle_pid" || true
row "RSS MiB with $held idle connections" "$rss_held" "<= 100" "before $rss_before, threads $threads_held"
stop_service

echo "== votes on PostgreSQL"
pg_bin=/usr/lib/postgresql/15/bin
if [ -x "$pg_bin/initdb" ]; then
  as_owner=()
  if [ "$(id -u)" -eq 0 ]; then
    owner=postgres; id postgres >/dev/null 2>&1 || owner=nobody
    as_owner=(runuser -u "$owner" --)
  fi
  mkdir -p "$work/pg"
  [ ${#as_owner[@]} -eq 0 ] || chown "$owner" "$work/pg"
  "${as_owner[@]}" "$pg_bin/initdb" -D "$work/pg/data" -U postgres --auth=trust -E UTF8 --no-instructions >"$work/pg/initdb.log" 2>&1
  # Set up as the tests' throwaway cluster is: Unix socket only, and no flushes to disk, so the
  # figure is the service's and PostgreSQL's work rather than this machine's fsync latency.
  "${as_owner[@]}" "$pg_bin/pg_ctl" -D "$work/pg/data" -l "$work/pg/server.log" -w -t 60 \
    -o "-c listen_addresses='' -k $work/pg -c max_connections=100 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
    start >/dev/null
  pg_ctl_stop=("${as_owner[@]}" "$pg_bin/pg_ctl" -D "$work/pg/data" -m fast -w stop)
  start_service postgresql "postgresql:///postgres?host=$work/pg&user=postgres"
  run_wrk "$work/wrk-votes-pg.txt" 64 "$here/votes.lua" "$origin"
  row "votes/s PostgreSQL, 64 conns" "$(rate "$work/wrk-votes-pg.txt")" ">= 2000" "errors $(non2xx "$work/wrk-votes-pg.txt")"
  row "votes p99 ms PostgreSQL" "$(p99_ms "$work/wrk-votes-pg.txt")" "<= 25" ""
  stop_service
else
  row "votes on PostgreSQL" "skipped" "" "no $pg_bin/initdb"
fi

echo
printf '%-44s %16s %20s %24s\n' "figure" "service" "target" "baseline"
printf '%s\n' "${rows[@]}"
