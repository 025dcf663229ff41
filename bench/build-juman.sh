#!/usr/bin/env bash
# Builds JUMAN 7.0 from Debian's juman source package into PREFIX (default:
# build/juman), for dosk-agreement, which reads the questions corpus with it
# as a reference analyser.  A benchmark tool only: neither the engine nor the
# tests use JUMAN.  Debian's binary package prints only EOS (its JUMAN.connect
# is empty); the source builds once its connection table is preprocessed with
# a traditional cpp.  The first run needs root or sudo (it adds a deb-src
# entry and installs dpkg-dev); later runs find the build and only print it.
#   bench/build-juman.sh [PREFIX]    then: PREFIX/bin/juman -r PREFIX/etc/jumanrc -b < text
set -euo pipefail
prefix=$(realpath -m "${1:-$(dirname "$0")/../build/juman}")
[ -x "$prefix/bin/juman" ] && { echo "$prefix/bin/juman"; exit 0; }
run() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  # The source entry mirrors the machine's own binary entry.
  uris=$(grep -h '^URIs:' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1 | cut -d' ' -f2)
  suite=$(grep -h '^Suites:' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1 | cut -d' ' -f2)
  [ -n "$uris" ] || { echo "build-juman: no URIs line in /etc/apt/sources.list.d/debian.sources to copy" >&2; exit 1; }
  printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$uris" "${suite:-bookworm}" | run tee /etc/apt/sources.list.d/juman-src.sources > /dev/null
  run apt-get update -qq
fi
command -v dpkg-source > /dev/null || run apt-get install -y -qq dpkg-dev > /dev/null
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq juman > /dev/null 2>&1)
src=$(find "$work" -maxdepth 1 -type d -name 'juman-*' | head -n 1)
[ -n "$src" ] || { echo "build-juman: apt-get source juman gave no source folder" >&2; exit 1; }
cd "$src"
./configure --prefix="$prefix" > /dev/null
(cd dic && cpp -P -traditional-cpp JUMAN.connect.c | LANG=C sed 's/\(#pragma\)/;\1/' > JUMAN.connect && touch JUMAN.connect)
make -j"$(nproc)" > /dev/null 2>&1 && make install > /dev/null 2>&1
echo "$prefix/bin/juman"
