#!/usr/bin/env bash
# Runs the real `pellmint` on a virtual display against the install tree:
#  1. a GTK module drives it like an author (screenshot of the main window,
#     the About box, the font dialog's samples, the test window chatting
#     through orvane-host, a package made through its buttons), and the
#     package is checked with the system tar;
#  2. runs ended by SIGTERM and by SIGINT leave no work area behind.
# Usage: pellmint_xvfb.sh PELLMINT DRIVER_MODULE REGISTRY ORVANE_HOST SAMPLE_RES SCREENSHOT
set -u
pellmint=$1 driver=$2 registry=$3 host=$4 sample=$5 screenshot=$6
source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
mkdir "$work/tmp" "$work/res" "$work/cache"
cp "$sample" "$work/res/sample.res"
failures=0
check() {  # description, command...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

# The test window's host is found on the PATH and downloads the knowledge
# file into a cache of this run's own.
export TMPDIR=$work/tmp QUIBO_REGISTRY=$registry XDG_CACHE_HOME=$work/cache PATH=$(dirname "$host"):$PATH
# Software rendering on the virtual display; GTK's and WebKit's own one-time
# allocations are not this program's leaks.
export WEBKIT_DISABLE_COMPOSITING_MODE=1 LIBGL_ALWAYS_SOFTWARE=1 NO_AT_BRIDGE=1
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
display() { timeout -k 5 "$1" xvfb-run -a -s "-screen 0 1024x768x24" "${@:2}"; }

PELLMINT_DRIVER_REPORT=$work/report PELLMINT_DRIVER_SHOT=$work/shot.png \
  PELLMINT_DRIVER_RESOURCE=$work/res/sample.res GTK_MODULES=$driver \
  display 200 "$pellmint" > "$work/log" 2>&1
rc=$?
cat "$work/report" 2>/dev/null
reported() { grep -qxE "$1" "$work/report"; }
check "pellmint ended by its close button (exit $rc)" test $rc -eq 0
check "the template list holds the two sample templates" reported "templates 2"
check "the screenshot shows the thumbnail" reported "thumbnail pixels seen"
check "the menu opens the About box with the version" reported "about Pellmint Version 1\.2-1\.0"
check "its OK button closes it" reported "about closed"
check "the gothic face's sample is drawn in IPA Gothic" reported "sample ＭＳ ゴシック: IPA(Gothic|ゴシック)"
check "the mincho face's sample is drawn in IPA Mincho" reported "sample ＭＳ 明朝: IPA(Mincho|明朝)"
sans=$(fc-match -f '%{family[0]}' sans-serif)
check "the Latin face's sample is drawn in the system's sans-serif ($sans)" reported "sample Microsoft Sans Serif: $sans"
check "the main window is hidden while the test window runs" reported "main window hidden during the test"
greetings=$(awk '/^table /{t = ($2 == "呼びかけ表")} t && /^entry /{sub(/^entry /, ""); sub(/ \| .*/, ""); print "greeting " $0}' \
  "$source_dir/data/sample_knowledge.txt")
check "the test window's page greets with one of the sample base's greetings" \
  grep -qxFf <(echo "$greetings") "$work/report"
check "its host runs while it is open" reported "hosts while testing 1"
check "closing it stops the host and shows the main window again" reported "main window shown again, hosts left 0"
check "Make reported success" reported "message パッケージを作成しました。"
listing=$(tar -tzf "$work/res/sample.tgz" 2>/dev/null | sort | tr '\n' ' ')
check "the package beside sample.res unpacks to the local standard package ($listing)" \
  test "$listing" = "index.html quibo/custom.js quibo/lib_chat.js quibo/orvane_host.js quibo/page.js sample.pdata "
check "the work area was removed" test -z "$(ls -A "$work/tmp")"
check "GTK reported no misuse" bash -c "! grep -E 'CRITICAL|-WARNING' '$work/log'"
[ -s "$work/shot.png" ] && cp "$work/shot.png" "$screenshot"
[ $failures -eq 0 ] || { echo "--- pellmint output"; tail -30 "$work/log"; }

# Ended by a signal once its work area exists: the work area goes as well.
for signal in TERM INT; do
  display 60 "$pellmint" > "$work/log-$signal" 2>&1 &
  runner=$!
  area=
  for _ in $(seq 300); do
    area=$(ls -d "$work"/tmp/pellmint* 2>/dev/null | head -1)
    [ -n "$area" ] && break
    sleep 0.1
  done
  pid=${area##*/pellmint}
  check "a run to be ended by SIG$signal made its work area" test -n "$pid"
  [ -n "$pid" ] && kill -"$signal" "$pid"
  wait "$runner"
  check "SIG$signal removed the work area" test -z "$(ls -A "$work/tmp")"
done

echo "pellmint under Xvfb: $failures failed"
[ $failures -eq 0 ]
