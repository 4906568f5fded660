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
"$bin/boardsim" --link "$demo/COM1" --demo-bus >"$demo/boardsim.out" 2>"$demo/boardsim.err" &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -s "$demo/boardsim.out" ] && break
  kill -0 "$sim" 2>/dev/null || { cat "$demo/boardsim.err" >&2; exit 1; }
  sleep 0.1
done
ini="$bin/iovantor.INI"
if [ ! -e "$ini" ]; then
  # A first run shows the board workspaces and starts on the Digital Monitor; later runs
  # keep whatever was chosen since.
  for hidden in HideDM HideAM HideRC; do "$bin/iniset" "$ini" Tester "$hidden" 0; done
  "$bin/iniset" "$ini" Tester StartProg "Digital Monitor"
fi
"$bin/iniset" "$ini" Ports COM1 "$demo/COM1"
# The demo's boards sit at 01, 02, 03, 04 and 0A: a scan of 00 to 0F finds them all.
"$bin/iniset" "$bin/iovantor.INI" Tester FirstAddr 00
"$bin/iniset" "$bin/iovantor.INI" Tester LastAddr 0F
echo "Simulated bus on COM1 ($demo/COM1): boards at 01, 02, 03, 04, 0A; settings in $bin/iovantor.INI"

if [ -n "${DISPLAY:-}" ]; then
  "$bin/iovantor"
else
  shots="$root/shots"
  mkdir -p "$shots"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1" & pid=$!
    sleep "${SHOT_DELAY:-6}"
    /usr/bin/import -window root "$2"
    kill -TERM "$pid"; wait "$pid"' _ "$bin/iovantor" "$shots/iovantor.png"
  echo "No display: ran under Xvfb. Screenshot: $shots/iovantor.png"
fi
