#!/usr/bin/env bash
# Measures, in one run, every figure of the start-up and throughput table:
#   - FEAL-8 deciphering speed (MB/s);
#   - start-up of the four resources with one line analysed, a whole
#     process: first process (no shared image yet), second process, MeCab,
#     warm and cold (the resource files dropped from the page cache);
#   - the memory a second concurrent process adds, ours and MeCab's;
#   - full analysis and raw analysis in sentences/s beside MeCab's
#     parseToNode and parse(), over 5,000 sentences of the Japanese manual
#     pages installed here (bench/manpage-corpus.sh; Debian's manpages-ja);
#   - the load time of a generated 10,000-topic knowledge file.
# Wall-clock figures need a quiet machine: the load average is printed
# before and after.  With --instructions it also counts instructions
# (valgrind's callgrind), which do not depend on the load: a warm start-up,
# and the full analysis per sentence.
#
#   bench/perf-figures.sh [--instructions] [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
instructions=false
if [ "${1:-}" = "--instructions" ]; then instructions=true; shift; fi
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores)"
bench/manpage-corpus.sh 5000 > "$work/corpus.txt"
echo "corpus: $(wc -l < "$work/corpus.txt") sentences from /usr/share/man/ja"
echo
echo "== FEAL-8 deciphering"
"$build/bench/FealBench" --benchmark_filter='Batches|FileImage|BlockByBlock' 2>/dev/null | grep '^BM_'
echo
echo "== start-up and memory"
"$build/bench/startup" --runs 20 --cold
echo
echo "== analysis throughput"
"$build/bench/analysis-throughput" --rounds 7 "$work/corpus.txt" 2>/dev/null
echo
echo "== knowledge file load"
"$build/bench/knowledge-load" --topics 10000 2>/dev/null | grep -E '^(sample|10000)'
if $instructions; then
  echo
  echo "== instruction counts (callgrind)"
  count() { valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null | sed -n 's/.*Collected : //p'; }
  echo '今日は良い天気ですね。' > "$work/one.txt"
  "$build/bench/corpus-analysis" --timing --repeat 1 "$work/one.txt" >/dev/null 2>&1  # the shared images exist
  one=$(count "$build/bench/corpus-analysis" --timing --repeat 1 "$work/one.txt")
  all=$(count "$build/bench/corpus-analysis" --timing --repeat 1 "$work/corpus.txt")
  sentences=$(wc -l < "$work/corpus.txt")
  echo "warm start-up with one line: $one instructions"
  echo "full analysis: $(( (all - one) / sentences )) instructions per sentence (corpus reading included)"
fi
echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
