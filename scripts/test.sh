#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
# The official schema packages sit beside the repository (../shared/schemas) unless told otherwise.
export MOXNFE_SCHEMAS="${MOXNFE_SCHEMAS:-$(cd .. && pwd)/shared/schemas}"
if [ ! -d "$MOXNFE_SCHEMAS" ]; then
  echo "Pasta de esquemas não encontrada: $MOXNFE_SCHEMAS (defina MOXNFE_SCHEMAS)" >&2
  exit 1
fi

jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMOXNFE_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 600
