#!/usr/bin/env bash
# Builds a host against the SDK installed in a prefix, as an adopter would, and runs it.
#   check_consumer.sh cpp-host|qt-quick-host|core-host|qmllint|qml-tool
# Environment: PREFIX (the installed SDK), WORK (scratch directory), SOURCE (the SDK's sources),
# CXX and LAUNCHER (compiler and its launcher), CONTENT_SERVICE (the local content service),
# FRAME_CHECK, QMLLINT, QML_TOOL.
set -euo pipefail
step=$1
mkdir -p "$WORK"

# Runs a host with its settings, votes and caches in the scratch directory, not the user's.
in_scratch_home() {
  HOME="$WORK" XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data" XDG_CACHE_HOME="$WORK/cache" "$@"
}

configure_and_build() {  # configure_and_build <source dir> <build dir> [cmake args...]
  local source=$1 build=$2
  shift 2
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$CXX" \
    ${LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER="$LAUNCHER"} -DCMAKE_PREFIX_PATH="$PREFIX" \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "$@" >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log"; return 1; }
  cmake --build "$build" -j 2
}

# The local content service on a free port; ORVANE_SERVICE_ORIGIN points the host at it.
start_content_service() {
  local log=$WORK/content-service.log
  # Created here: the service's own redirection may not have opened it by the first read.
  : >"$log"
  rm -f "$WORK"/content.sqlite*
  "$CONTENT_SERVICE" --database "sqlite:$WORK/content.sqlite" --content "$SOURCE/service/content" --port 0 --quiet \
    >"$log" 2>&1 &
  service_pid=$!
  trap 'kill $service_pid 2>/dev/null || true' EXIT
  for _ in $(seq 100); do
    ORVANE_SERVICE_ORIGIN=$(sed -n 's/^Orvane content service on \([^ ]*\) .*/\1/p' "$log")
    [ -n "$ORVANE_SERVICE_ORIGIN" ] && export ORVANE_SERVICE_ORIGIN && return 0
    sleep 0.05
  done
  echo "the content service did not start:" >&2
  cat "$log" >&2
  return 1
}

case "$step" in
  cpp-host)
    # Qt is made unfindable: a host asking only for Core must not need it.
    configure_and_build "$SOURCE/examples/cpp-host" "$WORK/cpp-host" -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON
    # The same host through pkg-config, for builds without CMake.
    PKG_CONFIG_PATH="$(dirname "$(find "$PREFIX" -name orvanestories.pc)")" \
      bash -c "$CXX -std=c++20 \"$SOURCE/examples/cpp-host/main.cpp\" -o \"$WORK/cpp-host-pkg-config\" \
        \$(pkg-config --cflags --libs orvanestories)"
    start_content_service
    in_scratch_home timeout 60 "$WORK/cpp-host/cpp-host" | tee "$WORK/cpp-host.out"
    grep -q "^story group: " "$WORK/cpp-host.out" && grep -q "^banner: " "$WORK/cpp-host.out"
    in_scratch_home timeout 60 "$WORK/cpp-host-pkg-config" >/dev/null
    ;;
  qt-quick-host)
    configure_and_build "$SOURCE/examples/qt-quick-host" "$WORK/qt-quick-host"
    start_content_service
    rm -f "$WORK/frame.png"
    QT_QPA_PLATFORM=offscreen in_scratch_home timeout 60 "$WORK/qt-quick-host/qt-quick-host" --grab "$WORK/frame.png"
    # The window is 400 wide: the bar's bubbles at the top, the banner below them.
    "$FRAME_CHECK" "$WORK/frame.png" 0,0,400,110 16,126,368,120
    ;;
  core-host)
    configure_and_build "$SOURCE/tests/consumer/core-host" "$WORK/core-host" -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON
    "$WORK/core-host/core-host"
    ;;
  qmllint)
    qml_dir=$(dirname "$(find "$PREFIX" -path '*/OrvaneStories/qmldir')")
    output=$("$QMLLINT" -I "$(dirname "$qml_dir")" "$SOURCE/examples/qt-quick-host/Main.qml" 2>&1) || true
    [ -z "$output" ] || { echo "$output"; exit 1; }
    ;;
  qml-tool)
    # The run-time plugin, as Qt's qml tool (and QML preview, a Python host) loads it.
    qml_dir=$(dirname "$(dirname "$(find "$PREFIX" -path '*/OrvaneStories/qmldir')")")
    output=$(QT_QPA_PLATFORM=offscreen in_scratch_home \
      timeout 60 "$QML_TOOL" -I "$qml_dir" "$SOURCE/tests/consumer/qml-tool/check.qml" 2>&1) ||
      { echo "$output"; exit 1; }
    grep -q "qml-tool: OrvaneStories loaded" <<<"$output" || { echo "$output"; exit 1; }
    ;;
  *)
    echo "unknown step $step" >&2
    exit 2
    ;;
esac
echo "$step: ok"
