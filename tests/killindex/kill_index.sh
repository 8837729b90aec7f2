#!/usr/bin/env bash
# Kills a loop of ticket changes and searches (SIGKILL) at random moments and
# checks after every kill that the search index, opened as the next start
# opens it, finds every ticket by what the data file holds and nothing else,
# once it has finished the rebuild or taken in the backlog that start begins.
#   kill_index.sh [kills] [index driver] [save driver]
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/bounded.sh"

kills="${1:-20}"
build="$(dirname "$0")/../../build/tests"
driver="${2:-$build/killindex/kill_index_driver}"
saver="${3:-$build/killsave/kill_save_driver}"

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-killindex-XXXXXX")"
trap 'rm -rf "$work"' EXIT
own_lock_folder "$work"
data="$work/kill.fdb"
printf '[General]\nData File=%s\n' "$data" > "$work/Quenbrook.ini"
if ! QT_QPA_PLATFORM=offscreen bounded 300 "saving the first tickets" "$saver" "$work" 300 > "$work/first.log" 2>&1; then
  echo "the tickets could not be saved:"; cat "$work/first.log"; exit 1
fi

# Long tickets, so that a rebuild takes long enough for kills to land in it.
isql -q "${fixed_login[@]}" "$data" > /dev/null <<'SQL'
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE n INTEGER = 1000;
BEGIN
  WHILE (n < 4000) DO BEGIN
    INSERT INTO Problem (ProblemID, Assigned, Description)
      VALUES (:n, CURRENT_TIMESTAMP, 'No sound ' || REPLACE(LPAD('', 150, '*'), '*', 'lorem ipsum ' || :n || ' '));
    n = n + 1;
  END
END^
SET TERM ; ^
COMMIT;
SQL

bad=0
rebuilt=0
for ((i = 1; i <= kills; ++i)); do
  # Every fourth run starts without an index, so that kills land in a rebuild too.
  (( i % 4 == 0 )) && rm -rf "$data.find" "$work/cache"
  "$driver" "$data" "$work/cache" > "$work/run.log" 2>&1 &
  pid=$!
  for ((w = 0; w < 1000; ++w)); do
    grep -q changing "$work/run.log" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.01
  done
  sleep "0.$(printf '%03d' $((RANDOM % 1000)))"
  if ! kill -KILL "$pid" 2>/dev/null; then
    echo "kill $i: the driver ended by itself: $(tr '\n' ' ' < "$work/run.log")"; exit 1
  fi
  wait "$pid" 2>/dev/null
  if ! bounded 300 "the index check" "$driver" "$data" "$work/cache" check > "$work/check.log" 2>&1; then
    bad=$((bad + 1))
    echo "kill $i: $(tr '\n' ' ' < "$work/check.log")"
  fi
  grep -q rebuilding "$work/check.log" && rebuilt=$((rebuilt + 1))
done
echo "kills: $kills, checks that found the index wrong: $bad, checks that had to rebuild it: $rebuilt"
[ "$bad" = 0 ]
