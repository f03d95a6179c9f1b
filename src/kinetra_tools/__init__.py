"""Command-line tools built on kinetra."""
