#!/usr/bin/env bash
# Fuzzes the URDF reader and the algorithms run on what it loads, the pickle payload reader, the
# SRDF reader and mesh files read into collision geometry, under AddressSanitizer and
# UndefinedBehaviorSanitizer, for a bounded total time split between them.
#   bash scripts/fuzz.sh [seconds]   (default 120)
# URDF seeds: the bundled arm, the regression inputs and, when present, the shared robots
# ($KINETRA_ROBOTS, default ../shared/robots); payload seeds: tests/fuzz/payloads and its
# regressions; SRDF and mesh seeds: tests/fuzz/srdf, tests/fuzz/meshes and their regressions.
# The working corpora live in a temporary folder.
# A failing input is written to tests/fuzz/regressions/ (URDF) or tests/fuzz/<kind>_regressions/:
# keep it there, it is replayed by the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-120}"

# clang 19 is the first Debian clang whose C++23 mode has std::expected with GCC's library
clang="${KINETRA_CLANG:-clang++-19}"
if ! command -v "$clang" >/dev/null; then
  sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq clang-19 libclang-rt-19-dev
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
sanitizers="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER="$clang" -DKINETRA_PYTHON=OFF -DKINETRA_TESTS=OFF -DKINETRA_FUZZ=ON \
  "${launcher[@]}" -DCMAKE_CXX_FLAGS="$sanitizers -fno-omit-frame-pointer -Wno-unused-command-line-argument" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build/fuzz -j "${JOBS:-2}" --target urdf_fuzzer payload_fuzzer srdf_fuzzer \
  mesh_fuzzer

corpus="$(mktemp -d)"
payloads="$(mktemp -d)"
srdfs="$(mktemp -d)"
meshes="$(mktemp -d)"
trap 'rm -rf "$corpus" "$payloads" "$srdfs" "$meshes"' EXIT
robots="${KINETRA_ROBOTS:-../shared/robots}"
seeds=(examples/robots/*/*.urdf tests/fuzz/regressions/*)
[ -d "$robots" ] && seeds+=("$robots"/*/*.urdf)
i=0
for seed in "${seeds[@]}"; do
  [ -f "$seed" ] && [ "${seed##*/}" != README.md ] && cp "$seed" "$corpus/seed_$((i++)).urdf"
done
copy_seeds() {  # copy_seeds TARGET SOURCE...
  local target="$1" seed
  shift
  for seed in "$@"; do
    if [ -f "$seed" ] && [ "${seed##*/}" != README.md ]; then cp "$seed" "$target/"; fi
  done
}
copy_seeds "$payloads" tests/fuzz/payloads/* tests/fuzz/payload_regressions/*
copy_seeds "$srdfs" tests/fuzz/srdf/* tests/fuzz/srdf_regressions/*
copy_seeds "$meshes" tests/fuzz/meshes/* tests/fuzz/mesh_regressions/*
# the URDF and payload readers hold most of the code: 3/8 each, the SRDF and mesh readers 1/8
urdf_seconds=$((seconds * 3 / 8))
payload_seconds=$((seconds * 3 / 8))
srdf_seconds=$((seconds / 8))
mesh_seconds=$((seconds - urdf_seconds - payload_seconds - srdf_seconds))
echo "fuzzing the URDF reader for ${urdf_seconds} s from $i seeds"

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp"
build/fuzz/tests/fuzz/urdf_fuzzer "$corpus" -dict=tests/fuzz/urdf.dict \
  -max_total_time="$urdf_seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix=tests/fuzz/regressions/ -print_final_stats=1

echo "fuzzing the payload reader for ${payload_seconds} s"
build/fuzz/tests/fuzz/payload_fuzzer "$payloads" -dict=tests/fuzz/payload.dict \
  -max_total_time="$payload_seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix=tests/fuzz/payload_regressions/ -print_final_stats=1

echo "fuzzing the SRDF reader for ${srdf_seconds} s"
build/fuzz/tests/fuzz/srdf_fuzzer "$srdfs" -dict=tests/fuzz/srdf.dict \
  -max_total_time="$srdf_seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
  -artifact_prefix=tests/fuzz/srdf_regressions/ -print_final_stats=1

echo "fuzzing mesh files for ${mesh_seconds} s"
build/fuzz/tests/fuzz/mesh_fuzzer "$meshes" -dict=tests/fuzz/mesh.dict \
  -max_total_time="$mesh_seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
  -artifact_prefix=tests/fuzz/mesh_regressions/ -print_final_stats=1
