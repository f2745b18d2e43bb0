#!/usr/bin/env bash
# flingshare as a user runs it: a link in a sentence on the command line, text on
# standard input, nothing usable, and an opener that fails. The desktop's opener is
# replaced by a script that records the URL it was asked to open.
#
#   tests/share/flingshare_test.sh BIN_DIR
set -uo pipefail
bin="$1/flingshare"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/opener" <<'SH'
#!/bin/sh
printf '%s\n' "$1" >> "$(dirname "$0")/opened"
SH
chmod +x "$work/opener"
export ORVANE_URL_OPENER="$work/opener"
failures=0

expect() {  # NAME WANTED-STATUS WANTED-OPENED WANTED-STDERR-PART -- command...
  local name=$1 status=$2 opened=$3 message=$4
  shift 5
  rm -f "$work/opened"
  "$@" 2> "$work/stderr"
  local got=$?
  local got_opened=""
  [ -f "$work/opened" ] && got_opened=$(cat "$work/opened")
  local said_right=1
  if [ -z "$message" ]; then
    [ -s "$work/stderr" ] && said_right=0  # a success says nothing
  else
    grep -qF -- "$message" "$work/stderr" || said_right=0
  fi
  if [ "$got" != "$status" ] || [ "$got_opened" != "$opened" ] || [ "$said_right" != 1 ]; then
    echo "FAIL $name: status $got (wanted $status), opened [$got_opened] (wanted [$opened]), stderr: $(cat "$work/stderr")"
    failures=$((failures + 1))
  else
    echo "PASS $name"
  fi
}

expect "a link in a sentence" 0 "orvane://send-url?u=https://example.org/a?b=1&c=2" "" -- \
  "$bin" "see https://example.org/a?b=1&c=2, ok"
expect "a URL argument wins over text" 0 "orvane://send-url?u=https://b.example/x" "" -- \
  "$bin" "text with https://a.example" "https://b.example/x"
expect "text on standard input" 0 "orvane://send-url?u=https://example.org/from-stdin" "" -- \
  sh -c "printf 'notes\nhttps://example.org/from-stdin.\n' | '$bin'"
expect "nothing usable" 1 "" "nothing to send" -- "$bin" "a sentence about example.com"
expect "a file is not a web link" 1 "" "nothing to send" -- "$bin" "file:///tmp/notes.txt"
ORVANE_URL_OPENER=false expect "the opener fails" 1 "" "could not open" -- "$bin" "https://example.org"

[ "$failures" -eq 0 ]
