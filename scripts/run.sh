#!/usr/bin/env bash
# Installs what is missing, builds, and starts the console on a simulated bus: COM1 is
# mapped to a pseudo-terminal played by boardsim. Without a display the console runs
# under Xvfb, a screenshot is saved once the window is up, and the console is closed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
bin="$root/build/bin"

demo="$(mktemp -d /tmp/iovantor-demo.XXXXXX)"
"$bin/boardsim" --link "$demo/COM1" --echo >"$demo/boardsim.out" 2>"$demo/boardsim.err" &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -s "$demo/boardsim.out" ] && break
  kill -0 "$sim" 2>/dev/null || { cat "$demo/boardsim.err" >&2; exit 1; }
  sleep 0.1
done
"$bin/iniset" "$bin/iovantor.INI" Ports COM1 "$demo/COM1"
echo "Simulated bus on COM1 ($demo/COM1); settings in $bin/iovantor.INI"

if [ -n "${DISPLAY:-}" ]; then
  "$bin/iovantor"
else
  shots="$root/shots"
  mkdir -p "$shots"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1" & pid=$!
    sleep "${SHOT_DELAY:-4}"
    /usr/bin/import -window root "$2"
    kill -TERM "$pid"; wait "$pid"' _ "$bin/iovantor" "$shots/iovantor.png"
  echo "No display: ran under Xvfb. Screenshot: $shots/iovantor.png"
fi
