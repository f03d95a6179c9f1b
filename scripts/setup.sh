#!/usr/bin/env bash
# Installs what kinetra needs and builds the module into a virtual environment: the active one, or
# the clone's .venv (made when missing). One line per step; the build shows its progress.
#   bash scripts/setup.sh            the module and what it needs to run (the demo)
#   bash scripts/setup.sh --tests    also the C++ tests (built in the same tree) and the test tools
set -euo pipefail
cd "$(dirname "$0")/.."

# Debian packages of the build, the tests and the tools; each is installed only when missing.
# Add a package by appending it here.
apt_packages=(
  g++ cmake ninja-build ccache python3-dev python3-venv
  libeigen3-dev libpugixml-dev libgtest-dev libbenchmark-dev
  libfcl-dev libccd-dev libassimp-dev
)
# Debian packages of the tests only (--tests): the viewer's browser test drives headless Chromium.
apt_test_packages=(chromium chromium-driver)
# Python packages the module's build needs (with NumPy, all the demo needs).
pip_packages=("scikit-build-core>=0.11" "numpy>=1.23")
# Python packages of the test suite and the stub check (--tests only).
pip_test_packages=(pytest "matplotlib>=3.5" mypy selenium)

tests=0
for argument in "$@"; do
  case "$argument" in
    --tests) tests=1 ;;
    *) echo "usage: bash scripts/setup.sh [--tests]" >&2; exit 2 ;;
  esac
done

step() { echo "==> $*"; }

[ "$tests" = 1 ] && apt_packages+=("${apt_test_packages[@]}")
missing=()
for p in "${apt_packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  step "installing Debian packages: ${missing[*]}"
  sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
else
  step "Debian packages: all ${#apt_packages[@]} present"
fi

active="${VIRTUAL_ENV:-}"
# shellcheck source=scripts/venv.sh
source scripts/venv.sh
if [ -n "$active" ]; then
  step "using the active virtual environment $VIRTUAL_ENV"
else
  step "using the virtual environment .venv (activate it with: source .venv/bin/activate)"
fi

wanted=("${pip_packages[@]}")
[ "$tests" = 1 ] && wanted+=("${pip_test_packages[@]}")
step "installing Python packages: ${wanted[*]}"
python -m pip install -qq --disable-pip-version-check "${wanted[@]}"

# One build tree, build/cpp, serves the module and the C++ tests: ctest runs in it afterwards.
build_options=(--config-settings=build-dir=build/cpp)
target=.
if [ "$tests" = 1 ]; then
  build_options+=(--config-settings=cmake.define.KINETRA_TESTS=ON)
  target=".[dask,viewer]"  # the Dask example's and the viewer's tests need the extras
fi
step "building and installing the module$([ "$tests" = 1 ] && echo " and the C++ tests") in build/cpp"
mkdir -p build
log=build/setup.log
# shows the build's progress lines, warnings and errors; the whole output goes to the log
if ! python -m pip install -v --disable-pip-version-check --no-build-isolation \
    "${build_options[@]}" "$target" </dev/null 2>&1 | tee "$log" |
    { grep --line-buffered -E '^ *\[[0-9]+/[0-9]+\] |warning:|error:' || true; } |
    sed -u -E 's/^ *(\[[0-9]+\/[0-9]+\]) (Building CXX object )?/  \1 /'; then
  tail -n 40 "$log" >&2
  echo "the build failed; its whole output is in $log" >&2
  exit 1
fi
step "done: kinetra $(python -c 'import kinetra; print(kinetra.__version__)') in $VIRTUAL_ENV"
