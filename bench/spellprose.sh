#!/usr/bin/env bash
# False alarms of the spell check on German prose, per 10,000 words: the words
# it flags in Debian's fortunes-de that the hunspell command line accepts when
# given the word as a reader sees it (the command line splits "für'n" and the like
# itself). Plain and as pasted from web pages and PDFs. Needs the package
# hunspell (the command line).
# Usage: bench/spellprose.sh [build dir]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
command -v hunspell >/dev/null || { echo "hunspell (the command line) is not installed" >&2; exit 1; }
for mode in "" --pasted; do
  summary=$("$build/bench/spellprose" $mode | head -n 1)
  words=$(sed 's/^[0-9]* files, \([0-9]*\) words.*/\1/' <<<"$summary")
  list=$(mktemp)
  "$build/bench/spellprose" $mode --list >"$list"
  # -L: the lines holding a word it does not know (no suggestions worked out).
  rejected=$(hunspell -d /usr/share/hunspell/de_DE -L <"$list" | wc -l)
  accepted=$(($(wc -l <"$list") - rejected))
  rm -f "$list"
  echo "${mode:-plain}: $summary"
  awk -v a="$accepted" -v w="$words" 'BEGIN { printf "  false alarms (the command line accepts): %d, %.1f per 10,000 words\n", a, 1e4 * a / w }'
done
