#!/usr/bin/env bash
# Sets everything up, then runs every test: the C++ suites, the type stubs against the module
# and the Python suite. The module and the C++ tests come from one build (build/cpp).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
source scripts/venv.sh

echo "==> C++ tests"
ctest --test-dir build/cpp --output-on-failure -j "${JOBS:-2}"
echo "==> type stubs against the module"
bash scripts/typecheck.sh
echo "==> Python tests"
python -m pytest tests/python -q
