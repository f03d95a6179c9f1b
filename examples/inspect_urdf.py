"""Prints a summary of a URDF robot; usage:
python3 examples/inspect_urdf.py PATH [--package-dir DIR] [--floating] [--seed N] [--plot FILE.png]
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src"))

from kinetra_tools.urdf_summary import main  # noqa: E402

if __name__ == "__main__":
    sys.exit(main())
