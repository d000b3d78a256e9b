#!/usr/bin/env bash
# Builds Vorlix and starts it.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
echo "Built in build/release"
