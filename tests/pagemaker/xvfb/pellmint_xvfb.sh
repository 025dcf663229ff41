#!/usr/bin/env bash
# Runs the real `pellmint` on a virtual display against the install tree:
#  1. a GTK module drives it like an author (screenshot of the main window,
#     a package made through its buttons), and the package is checked with
#     the system tar;
#  2. a second run ended by SIGTERM leaves no work area behind.
# Usage: pellmint_xvfb.sh PELLMINT DRIVER_MODULE INSTALL_TREE SAMPLE_RES SCREENSHOT
set -u
pellmint=$1 driver=$2 install=$3 sample=$4 screenshot=$5
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
mkdir "$work/tmp" "$work/res"
cp "$sample" "$work/res/sample.res"
failures=0
check() {  # description, command...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

export TMPDIR=$work/tmp QUIBO_REGISTRY=$install/registry
# Software rendering on the virtual display; GTK's and WebKit's own one-time
# allocations are not this program's leaks.
export WEBKIT_DISABLE_COMPOSITING_MODE=1 LIBGL_ALWAYS_SOFTWARE=1 NO_AT_BRIDGE=1
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
display() { timeout -k 5 "$1" xvfb-run -a -s "-screen 0 1024x768x24" "${@:2}"; }

PELLMINT_DRIVER_REPORT=$work/report PELLMINT_DRIVER_SHOT=$work/shot.png \
  PELLMINT_DRIVER_RESOURCE=$work/res/sample.res GTK_MODULES=$driver \
  display 150 "$pellmint" > "$work/log" 2>&1
rc=$?
cat "$work/report" 2>/dev/null
check "pellmint ended by its close button (exit $rc)" test $rc -eq 0
check "the template list holds the two sample templates" grep -qx "templates 2" "$work/report"
check "the screenshot shows the thumbnail" grep -qx "thumbnail pixels seen" "$work/report"
check "Make reported success" grep -qx "message パッケージを作成しました。" "$work/report"
listing=$(tar -tzf "$work/res/sample.tgz" 2>/dev/null | sort | tr '\n' ' ')
check "the package beside sample.res unpacks to the local standard package ($listing)" \
  test "$listing" = "index.html quibo/custom.js quibo/lib_chat.js quibo/orvane_host.js quibo/page.js sample.pdata "
check "the work area was removed" test -z "$(ls -A "$work/tmp")"
check "GTK reported no misuse" bash -c "! grep -E 'CRITICAL|-WARNING' '$work/log'"
[ -s "$work/shot.png" ] && cp "$work/shot.png" "$screenshot"
[ $failures -eq 0 ] || { echo "--- pellmint output"; tail -30 "$work/log"; }

# Ended by SIGTERM once its work area exists.
display 60 "$pellmint" > "$work/log2" 2>&1 &
runner=$!
for _ in $(seq 300); do
  area=$(ls -d "$work"/tmp/pellmint* 2>/dev/null | head -1)
  [ -n "$area" ] && break
  sleep 0.1
done
pid=${area##*/pellmint}
check "a second run made its work area" test -n "$pid"
[ -n "$pid" ] && kill -TERM "$pid"
wait "$runner"
check "SIGTERM removed the work area" test -z "$(ls -A "$work/tmp")"

echo "pellmint under Xvfb: $failures failed"
[ $failures -eq 0 ]
