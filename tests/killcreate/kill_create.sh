#!/usr/bin/env bash
# Kills the program (SIGKILL, as a crash or a power cut would) at random
# moments of its first start, while it makes its data file, and checks that the
# next start always ends with a whole data file: the three tables and a clean
# "gfix -v -full".
#
#   kill_create.sh COUNT [PROGRAM]
#
# PROGRAM defaults to build/app/velmora-solutions; it runs from a copy in a
# temporary folder, so no settings file beside the build's program is read.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/bounded.sh"

count="${1:?usage: kill_create.sh COUNT [PROGRAM]}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
program="${2:-$root/build/app/velmora-solutions}"
[ -x "$program" ] || { echo "no program at $program"; exit 2; }

scratch="$(mktemp -d)"
child=""
cleanup() {
  [ -n "$child" ] && kill -KILL "$child" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
own_lock_folder "$scratch"
own_home "$scratch"

mkdir "$scratch/bin"
cp "$program" "$scratch/bin/velmora-solutions"
export QT_QPA_PLATFORM=offscreen VELMORA_STARTUP_PROBE=1

now_us() { echo $(( $(date +%s%N) / 1000 )); }

# Starts the program in a fresh folder and waits until its data file (or the
# file it lays out first) appears or it has ended.
start_first() {
  rm -rf "$scratch/run"
  mkdir "$scratch/run"
  (cd "$scratch/run" && exec "$scratch/bin/velmora-solutions" >first.log 2>&1) &
  child=$!
  while kill -0 "$child" 2>/dev/null; do
    if [ -e "$scratch/run/Data/Solutions.fdb" ] || [ -e "$scratch/run/Data/Solutions.fdb.new" ]; then
      return
    fi
    sleep 0.001
  done
}

# How long the first start takes from the file's appearance to "Connected...",
# the shortest of three: the span the kills are spread over.
span_us=0
for ((trial = 0; trial < 3; ++trial)); do
  start_first
  began=$(now_us)
  while kill -0 "$child" 2>/dev/null && ! grep -q '^Connected' "$scratch/run/first.log"; do
    sleep 0.001
  done
  took_us=$(( $(now_us) - began ))
  wait "$child"
  child=""
  [ "$span_us" -eq 0 ] || [ "$took_us" -lt "$span_us" ] && span_us=$took_us
done
[ "$span_us" -gt 1000 ] || span_us=1000

killed=0 finished=0 failed=0 left_new=0 left_file=0
for ((run = 1; run <= count; ++run)); do
  start_first
  delay_us=$(( (RANDOM * 32768 + RANDOM) % span_us ))
  sleep "$(printf '%d.%06d' $((delay_us / 1000000)) $((delay_us % 1000000)))"
  kill -KILL "$child" 2>/dev/null
  { wait "$child"; } 2>/dev/null
  if [ $? -eq 137 ]; then
    killed=$((killed + 1))
    [ -e "$scratch/run/Data/Solutions.fdb.new" ] && left_new=$((left_new + 1))
    [ -e "$scratch/run/Data/Solutions.fdb" ] && left_file=$((left_file + 1))
  else
    finished=$((finished + 1))
  fi
  child=""

  # The next start must connect, and the file must be whole.
  problem=""
  output="$(cd "$scratch/run" && timeout -k 2 20 "$scratch/bin/velmora-solutions" 2>&1)"
  if ! grep -q '^Connected\.\.\.' <<<"$output"; then
    problem="next start: $(grep -v -e XDG_RUNTIME -e propagateSizeHints <<<"$output" | head -3)"
  else
    tables="$(isql -q "${fixed_login[@]}" "$scratch/run/Data/Solutions.fdb" 2>&1 <<<'SHOW TABLES;')"
    for table in CUSTOMER PROBLEM SYSTEMINFO; do
      grep -qw "$table" <<<"$tables" || problem="$problem $table missing;"
    done
    check="$(bounded 300 "gfix -v -full of the data file after kill $run" gfix -v -full "${fixed_login[@]}" "$scratch/run/Data/Solutions.fdb" 2>&1)"
    [ $? -eq 0 ] && [ -z "$check" ] || problem="$problem gfix: $(head -3 <<<"$check")"
    [ -e "$scratch/run/Data/Solutions.fdb.new" ] && problem="$problem temporary file left;"
  fi
  if [ -n "$problem" ]; then
    failed=$((failed + 1))
    echo "run $run (killed after ${delay_us} us): $problem"
  fi
done

echo "kills: $count spread over ${span_us} us from the file's appearance to \"Connected...\""
echo "killed while running: $killed (leaving a temporary file: $left_new, a data file: $left_file), ended before the kill: $finished"
echo "next start whole and clean: $((count - failed)) of $count"
[ "$failed" -eq 0 ]
