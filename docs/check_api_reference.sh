#!/usr/bin/env bash
# The API reference of the installed headers builds without a single warning: every public C++
# type and member is documented. Exits 77 (skipped) where Doxygen is not installed.
#   check_api_reference.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
command -v doxygen >/dev/null || { echo "doxygen is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --component headers --prefix "$work/headers" >/dev/null
ORVANE_DOCS_INPUT="$work/headers/include" ORVANE_DOCS_QML="" ORVANE_DOCS_README="" ORVANE_DOCS_OUTPUT="$work" \
  ORVANE_DOCS_VERSION=check ORVANE_DOCS_WARN_AS_ERROR=FAIL_ON_WARNINGS doxygen "$source/docs/Doxyfile"
echo "api reference: no warnings"
