#!/usr/bin/env bash
# Checks the installed type stubs against the installed module: any name, parameter, default or
# property that differs fails. Run after the module is installed (scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/venv.sh
python -c "import mypy" 2>/dev/null || python -m pip install -q --disable-pip-version-check mypy
# from an empty folder, so that only the installed module and stubs are seen
workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
allowlist="$PWD/scripts/stubtest_allowlist.txt"
cd "$workdir"
python -m mypy.stubtest kinetra --allowlist "$allowlist"
