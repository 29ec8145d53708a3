#!/usr/bin/env bash
# Installs what is needed, builds, and starts Calmora; arguments go to the program.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
exec "$root/build/bin/calmora" "$@"
