#!/usr/bin/env bash
# Soak run of the sandbox crash test: N rounds (default 200) of batches sent while the sandbox is
# killed with SIGKILL, then the check that every batch is whole or absent. Loopback only.
# Uso: bash scripts/queda-sandbox.sh [RODADAS]
set -euo pipefail
cd "$(dirname "$0")/.."
export MOXNFE_SCHEMAS="${MOXNFE_SCHEMAS:-$(cd .. && pwd)/shared/schemas}"
export MOXNFE_RODADAS_QUEDA="${1:-200}"
cmake --build build -j"$(nproc)" --target tests_sandbox moxnfe-sandbox
./build/tests/tests_sandbox --gtest_filter='SandboxQueda.*'
