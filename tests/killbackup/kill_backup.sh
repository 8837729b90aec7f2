#!/usr/bin/env bash
# Kills a loop of verified backups and restores (SIGKILL) at random moments and
# checks after every kill that the data file is whole and holds every ticket,
# and that every backup file there is restores to all of them.
#   kill_backup.sh [kills] [backup driver] [save driver]
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/bounded.sh"

kills="${1:-20}"
build="$(dirname "$0")/../../build/tests"
driver="${2:-$build/killbackup/kill_backup_driver}"
saver="${3:-$build/killsave/kill_save_driver}"

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-killbackup-XXXXXX")"
trap 'rm -rf "$work"' EXIT
own_lock_folder "$work"
data="$work/kill.fdb"
backups="$work/backups"
mkdir -p "$backups"
printf '[General]\nData File=%s\n' "$data" > "$work/Quenbrook.ini"

tickets=200
if ! QT_QPA_PLATFORM=offscreen bounded 300 "saving the first tickets" "$saver" "$work" "$tickets" > "$work/first.log" 2>&1; then
  echo "the tickets could not be saved:"; cat "$work/first.log"; exit 1
fi

# Reports of about 64 KB make the backup's own writing a good part of a round.
isql -q "${fixed_login[@]}" "$data" > /dev/null <<'SQL'
UPDATE SystemInfo SET Description = CAST(LPAD('', 32000, 'x') AS BLOB SUB_TYPE TEXT) || LPAD('', 32000, 'y');
COMMIT;
SQL

count() {
  echo "SET LIST ON; SELECT COUNT(*) AS TICKETS FROM Problem;" | isql -q "${fixed_login[@]}" "$1" 2>&1 |
    awk '$1 == "TICKETS" { print $2 }'
}

bad=0
during=0
partial=0
for ((i = 1; i <= kills; ++i)); do
  "$driver" "$data" "$backups" > "$work/run.log" 2>&1 &
  pid=$!
  for ((w = 0; w < 1000; ++w)); do
    grep -q working "$work/run.log" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.01
  done
  sleep "$((RANDOM % 2)).$(printf '%03d' $((RANDOM % 1000)))"
  if ! kill -KILL "$pid" 2>/dev/null; then
    echo "kill $i: the driver ended by itself: $(tr '\n' ' ' < "$work/run.log")"; exit 1
  fi
  wait "$pid" 2>/dev/null
  grep -q "backed up" "$work/run.log" && during=$((during + 1))

  problems=()
  check="$(bounded 300 "gfix -v -full of the data file after kill $i" gfix -v -full "${fixed_login[@]}" "$data" 2>&1)"
  grep -qi "errors[[:space:]]*:" <<< "$check" && problems+=("gfix: $check")
  [ "$(count "$data")" = "$tickets" ] || problems+=("the data file does not hold the $tickets tickets")
  for backup in "$backups"/*.fbk; do
    [ -e "$backup" ] || continue
    rm -f "$work/check.fdb"
    if ! bounded 300 "gbak -c of the backup $backup" gbak -c "${fixed_login[@]}" "$backup" "$work/check.fdb" > /dev/null 2>&1 ||
       [ "$(count "$work/check.fdb")" != "$tickets" ]; then
      problems+=("$(basename "$backup") does not restore to the $tickets tickets")
      rm -f "$backup"  # counted once
    fi
  done
  if [ "${#problems[@]}" -gt 0 ]; then
    bad=$((bad + 1))
    echo "kill $i: ${problems[*]}"
  fi
  # The copy a restore keeps of the file it replaced, when the kill came before
  # the driver removed it: the next restore would keep another.
  rm -f "$work"/kill.before-restore-*.fdb
  # A backup cut short under its name of its own. The program clears those of
  # its dated names itself; the driver's names are its own.
  partial=$((partial + $(find "$backups" -name '*.partial' | wc -l)))
  rm -f "$backups"/*.partial
done

echo "kills: $kills (after at least one whole backup: $during), kills after which a file was damaged or" \
     "missing: $bad, backups cut short under a name of their own: $partial"
[ "$bad" = 0 ]
