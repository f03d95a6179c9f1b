#!/usr/bin/env bash
# Builds the API reference (the Python API from the type stubs, the conventions, the C++ overview
# and the examples) into build/docs/html; any warning fails the build.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/venv.sh

# Python packages of the documentation build.
docs_packages=("sphinx>=7" "sphinx-autoapi>=3")
python -c "import sphinx, autoapi" 2>/dev/null ||
  python -m pip install -q --disable-pip-version-check "${docs_packages[@]}"
python -m sphinx -W --keep-going -q -b html docs/reference build/docs/html
echo "==> API reference: build/docs/html/index.html"
