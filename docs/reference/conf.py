"""Sphinx configuration of the API reference: the Python API read from the type stubs."""
import shutil
from pathlib import Path

here = Path(__file__).resolve().parent
root = here.parents[1]

# the stubs as the package `kinetra` (their folder is named kinetra-stubs), outside the sources
stubs = root / "build" / "docs" / "stubs"
shutil.rmtree(stubs, ignore_errors=True)
shutil.copytree(root / "src" / "kinetra-stubs", stubs / "kinetra")

project = "kinetra"
author = "the kinetra developers"
copyright = "the kinetra developers"
release = next(line.split('"')[1] for line in (root / "pyproject.toml").read_text().splitlines()
               if line.startswith("version"))

extensions = ["autoapi.extension"]
autoapi_type = "python"
autoapi_dirs = [str(stubs)]
autoapi_file_patterns = ["*.pyi"]
autoapi_root = "api"
autoapi_add_toctree_entry = False
autoapi_keep_files = False
autoapi_options = ["members", "undoc-members", "special-members", "show-module-summary"]
autoapi_member_order = "bysource"
# the operators' reflected forms carry no text of their own
autoapi_python_class_content = "class"

html_theme = "alabaster"
html_static_path: list[str] = []
exclude_patterns = ["_build"]
nitpicky = False
