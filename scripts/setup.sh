#!/usr/bin/env bash
# Installs what kinetra needs (system packages, Python packages) and builds the module.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake ninja-build libeigen3-dev libpugixml-dev libgtest-dev libbenchmark-dev
  libfcl-dev libccd-dev libassimp-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

python3 -m pip install -q --disable-pip-version-check "scikit-build-core>=0.10" "numpy>=1.23" pytest \
  "matplotlib>=3.5"
# with the dask extra, which the Dask example's test needs
python3 -m pip install -q --disable-pip-version-check --no-build-isolation ".[dask]"
