"""examples/drop_quadruped.py without its viewer: the rollout it plays is a free fall."""
import importlib.util
import os

import numpy as np
import pytest

import kinetra

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EXAMPLE = os.path.join(ROOT, "examples", "drop_quadruped.py")
QUADRUPED = os.path.join(ROOT, "..", "shared", "robots", "quadruped_a1")

pytestmark = pytest.mark.skipif(not os.path.isdir(QUADRUPED), reason="no ../shared/robots")


def example():
    module_spec = importlib.util.spec_from_file_location("drop_quadruped", EXAMPLE)
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)
    return module


def test_the_centre_of_mass_falls_as_g_t_squared_over_two(capsys):
    drop = example()
    assert drop.main(["--no-view"]) == 0
    assert capsys.readouterr().out.startswith("base height 1.000 m -> ")
    model = drop.load()[0]
    q0, v0 = drop.initial_state(model)
    data = model.create_data()
    climb = (kinetra.center_of_mass_jacobian(model, data, q0) @ v0)[2]
    heights = np.array([kinetra.center_of_mass(model, data, q)[2] for q in drop.fall(model)])
    t = drop.DT * np.arange(len(heights))
    np.testing.assert_allclose(heights - heights[0], climb * t - 0.5 * 9.81 * t**2, atol=1e-6)
