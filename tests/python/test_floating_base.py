"""Robots read with a floating base: sizes, free fall and conservation of momentum."""
import os

import numpy as np
import pytest

import kinetra
from kinetra import batch

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ROBOTS = os.path.join(ROOT, "..", "shared", "robots")
# file, nq and nv with a floating base
FLOATING = {"quadruped_a1": ("a1.urdf", 19, 18), "humanoid_g1": ("g1_29dof.urdf", 36, 35)}


def floating_robot(name):
    path = os.path.join(ROBOTS, name, FLOATING[name][0])
    if not os.path.exists(path):
        pytest.skip(f"{path} is not available")
    model, _, _ = kinetra.build_models_from_urdf(path, check_meshes=False,
                                                 root_joint=kinetra.JointModelFloating())
    return model


@pytest.mark.parametrize("name", sorted(FLOATING))
def test_free_fall_accelerates_the_centre_of_mass_by_gravity(name):
    model = floating_robot(name)
    assert (model.nq, model.nv) == FLOATING[name][1:]
    assert model.joint_names[1] == "root_joint" and model.joint_parents[1] == 0
    data = model.create_data()
    q = kinetra.random_configuration(model, 5).to_numpy()
    zero = np.zeros(model.nv)
    a = kinetra.aba(model, data, q, zero, zero).to_numpy()
    com_acceleration = kinetra.center_of_mass_jacobian(model, data, q) @ a
    np.testing.assert_allclose(com_acceleration, model.gravity, atol=1e-12)


@pytest.mark.parametrize("name", sorted(FLOATING))
def test_momentum_is_kept_in_zero_gravity(name):
    model = floating_robot(name)
    model.gravity = np.zeros(3)
    data = model.create_data()
    q = kinetra.random_configuration(model, 7).to_numpy()
    v = np.random.default_rng(7).uniform(-1, 1, model.nv)
    start = kinetra.centroidal_momentum(model, data, q, v)
    qs, vs = batch.rollout(model, q[None], v[None], np.zeros((1, 1000, model.nv)), 1e-3,
                           integrator="rk4")
    end = kinetra.centroidal_momentum(model, data, qs[0, -1], vs[0, -1])
    for part in (slice(0, 3), slice(3, 6)):
        assert np.linalg.norm(end[part] - start[part]) <= 1e-9 * np.linalg.norm(start[part])
    # the robot moved: a frozen integrator would keep the momentum too
    assert np.linalg.norm(kinetra.difference(model, q, qs[0, -1])) > 0.1
