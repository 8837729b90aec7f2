#!/usr/bin/env bash
# Configures and builds everything into build/ of the repository.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON > /dev/null
cmake --build "$root/build" -j "$(nproc)"
