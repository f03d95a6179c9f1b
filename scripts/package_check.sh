#!/usr/bin/env bash
# Installs the C++ package into a temporary prefix, static and shared, and builds and runs
# examples/cpp against each installation.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
robot=examples/robots/kinetra_arm/kinetra_arm.urdf

for shared in OFF ON; do
  echo "== package check, BUILD_SHARED_LIBS=$shared"
  # inside build/, where a compiler cache finds the objects of the other builds
  build=build/package-$shared
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=$shared \
    -DKINETRA_PYTHON=OFF -DCMAKE_INSTALL_PREFIX="$work/prefix-$shared" >/dev/null
  cmake --build "$build" -j 2
  cmake --install "$build" >/dev/null
  cmake -S examples/cpp -B "$work/example-$shared" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$work/prefix-$shared" >/dev/null
  cmake --build "$work/example-$shared"
  # the installed files alone: without the build tree's libraries
  mv "$build" "$work/build-$shared"
  "$work/example-$shared/end_effector" "$robot"
  mv "$work/build-$shared" "$build"
done
