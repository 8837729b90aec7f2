# Sourced by the test scripts. Every call of the engine's tools and of our own
# drivers runs with a bound; one that runs past it ends the script with a
# message that says what hung, where, and what the lock folder holds, instead
# of waiting until the test run's own time is up.

bounded_script="$(basename "${BASH_SOURCE[1]}")"
bounded_main=$$
trap 'exit 1' USR1

# A lock folder of the script's own inside its work folder, so that a lock a
# killed process leaves taken never reaches other tests or the machine's user.
own_lock_folder() {
  export FIREBIRD_LOCK="$1/lock"
  mkdir -p -m 700 "$FIREBIRD_LOCK"
}

# own_home DIR: the program's own folders (settings, index, report) under DIR,
# never those of the user running the tests; a copy run as root keeps them there.
own_home() {
  export HOME="$1/home"
  unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_RUNTIME_DIR
  mkdir -p -m 700 "$HOME"
}

# The fixed login of a local data file, as the data layer has it
# (DBFrameWork::DBConnection::UserName and Password), for the engine's tools.
fixed_login=(-user SYSDBA -password plumtrove)

lock_folder_state() {
  local folder="${FIREBIRD_LOCK:-/tmp/firebird}"
  echo "the lock folder $folder holds:"
  ls -la "$folder" 2>&1 | sed 's/^/  /'
}

# bounded SECONDS WHAT COMMAND...: runs COMMAND; ends the whole script when it
# has not ended within SECONDS (after SIGTERM, SIGKILL two seconds later).
bounded() {
  local limit="$1" what="$2"
  shift 2
  timeout -k 2 "$limit" "$@"
  local rc=$?
  if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    { echo "HUNG: $what did not end within $limit s ($bounded_script, line ${BASH_LINENO[0]})"
      lock_folder_state; } >&2
    kill -USR1 "$bounded_main"
    exit 1
  fi
  return $rc
}

isql() { bounded 120 "isql-fb $*" isql-fb "$@"; }
gfix() { bounded 300 "gfix $*" gfix "$@"; }
gbak() { bounded 300 "gbak $*" gbak "$@"; }
