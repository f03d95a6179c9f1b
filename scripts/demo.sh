#!/usr/bin/env bash
# Sets everything up, then prints the summary of the bundled example robot.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
robot=examples/robots/kinetra_arm
python3 examples/inspect_urdf.py "$robot/kinetra_arm.urdf" --package-dir "$robot"
