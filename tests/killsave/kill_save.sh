#!/usr/bin/env bash
# Kills a loop of saves (SIGKILL) at random moments and checks after every kill
# that no ticket was left half-stored and that the data file is sound.
#   kill_save.sh [kills] [driver]
# Counts tickets with a Problem row but no SystemInfo row, customers without
# a ticket, tickets with some but not all of the two files their second save
# adds, files whose stored bytes are not all there, and data files in which
# the engine's full validation (gfix, bounded below) finds errors. Fails when any
# appear. Page warnings (pages a killed engine had allocated but not yet used)
# are counted apart: gfix frees those pages, no data is touched.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/bounded.sh"

kills="${1:-50}"
driver="${2:-$(dirname "$0")/../../build/tests/killsave/kill_save_driver}"

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-killsave-XXXXXX")"
trap 'rm -rf "$work"' EXIT
own_lock_folder "$work"
data="$work/kill.fdb"
printf '[General]\nData File=%s\n' "$data" > "$work/Quenbrook.ini"

# Creates the data file and stores a few complete tickets.
if ! QT_QPA_PLATFORM=offscreen bounded 120 "the first saves" "$driver" "$work" 3 > "$work/first.log" 2>&1; then
  echo "the driver could not save:"; cat "$work/first.log"; exit 1
fi

count() {
  isql -q "${fixed_login[@]}" "$data" <<'SQL' 2>&1
SET LIST ON;
SELECT
  (SELECT COUNT(*) FROM Problem p WHERE NOT EXISTS (SELECT 1 FROM SystemInfo s WHERE s.ProblemID = p.ProblemID)) AS PARTIAL,
  (SELECT COUNT(*) FROM Customer c WHERE NOT EXISTS (SELECT 1 FROM Problem p WHERE p.CustomerID = c.CustomerID)) AS ORPHANS,
  (SELECT COUNT(*) FROM Problem p WHERE (SELECT COUNT(*) FROM TicketFile f WHERE f.ProblemID = p.ProblemID) NOT IN (0, 2)) AS SPLIT,
  (SELECT COUNT(*) FROM TicketFile WHERE OCTET_LENGTH(Content) IS DISTINCT FROM ByteSize) AS CUT,
  (SELECT COUNT(*) FROM TicketFile) AS FILES,
  (SELECT COUNT(*) FROM Problem) AS TICKETS
FROM RDB$DATABASE;
SQL
}

value() { awk -v name="$1" '$1 == name { print $2 }'; }

damaged=0
warned=0
unreadable=0
killed_in_save=0
for ((i = 1; i <= kills; ++i)); do
  log="$work/run.log"
  QT_QPA_PLATFORM=offscreen "$driver" "$work" > "$log" 2>&1 &
  pid=$!
  # Wait until the window is up and saving, then let it run a random while.
  for ((w = 0; w < 500; ++w)); do
    grep -q saving "$log" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.01
  done
  sleep "0.$(printf '%03d' $((RANDOM % 400)))"
  if kill -KILL "$pid" 2>/dev/null; then
    killed_in_save=$((killed_in_save + 1))
    wait "$pid" 2>/dev/null
  else
    wait "$pid" 2>/dev/null
    echo "kill $i: the driver ended by itself (exit $?) before the kill: $(tr '\n' ' ' < "$log")"
  fi

  check="$(bounded 300 "gfix -v -full of the data file after kill $i" gfix -v -full "${fixed_login[@]}" "$data" 2>&1)"
  if grep -qi "errors[[:space:]]*:" <<< "$check" || { [ -n "$check" ] && ! grep -qi "warnings" <<< "$check"; }; then
    damaged=$((damaged + 1))
    echo "kill $i: gfix reports: $check"
  elif [ -n "$check" ]; then
    warned=$((warned + 1))
    echo "kill $i: gfix warns: $(tr -s '\t\n' ' ' <<< "$check")"
  fi
  counts="$(count)"
  if [ -z "$(value TICKETS <<< "$counts")" ]; then
    unreadable=$((unreadable + 1))
    echo "kill $i: isql cannot read the file: $counts"
  fi
done

counts="$(count)"
partial="$(value PARTIAL <<< "$counts")"
orphans="$(value ORPHANS <<< "$counts")"
tickets="$(value TICKETS <<< "$counts")"
split="$(value SPLIT <<< "$counts")"
cut="$(value CUT <<< "$counts")"
files="$(value FILES <<< "$counts")"
echo "kills: $kills (killed while saving: $killed_in_save), tickets stored: ${tickets:-?}"
echo "partial tickets (Problem without SystemInfo): ${partial:-?}"
echo "customers without a ticket: ${orphans:-?}"
echo "files stored: ${files:-?}; tickets with part of their files: ${split:-?}; files cut short: ${cut:-?}"
echo "damaged files (gfix -v -full errors): $damaged, unreadable: $unreadable, page warnings only: $warned"
if [ "${partial:-1}" != 0 ] || [ "${orphans:-1}" != 0 ] || [ "${split:-1}" != 0 ] || [ "${cut:-1}" != 0 ] || [ "$damaged" != 0 ] || [ "$unreadable" != 0 ] ||
   [ "$killed_in_save" != "$kills" ]; then
  exit 1
fi
