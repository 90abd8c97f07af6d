#!/usr/bin/env bash
# with_xvfb.sh SECONDS COMMAND...: runs COMMAND for at most SECONDS on a private Xvfb display,
# rendered by Mesa's OpenGL, and stops the server afterwards. Xvfb takes the first free display
# number itself and reports it through -displayfd, so parallel runs never race for one. The
# server has a time bound of its own, so even a killed script leaves nothing running for long.
set -uo pipefail
seconds=$1
shift

work=$(mktemp -d)
server=""
stop() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
  fi
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 143' TERM INT

timeout $((seconds + 20)) Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp +extension GLX 3>"$work/display" 2>"$work/log" &
server=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$work/log" >&2
  exit 1
fi

export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
export QT_QPA_PLATFORM=xcb
timeout --kill-after=5 "$seconds" "$@"
