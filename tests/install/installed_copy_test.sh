#!/usr/bin/env bash
# The installed program run by a user who may not write its folder: a start
# from the menu puts the data file into the user's data folder and writes no
# settings; a start from a terminal keeps the working folder; a Setup save
# writes the user's configuration folder, and the next start reads it.
set -euo pipefail
build="$1"
driver="$2"
fail() { echo "FAIL: $*"; exit 1; }

user=velmora-tester
if [ "$(id -u)" -eq 0 ]; then
  id -u "$user" > /dev/null 2>&1 ||
    useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  as_user() { runuser -u "$user" -- "$@"; }
  give() { chown "$user:" "$@"; }
else
  as_user() { "$@"; }
  give() { :; }
fi

# The repository may sit in a folder closed to others: install under /tmp.
top="$(mktemp -d /tmp/velmora-installed.XXXXXX)"
trap 'chmod -R u+w "$top"; rm -rf "$top"' EXIT
chmod 0755 "$top"
cmake --install "$build" --prefix "$top/prefix" > /dev/null
cp "$driver" "$top/prefix/bin/installed_setup_driver"
chmod -R a-w "$top/prefix"
program="$top/prefix/bin/velmora-solutions"

home="$top/home"
run="$top/run"
terminal="$top/terminal"
lock="$top/lock"
mkdir "$home" "$run" "$terminal" "$lock"
chmod 0700 "$run" "$lock"
give "$home" "$run" "$terminal" "$lock"

# Runs a command as the user in a folder, with a session's bare environment,
# for a minute at most.
run_in() {
  local folder="$1" rc=0
  shift
  (cd "$folder" && as_user env -i HOME="$home" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$run" FIREBIRD_LOCK="$lock" \
     QT_QPA_PLATFORM=offscreen timeout -k 2 60 "$@") || rc=$?
  if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    echo "HUNG: $* did not end within 60 s in $folder; the lock folders: $(ls -d /tmp/firebird* 2>&1 | tr '\n' ' ')" >&2
    exit 1
  fi
  return $rc
}
start_in() {
  local output
  output="$(run_in "$1" env VELMORA_STARTUP_PROBE=1 "$program" 2>&1)" || fail "start in $1: $output"
  grep -q '^Connected\.\.\. ' <<< "$output" || fail "no start in $1: $output"
}
bin_untouched() {
  [ "$(ls -A "$top/prefix/bin" | LC_ALL=C sort | tr '\n' ' ')" = "installed_setup_driver velmora-solutions " ] ||
    fail "files appeared beside the program: $(ls -A "$top/prefix/bin")"
}

data="$home/.local/share/velmora-solutions"
config="$home/.config/velmora-solutions/Quenbrook.ini"

# From the menu: working folder the home folder.
start_in "$home"
[ -f "$data/Data/Solutions.fdb" ] || fail "no data file in $data/Data"
[ ! -e "$home/Data" ] || fail "a data file was made in the working folder"
[ ! -e "$home/.config" ] || fail "the first start wrote configuration"
[ "$(stat -c %u "$data/Data/Solutions.fdb")" = "$(as_user id -u)" ] || fail "data file not the user's"
bin_untouched

# From the menu with "/" as working folder: the same data file.
start_in /

# From a terminal elsewhere: the working folder, as a portable copy.
start_in "$terminal"
[ -f "$terminal/Data/Solutions.fdb" ] || fail "a terminal start did not use its working folder"

# A General Setup save through the real window (the program has no command line).
run_in "$home" env VELMORA_INSTALLED_DRIVER=1 "$top/prefix/bin/installed_setup_driver" > "$top/driver.log" 2>&1 ||
  { cat "$top/driver.log"; fail "the Setup save"; }
[ -f "$config" ] || fail "no settings in $config"
grep -qx 'Data File=./Shop/Tickets.fdb' "$config" || fail "settings file: $(cat "$config")"

# The next start reads them: the data file it names is made in the data folder.
start_in "$home"
[ -f "$data/Shop/Tickets.fdb" ] || fail "the next start did not take the saved data file"
grep -qx 'Data File=./Shop/Tickets.fdb' "$config" || fail "the start changed the settings"
bin_untouched

echo "installed_copy_test: all checks passed"
