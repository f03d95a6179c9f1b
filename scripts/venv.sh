# Sourced by the scripts (`source scripts/venv.sh` from the clone's root): runs what follows in a
# virtual environment, the active one or the clone's `.venv`, made here on first use. Afterwards
# `python` and `pip` are the environment's, and builds share ccache when it is installed.
if [ -z "${VIRTUAL_ENV:-}" ]; then
  if [ ! -f .venv/bin/activate ]; then
    echo "==> creating the virtual environment .venv"
    python3 -m venv .venv || {
      echo "python3 -m venv failed: install python3-venv (scripts/setup.sh does)" >&2
      exit 1
    }
  fi
  # shellcheck disable=SC1091
  source .venv/bin/activate
fi
if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
  # paths relative to the clone, so that another clone's builds find these objects
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
fi
