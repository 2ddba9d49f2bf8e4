#!/usr/bin/env bash
# The unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer (clang), then
# each fuzz target for a bounded time over its seed corpus. Any finding fails the run.
#   FUZZ_SECONDS   seconds per fuzz target (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
export MOXNFE_SCHEMAS="${MOXNFE_SCHEMAS:-$(cd .. && pwd)/shared/schemas}"
segundos="${FUZZ_SECONDS:-30}"
pasta=build-sanitizers
jobs=$(nproc)

cmake -S . -B "$pasta" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
  -DMOXNFE_SANITIZE=address,undefined -DMOXNFE_BUILD_FUZZ=ON -DMOXNFE_BUILD_HOST=ON -DMOXNFE_WERROR=ON
cmake --build "$pasta" -j"$jobs"

# Leaks are checked at exit too; the suppressions list only what libraries keep for the life of
# the process (MOXNFE_LEAKS=0 switches leak checking off).
export ASAN_OPTIONS="detect_leaks=${MOXNFE_LEAKS:-1}:fast_unwind_on_malloc=0:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$(pwd)/tools/sanitizers/lsan.supp:print_suppressions=0"
# Left to the ordinary build: the sandbox's load tests and the 70-note interrupted DF-e walk, whose
# request time limits the sanitizers' slowdown exceeds; its kill rounds, which repeat the same
# requests many times; and the package build.
ctest --test-dir "$pasta" --output-on-failure -j"$jobs" --timeout 900 -E '^(Sandbox(Carga|ConexoesLentas|Queda)\.|DistribuicaoInterrompida\.|pacote_)'

achados="$pasta/fuzz-achados"
mkdir -p "$achados"
for alvo in "$pasta"/fuzz/fuzz_*; do
  nome=$(basename "$alvo")
  sementes="fuzz/corpus/${nome#fuzz_}"
  novos=$(mktemp -d)
  echo "== $nome: ${segundos}s a partir de $sementes"
  # New inputs go to a scratch folder; the seeds in the repository are only read.
  "$alvo" -max_total_time="$segundos" -max_len=65536 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$achados/$nome-" "$novos" "$sementes" 2>&1 | tail -n 12
  rm -rf "$novos"
done
echo "Sanitizadores e fuzzing: nenhum achado."
