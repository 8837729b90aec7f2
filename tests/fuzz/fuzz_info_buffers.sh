#!/usr/bin/env bash
# Builds the information-buffer fuzz target with clang's libFuzzer and
# AddressSanitizer and runs it for SECONDS (default 20) from a seed corpus of
# real engine answers. A crash, a sanitizer report or a hang fails.
#   fuzz_info_buffers.sh [SECONDS]
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/bounded.sh"
seconds="${1:-20}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
command -v clang++ > /dev/null || { echo "clang++ is missing (Debian: clang, libclang-rt-14-dev)"; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-fuzz-XXXXXX")"
trap 'rm -rf "$work"' EXIT
bounded 300 "building the fuzz target" \
  clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I "$root" -I /usr/include/firebird \
    "$root/tests/fuzz/InfoBufferFuzz.cpp" "$root/ibpp/InfoBuffer.cpp" "$root/ibpp/Exception.cpp" \
    -o "$work/info_fuzz" || exit 1

# Seeds: a blob's figures, a statement type, and the request counters.
mkdir "$work/corpus"
printf '\x06\x04\x00\x10\x00\x00\x00\x05\x02\x00\x00\x01\x07\x04\x00\x01\x00\x00\x00\x01' > "$work/corpus/blob"
printf '\x15\x04\x00\x01\x00\x00\x00\x01' > "$work/corpus/type"
printf '\x17\x1d\x00\x0d\x04\x00\x02\x00\x00\x00\x0e\x04\x00\x00\x00\x00\x00\x0f\x04\x00\x00\x00\x00\x00\x10\x04\x00\x00\x00\x00\x00\x01' \
  > "$work/corpus/records"

bounded $((seconds + 60)) "running the fuzz target" \
  "$work/info_fuzz" -max_total_time="$seconds" -max_len=512 -timeout=10 -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" \
  > "$work/fuzz.log" 2>&1
status=$?
grep -E "^(stat::number_of_executed_units|stat::new_units_added)" "$work/fuzz.log"
if [ "$status" -ne 0 ]; then
  tail -40 "$work/fuzz.log"
  # The failing input goes away with the work folder: show it here.
  for artifact in "$work"/crash-* "$work"/timeout-* "$work"/leak-*; do
    [ -f "$artifact" ] && { echo "input $(basename "$artifact"):"; od -An -tx1 "$artifact"; }
  done
  echo "fuzz_info_buffers: the fuzz target failed (exit $status)"
  exit 1
fi
echo "fuzz_info_buffers: no fault in ${seconds} s"
