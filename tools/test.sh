#!/usr/bin/env bash
# Builds Zorvane and runs every test: tools/test.sh [preset]
# preset: default (release with debug info), debug or sanitize (ASan + UBSan).
# Installs the Debian packages it needs when they are missing. Under CI
# (CI=true) warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}

tools/install-deps.sh

extra=()
if [ "${CI:-}" = "true" ]; then extra+=(-DZORVANE_WARNINGS_AS_ERRORS=ON); fi

cmake --preset "$preset" "${extra[@]}"
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
