#!/usr/bin/env bash
# Kills a loop of exports (SIGKILL) at random moments and checks after every
# kill that each file the program writes is whole: the hours report as CSV
# and PDF, a work order as PDF, and the window state in ViewState.ini.
#   kill_export.sh [kills] [export driver] [save driver]
# A file is whole when it is the same as one written to the end: the CSV byte
# for byte, a PDF with its end-of-file mark and all its pages, the state file
# with its value. Temporary files a kill leaves beside them are counted apart.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/bounded.sh"

kills="${1:-30}"
build="$(dirname "$0")/../../build/tests"
driver="${2:-$build/killexport/kill_export_driver}"
saver="${3:-$build/killsave/kill_save_driver}"

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-killexport-XXXXXX")"
trap 'rm -rf "$work"' EXIT
own_lock_folder "$work"
printf '[General]\nData File=%s\n' "$work/kill.fdb" > "$work/Quenbrook.ini"

# Tickets of this month, each with a customer of its own.
if ! QT_QPA_PLATFORM=offscreen bounded 300 "saving the first tickets" "$saver" "$work" 300 > "$work/first.log" 2>&1; then
  echo "the tickets could not be saved:"; cat "$work/first.log"; exit 1
fi

# Starts the driver and waits until it has written `rounds` rounds.
run() {
  QT_QPA_PLATFORM=offscreen "$driver" "$work" > "$work/run.log" 2>&1 &
  pid=$!
  for ((w = 0; w < 3000; ++w)); do
    grep -q "${1}" "$work/run.log" 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.01
  done
  return 1
}

pages() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ { print $2 }'; }

if ! run "exported 1"; then
  echo "the driver did not export:"; cat "$work/run.log"; exit 1
fi
kill -KILL "$pid"; wait "$pid" 2>/dev/null
cp "$work/hours.csv" "$work/reference.csv"
report_pages="$(pages "$work/hours.pdf")"
order_pages="$(pages "$work/order.pdf")"
echo "a round writes hours.csv ($(stat -c %s "$work/hours.csv") bytes), hours.pdf ($report_pages pages," \
     "$(stat -c %s "$work/hours.pdf") bytes), order.pdf ($order_pages page) and ViewState.ini"

whole_pdf() {
  [ "$(tail -c 7 "$1" 2>/dev/null | tr -d '\r\n\0')" = "%%EOF" ] && [ "$(pages "$1")" = "$2" ]
}

torn=0
in_round=0
for ((i = 1; i <= kills; ++i)); do
  if ! run "exporting"; then
    echo "kill $i: the driver ended before its kill: $(tr '\n' ' ' < "$work/run.log")"; exit 1
  fi
  sleep "0.$(printf '%03d' $((RANDOM % 1000)))"
  if ! kill -KILL "$pid" 2>/dev/null; then
    echo "kill $i: the driver ended by itself: $(tr '\n' ' ' < "$work/run.log")"; exit 1
  fi
  wait "$pid" 2>/dev/null
  grep -q "exported" "$work/run.log" && in_round=$((in_round + 1))

  problems=()
  cmp -s "$work/hours.csv" "$work/reference.csv" || problems+=("hours.csv differs from a whole one")
  whole_pdf "$work/hours.pdf" "$report_pages" || problems+=("hours.pdf is not whole")
  whole_pdf "$work/order.pdf" "$order_pages" || problems+=("order.pdf is not whole")
  grep -Eq '^Visible=(true|false)$' "$work/ViewState.ini" || problems+=("ViewState.ini has no state")
  if [ "${#problems[@]}" -gt 0 ]; then
    torn=$((torn + 1))
    echo "kill $i: ${problems[*]}"
  fi
done

# What QSaveFile had not renamed yet when the kill came.
left="$(find "$work" -maxdepth 1 -type f \( -name 'hours.csv.*' -o -name 'hours.pdf.*' -o -name 'order.pdf.*' \
        -o -name 'ViewState.ini.*' \) | wc -l)"
echo "kills: $kills (after at least one whole round: $in_round), torn files: $torn," \
     "temporary files left beside them: $left"
[ "$torn" = 0 ]
