"""The installed type information: the version, and the README's Python code under mypy."""
import importlib.metadata
import re
import subprocess
import sys
from pathlib import Path

import pytest

import kinetra

README = Path(__file__).resolve().parents[2] / "README.md"


def test_version_is_the_distribution_version():
    assert kinetra.__version__ == importlib.metadata.version("kinetra")
    assert "__version__" not in kinetra.__all__


def test_readme_python_type_checks(tmp_path):
    pytest.importorskip("mypy")
    blocks = re.findall(r"^```python\n(.*?)^```", README.read_text(), re.S | re.M)
    assert blocks
    script = tmp_path / "readme.py"
    script.write_text("\n".join(blocks))
    run = subprocess.run(
        [sys.executable, "-m", "mypy", "--strict", "--no-incremental", "--cache-dir",
         str(tmp_path / "cache"), str(script)],
        cwd=tmp_path, capture_output=True, text=True)
    assert run.returncode == 0, run.stdout + run.stderr
