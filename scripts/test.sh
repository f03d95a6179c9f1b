#!/usr/bin/env bash
# Sets everything up, then runs every test: the C++ suites, the type stubs against the module
# and the Python suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build/cpp -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKINETRA_PYTHON=OFF -DKINETRA_TESTS=ON -DKINETRA_BENCHMARKS=ON >/dev/null
cmake --build build/cpp -j 2
ctest --test-dir build/cpp --output-on-failure -j 2
bash scripts/typecheck.sh
python3 -m pytest tests/python -q
