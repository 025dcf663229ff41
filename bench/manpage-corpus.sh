#!/usr/bin/env bash
# Writes a corpus of Japanese sentences taken from the Japanese manual pages
# installed on this machine (Debian's manpages-ja and the ja pages of other
# packages), one sentence a line, UTF-8:
#
#   bench/manpage-corpus.sh [COUNT] > corpus.txt      (default 5000)
#
# A paragraph's text lines (font macros included) are joined, other roff
# requests and the escapes dropped, and the text cut after each 。; a
# sentence is kept when it holds Japanese text and is 10 to 300 bytes long,
# the first time it is met.  Pages are read in sorted order, so the same
# machine always gives the same corpus.
set -eu  # not pipefail: the reader stops early, and the writer then meets a closed pipe
count=${1:-5000}
pages=/usr/share/man/ja
[ -d "$pages" ] || { echo "manpage-corpus: no $pages (install manpages-ja)" >&2; exit 1; }
export LC_ALL=C
find "$pages" -name '*.gz' -type f | sort | while read -r page; do
  zcat -- "$page" 2>/dev/null || true
  echo '.PP'
done | awk -v count="$count" '
  function flush(   n, i, s, parts) {
    gsub(/\\f(\[[^]]*\]|\([A-Za-z0-9][A-Za-z0-9]|[A-Za-z0-9])/, "", text)
    gsub(/\\\*?\([A-Za-z0-9][A-Za-z0-9]/, "", text)
    gsub(/\\s[-+]?[0-9]/, "", text)
    gsub(/\\-/, "-", text); gsub(/\\e/, "\\", text)
    gsub(/\\[&%|^,\/c]/, "", text); gsub(/\\ /, " ", text)
    gsub(/。/, "。\n", text)
    n = split(text, parts, "\n")
    for (i = 1; i <= n && kept < count; ++i) {
      s = parts[i]
      sub(/^[ \t]+/, "", s); sub(/[ \t]+$/, "", s)
      if (length(s) < 10 || length(s) > 300 || s !~ /[\343-\351]/ || (s in seen)) continue
      seen[s] = 1
      print s
      ++kept
    }
    text = ""
    if (kept >= count) exit
  }
  function add(line) {
    text = (text == "" || text ~ /[\200-\377]$/ || line ~ /^[\200-\377]/) ? text line : text " " line
  }
  # Font macros carry text: .B word, .BR word word (alternating, no blank).
  /^\.(B|I|SM|SB) / { line = substr($0, index($0, " ") + 1); gsub(/"/, "", line); add(line); next }
  /^\.(BR|RB|BI|IB|IR|RI) / { line = substr($0, index($0, " ") + 1); gsub(/"/, "", line); gsub(/ /, "", line); add(line); next }
  /^[.'"'"']/ { flush(); next }
  { add($0) }
  END { flush() }
'
