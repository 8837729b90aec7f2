#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in the current folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
exec "$root/build/app/velmora-solutions"
