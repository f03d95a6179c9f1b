#!/usr/bin/env bash
# Builds the C++ tests with AddressSanitizer and UndefinedBehaviorSanitizer in build/sanitize and
# runs them; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
# the C++ tests' binding check compiles against the environment's Python and NumPy
source scripts/venv.sh

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Debug keeps the assertions (Eigen's index checks among them); -O1 keeps the run short
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DKINETRA_PYTHON=OFF -DKINETRA_TESTS=ON "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="-O1 -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build/sanitize -j "${JOBS:-2}"

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build/sanitize --output-on-failure -j "${JOBS:-2}"
