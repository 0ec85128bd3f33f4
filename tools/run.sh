#!/usr/bin/env bash
# Builds Zorvane and starts it against the public quote service:
#   tools/run.sh           the public quote service
#   tools/run.sh --demo    our local quote service on 127.0.0.1, started here,
#                          so quotes move without internet access
# Installs the Debian packages it needs when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

demo=0
for arg in "$@"; do
  case "$arg" in
    --demo) demo=1 ;;
    *) echo "usage: tools/run.sh [--demo]" >&2; exit 2 ;;
  esac
done

tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target zorvane zorvane-quote-service

if ((demo)); then
  work=$(mktemp -d)
  service_pid=
  cleanup() {
    if [ -n "$service_pid" ]; then kill "$service_pid" 2>/dev/null || true; fi
    rm -rf "$work"
  }
  trap cleanup EXIT
  build/default/tools/quote_service/zorvane-quote-service --port 0 >"$work/port" &
  service_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/port" ] && break
    sleep 0.05
  done
  port=$(head -n1 "$work/port")
  echo "local quote service on 127.0.0.1:$port"
  ZORVANE_QUOTE_HOST="127.0.0.1:$port" build/default/app/zorvane
else
  exec build/default/app/zorvane
fi
