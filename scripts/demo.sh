#!/usr/bin/env bash
# Sets up what the demo needs (the module and NumPy), then prints the summary of the bundled
# example robot.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/venv.sh
robot=examples/robots/kinetra_arm
python examples/inspect_urdf.py "$robot/kinetra_arm.urdf" --package-dir "$robot"
