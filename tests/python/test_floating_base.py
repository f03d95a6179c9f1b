"""Robots read with a floating base: sizes, free fall and conservation of momentum."""
import os

import numpy as np
import pytest

import kinetra

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


def rotation(w):
    """exp([w]) by Rodrigues' formula."""
    angle = np.linalg.norm(w)
    k = np.cross(np.eye(3), w / angle) if angle else np.zeros((3, 3))
    return np.eye(3) + np.sin(angle) * k + (1 - np.cos(angle)) * k @ k


def chart_rate(theta, v):
    """d theta / dt for q = integrate(q0, theta) moving with velocity v, the floating joint first
    and single-axis joints after it: rotation by the inverse right Jacobian of SO(3), position by
    the turn the base made since q0."""
    w = theta[:3]
    angle = np.linalg.norm(w)
    k = np.cross(np.eye(3), w)
    c = 1 / angle**2 - (1 + np.cos(angle)) / (2 * angle * np.sin(angle)) if angle > 1e-6 else 1 / 12
    rate = v.copy()
    rate[:3] = (np.eye(3) + k / 2 + c * k @ k) @ v[:3]
    rate[3:6] = rotation(w) @ v[3:6]
    return rate


def rk4_step(model, data, q, v, h):
    """Classic RK4 on the chart theta -> integrate(q, theta) around q, so of fourth order."""
    zero = np.zeros(model.nv)

    def f(theta, v_stage):
        q_stage = kinetra.integrate(model, q, theta)
        a = kinetra.aba(model, data, q_stage, v_stage, zero).to_numpy()
        return chart_rate(theta, v_stage), a

    k1 = f(zero, v)
    k2 = f(h / 2 * k1[0], v + h / 2 * k1[1])
    k3 = f(h / 2 * k2[0], v + h / 2 * k2[1])
    k4 = f(h * k3[0], v + h * k3[1])
    theta, dv = (h / 6 * (a + 2 * b + 2 * c + d) for a, b, c, d in zip(k1, k2, k3, k4))
    return kinetra.integrate(model, q, theta), v + dv


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
    for _ in range(1000):
        q, v = rk4_step(model, data, q, v, 1e-3)
    end = kinetra.centroidal_momentum(model, data, q, v)
    for part in (slice(0, 3), slice(3, 6)):
        assert np.linalg.norm(end[part] - start[part]) <= 1e-9 * np.linalg.norm(start[part])
    # the robot moved: a frozen integrator would keep the momentum too
    start_q = kinetra.random_configuration(model, 7)
    assert np.linalg.norm(kinetra.difference(model, start_q, q)) > 0.1
