#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it without installing it:
# its files, its Depends, its desktop entry and metainfo, and that the unpacked program,
# started with a fresh HOME, writes its settings under that HOME and nowhere else.
# Closes with "package: N passed, N failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/deps.sh" desktop-file-utils appstream || exit 1

# The build shows on stderr; the last line of its output names the package. (tee to a file of
# our own: reopening /dev/stderr would truncate a log file that stderr points at.)
work="$(mktemp -d /tmp/iovantor-package.XXXXXX)"
trap 'rm -rf "$work"' EXIT
built="$work/package.out"
{ "$root/scripts/package.sh" | tee "$built"; } >&2
deb="$(tail -n 1 "$built")"
[ -f "$deb" ] || { echo "check-package: scripts/package.sh made no package"; echo "package: 0 passed, 1 failed"; exit 1; }
echo "Checking $deb"

passed=0
failed=0
check() { # name, then the command that must succeed
  local name="$1"
  shift
  if "$@"; then
    echo "PASS $name"
    passed=$((passed + 1))
  else
    echo "FAIL $name"
    failed=$((failed + 1))
  fi
}

contents() {
  local listing want ok=0
  listing="$(dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|')"
  for want in /usr/bin/iovantor /usr/bin/iovantor-boardsim \
      /usr/share/applications/iovantor.desktop \
      /usr/share/icons/hicolor/48x48/apps/iovantor.png \
      /usr/share/icons/hicolor/256x256/apps/iovantor.png \
      /usr/share/icons/hicolor/scalable/apps/iovantor.svg \
      /usr/share/metainfo/invalid.keldan.iovantor.metainfo.xml \
      /usr/share/man/man1/iovantor.1.gz /usr/share/man/man1/iovantor-boardsim.1.gz; do
    grep -qxF "$want" <<<"$listing" || { echo "  missing $want"; ok=1; }
  done
  # Nothing of the build tree or the tests travels with the program.
  if grep -E '/(boardsim|iniset|tst_[^/]*|bench_[^/]*)$|\.INI$' <<<"$listing"; then ok=1; fi
  return $ok
}

depends() {
  local line
  line="$(dpkg-deb -f "$deb" Depends)"
  echo "  Depends: $line"
  grep -qE '(^|, )libqt6widgets6( |,|$)' <<<"$line" && grep -qE '(^|, )libqt6serialport6( |,|$)' <<<"$line"
}

unpacked="$work/root"
dpkg-deb -x "$deb" "$unpacked"

desktop_entry() {
  local entry="$unpacked/usr/share/applications/iovantor.desktop"
  desktop-file-validate "$entry" || return 1
  # The program reads no arguments, so the menu passes none.
  grep -qx 'Exec=iovantor' "$entry"
}

metainfo() {
  appstreamcli validate --no-net "$unpacked/usr/share/metainfo/invalid.keldan.iovantor.metainfo.xml" >"$work/metainfo.log" 2>&1 \
    || { cat "$work/metainfo.log"; return 1; }
}

# The unpacked program runs as this user (root in CI) from a folder it could write: its
# settings still go to $HOME/.config/keldan, and nothing lands beside it or in its
# working folder.
settings_under_home() {
  local home="$work/home" cwd="$work/cwd" runtime="$work/runtime" pid status before after
  mkdir -p "$home" "$cwd" "$runtime"
  chmod 700 "$runtime"
  before="$(cd "$unpacked" && find . | sort)"
  (cd "$cwd" && exec env -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen \
    "$unpacked/usr/bin/iovantor" >"$work/iovantor.log" 2>&1) &
  pid=$!
  sleep 4
  kill -0 "$pid" 2>/dev/null || { echo "  the program ended early:"; cat "$work/iovantor.log"; return 1; }
  kill -TERM "$pid"
  wait "$pid"
  status=$?
  [ "$status" -eq 0 ] || { echo "  exit status $status after SIGTERM"; cat "$work/iovantor.log"; return 1; }
  after="$(cd "$unpacked" && find . | sort)"
  local ini="$home/.config/keldan/iovantor.INI" ok=0
  # The file has Windows line ends, as the Windows console writes it.
  tr -d '\r' <"$ini" 2>/dev/null | grep -qx '\[Tester\]' || { echo "  no closing settings in $ini"; ok=1; }
  [ "$before" = "$after" ] || { echo "  written beside the program:"; diff <(echo "$before") <(echo "$after"); ok=1; }
  [ -z "$(ls -A "$cwd")" ] || { echo "  written in the working folder: $(ls -A "$cwd")"; ok=1; }
  return $ok
}

boardsim_runs() {
  local out="$work/boardsim.out" pid i
  "$unpacked/usr/bin/iovantor-boardsim" --link "$work/COM1" --demo-bus >"$out" 2>"$work/boardsim.err" &
  pid=$!
  for i in $(seq 50); do
    [ -s "$out" ] && break
    sleep 0.1
  done
  local device
  device="$(head -n 1 "$out")"
  [ -L "$work/COM1" ] && [ "$(readlink "$work/COM1")" = "$device" ] || { cat "$work/boardsim.err"; kill "$pid"; wait "$pid"; return 1; }
  kill -TERM "$pid"
  wait "$pid"
  [ ! -e "$work/COM1" ]
}

check "contents" contents
check "Depends names Qt 6 Widgets and Serial Port" depends
check "desktop entry" desktop_entry
check "metainfo" metainfo
check "settings under HOME only" settings_under_home
check "iovantor-boardsim" boardsim_runs

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
