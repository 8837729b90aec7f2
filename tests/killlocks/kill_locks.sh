#!/usr/bin/env bash
# The engine's lock folder left poisoned: a process killed while it holds the
# mutex of a shared segment, while another engine process keeps that segment
# open, used to make every later creation of a data file wait for ever. On a
# lock folder of its own, with a second engine process alive on it, this
#   1. takes a segment's mutex on purpose in a child and kills the child, then
#      leaves it held by a living child, then does the same under the running
#      backup driver;
#   2. kills (SIGKILL) the program's first start and the backup driver at random
#      moments of creation, attach, backup, verification and restore, COUNT times;
# and after each demands that a new first start reach "Connected..." within ten
# seconds. Every call is bounded: a hang fails at once, saying what hung and
# showing the lock folder.
#   kill_locks.sh COUNT [PROGRAM] [BACKUP DRIVER] [SAVE DRIVER] [LOCK TOOL]
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/bounded.sh"

kills="${1:?usage: kill_locks.sh COUNT [PROGRAM] [BACKUP DRIVER] [SAVE DRIVER] [LOCK TOOL]}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
program="${2:-$root/build/app/velmora-solutions}"
driver="${3:-$root/build/tests/killbackup/kill_backup_driver}"
saver="${4:-$root/build/tests/killsave/kill_save_driver}"
tool="${5:-$root/build/tests/killlocks/lock_tool}"
for file in "$program" "$driver" "$saver" "$tool"; do
  [ -x "$file" ] || { echo "missing: $file"; exit 2; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-killlocks-XXXXXX")"
export FIREBIRD_LOCK="$work/lock" QT_QPA_PLATFORM=offscreen VELMORA_STARTUP_PROBE=1
mkdir -m 700 "$FIREBIRD_LOCK"
own_home "$work"
children=()
cleanup() {
  exec 3>&- 2>/dev/null
  for child in "${children[@]}"; do kill -KILL "$child" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
sleep_ms() { sleep "$(printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)))"; }

show_locks() { timeout -k 1 5 "$tool" show "$FIREBIRD_LOCK" 2>&1 || echo "(lock_tool show did not end)"; }

fail() {
  echo "FAILED: $*"
  echo "the lock folder $FIREBIRD_LOCK:"
  show_locks | sed 's/^/  /'
  exit 1
}

# Runs a command with a bound; running past it fails the test, saying what hung.
bounded() {
  local limit="$1" what="$2"
  shift 2
  timeout -k 2 "$limit" "$@"
  local rc=$?
  { [ $rc -eq 124 ] || [ $rc -eq 137 ]; } && fail "$what did not end within $limit s"
  return $rc
}

# Waits for a line in a log, at most `limit` seconds; answers the milliseconds it took.
wait_for() {
  local log="$1" pattern="$2" limit="$3" pid="${4:-}" began
  began=$(now_ms)
  while ! grep -q -- "$pattern" "$log" 2>/dev/null; do
    [ $(( $(now_ms) - began )) -ge $((limit * 1000)) ] && return 1
    [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null && ! grep -q -- "$pattern" "$log" 2>/dev/null && return 1
    sleep 0.01
  done
  echo $(( $(now_ms) - began ))
}

left_locked() { show_locks | grep -c 'LEFT LOCKED'; }

mkdir "$work/bin"
cp "$program" "$work/bin/velmora-solutions"

freed=0
# A first start in a new folder (it creates the data file): it must reach
# "Connected..." within ten seconds. Adds the locks it freed to `freed`.
fresh_start() {
  rm -rf "$work/run"
  mkdir "$work/run"
  local output rc
  output="$(cd "$work/run" && timeout -k 1 10 "$work/bin/velmora-solutions" 2>&1)"
  rc=$?
  grep -q '^Connected\.\.\.' <<<"$output" ||
    fail "after $1, a first start did not reach \"Connected...\" within 10 s (exit $rc):" \
         "$(grep -v -e XDG_RUNTIME -e propagateSizeHints <<<"$output" | head -5)"
  freed=$((freed + $(sed -n 's/^Freed \([0-9]*\) lock.*/\1/p' <<<"$output" | awk '{ n += $1 } END { print n + 0 }')))
}

# The second engine process: a data file of its own kept attached, so that the
# engine never lays the shared segments out afresh.
mkfifo "$work/hold.in"
"$tool" hold "$work/holder.fdb" < "$work/hold.in" > "$work/hold.log" 2>&1 &
holder=$!
children+=("$holder")
exec 3> "$work/hold.in"
wait_for "$work/hold.log" holding 10 "$holder" > /dev/null || fail "the holding process did not start: $(cat "$work/hold.log")"
segment="$FIREBIRD_LOCK/fb_user_mapping"
[ -e "$segment" ] || fail "the engine made no $segment"

poison() {
  "$tool" poison "$segment" > "$work/poison.log" 2>&1 &
  poisoner=$!
  children+=("$poisoner")
  wait_for "$work/poison.log" locked 5 "$poisoner" > /dev/null || fail "could not take the mutex: $(cat "$work/poison.log")"
}
kill_poisoner() {
  kill -KILL "$poisoner" 2>/dev/null
  wait "$poisoner" 2>/dev/null
}

# 1a. Left locked by a child that was killed.
poison
kill_poisoner
[ "$(left_locked)" -ge 1 ] || fail "the killed child left no lock behind"
fresh_start "a child killed while it held the mutex"
[ "$(left_locked)" -eq 0 ] || fail "the start left the mutex locked"
echo "on purpose, holder killed: the next start connected and freed $freed lock(s)"

# 1b. Held by a child that lives and never lets go: the program must say so.
poison
rm -rf "$work/run" && mkdir "$work/run"
(cd "$work/run" && exec "$work/bin/velmora-solutions" > "$work/stuck.log" 2>&1) &
stuck=$!
children+=("$stuck")
took=$(wait_for "$work/stuck.log" "did not answer" 10 "$stuck") ||
  fail "with a living holder, nothing was said within 10 s: $(head -5 "$work/stuck.log")"
grep -q -- "$FIREBIRD_LOCK" "$work/stuck.log" || fail "the message does not name the lock folder: $(cat "$work/stuck.log")"
grep -q "process $poisoner" "$work/stuck.log" || fail "the message does not name the holder: $(cat "$work/stuck.log")"
echo "on purpose, holder alive: the program said so after $took ms"
kill -KILL "$stuck" 2>/dev/null
wait "$stuck" 2>/dev/null
kill_poisoner
before=$freed
fresh_start "the living holder was killed"
echo "  and once the holder was killed, the next start connected and freed $((freed - before)) lock(s)"

# 1c. The same under a running backup driver: it must go on with its rounds.
mkdir "$work/backup" "$work/backup/backups"
printf '[General]\nData File=%s\n' "$work/backup/kill.fdb" > "$work/backup/Quenbrook.ini"
bounded 120 "saving the first tickets" "$saver" "$work/backup" 30 > "$work/backup/first.log" 2>&1 ||
  fail "the tickets could not be saved: $(cat "$work/backup/first.log")"
"$driver" "$work/backup/kill.fdb" "$work/backup/backups" > "$work/run.log" 2>&1 &
running=$!
children+=("$running")
wait_for "$work/run.log" "restored 1" 20 "$running" > /dev/null || fail "the backup driver did not start: $(cat "$work/run.log")"
poison
kill_poisoner
rounds=$(grep -c '^restored' "$work/run.log")
wait_for "$work/run.log" "restored $((rounds + 2))" 10 "$running" > /dev/null ||
  fail "the backup driver stopped after the lock was left: $(tail -3 "$work/run.log")"
freed=$((freed + $(sed -n 's/^Freed \([0-9]*\) lock.*/\1/p' "$work/run.log" | awk '{ n += $1 } END { print n + 0 }')))
kill -KILL "$running" 2>/dev/null
wait "$running" 2>/dev/null
echo "on purpose, under the backup driver: its rounds went on"

# 2. Kills at random moments.
killed_starts=0 killed_backups=0 found=0
for ((i = 1; i <= kills; ++i)); do
  if [ $((RANDOM % 2)) -eq 0 ]; then
    rm -rf "$work/run" && mkdir "$work/run"
    (cd "$work/run" && exec "$work/bin/velmora-solutions" > /dev/null 2>&1) &
    victim=$!
    sleep_ms $((RANDOM % 400))
    killed_starts=$((killed_starts + 1))
  else
    rm -f "$work/backup/backups/"*.partial "$work/backup/"kill.before-restore-*.fdb
    "$driver" "$work/backup/kill.fdb" "$work/backup/backups" > "$work/run.log" 2>&1 &
    victim=$!
    wait_for "$work/run.log" working 10 "$victim" > /dev/null ||
      fail "kill $i: the backup driver did not start: $(head -3 "$work/run.log")"
    sleep_ms $((RANDOM % 1500))
    killed_backups=$((killed_backups + 1))
  fi
  kill -KILL "$victim" 2>/dev/null
  wait "$victim" 2>/dev/null
  left=$(left_locked)
  found=$((found + left))
  fresh_start "kill $i"
  [ "$(left_locked)" -eq 0 ] || fail "kill $i: a lock is still left after the start"
done

exec 3>&-
for ((w = 0; w < 2000; ++w)); do kill -0 "$holder" 2>/dev/null || break; sleep 0.01; done
kill -0 "$holder" 2>/dev/null && fail "the holding process did not shut down within 20 s"

echo "kills: $kills (first starts: $killed_starts, backup driver: $killed_backups);" \
     "locks left by a killed process: $found; locks the program freed in all: $freed"
