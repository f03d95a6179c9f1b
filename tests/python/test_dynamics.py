"""The physics of the dynamics, checked through the Python API on random trees."""
import numpy as np
import pytest

import kinetra
from kinetra import SE3, Data, Frame, FrameType, Inertia, Model

MAKERS = [kinetra.JointModelRX, kinetra.JointModelRY, kinetra.JointModelRZ]
SEEDS = range(4)


def random_placement(rng):
    quaternion = rng.standard_normal(4)
    w, x, y, z = quaternion / np.linalg.norm(quaternion)
    rotation = np.array([
        [1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)],
        [2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)],
        [2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)],
    ])
    return SE3(rotation, rng.uniform(-0.5, 0.5, 3))


def random_inertia(rng):
    a = rng.standard_normal((3, 3))
    rotational = a @ a.T / 10 + 0.01 * np.eye(3)
    return Inertia(rng.uniform(0.5, 2.0), rng.uniform(-0.2, 0.2, 3), (rotational + rotational.T) / 2)


def random_tree(seed, joints=6):
    """Revolute joints about x, y, z on random parents, each carrying a body frame; the world
    carries one as well, which must not matter."""
    rng = np.random.default_rng(seed)
    model = Model()
    for i in range(joints + 1):
        if i > 0:
            model.add_joint(int(rng.integers(0, i)), MAKERS[rng.integers(0, 3)](),
                            random_placement(rng), f"j{i}")
        model.add_frame(Frame(f"b{i}", i, 0, random_placement(rng), FrameType.Body,
                              random_inertia(rng)), True)
    return model, rng


def state(model, rng):
    return tuple(rng.uniform(-2, 2, model.nv) for _ in range(3))


def potential_from_placements(model, data, q):
    """-sum m g . c over the bodies, from forward kinematics and the joint inertias."""
    kinetra.forward_kinematics(model, data, q)
    energy = 0.0
    for placement, inertia in list(zip(data.oMi, model.inertias))[1:]:
        com = placement.rotation @ inertia.com + placement.translation
        energy -= inertia.mass * model.gravity @ com
    return energy


def mass_from_rnea(model, data, q):
    zero = np.zeros(model.nv)
    bias = kinetra.rnea(model, data, q, zero, zero).to_numpy()
    return np.column_stack([kinetra.rnea(model, data, q, zero, e).to_numpy() - bias
                            for e in np.eye(model.nv)])


def pendulum():
    model = Model()
    model.add_joint(0, kinetra.JointModelRY(), SE3.Identity(), "hinge")
    model.add_frame(Frame("bob", 1, 0, SE3(np.eye(3), np.array([1.0, 0.0, 0.0])), FrameType.Body,
                          Inertia(1.0, np.zeros(3), np.zeros((3, 3)))), True)
    return model


@pytest.mark.parametrize("seed", SEEDS)
def test_gravity_is_the_gradient_of_the_potential_energy(seed):
    model, rng = random_tree(seed)
    data = Data(model)
    q = rng.uniform(-np.pi, np.pi, model.nq)
    zero = np.zeros(model.nv)
    gravity = kinetra.rnea(model, data, q, zero, zero).to_numpy()
    h = 1e-6
    gradient = [(potential_from_placements(model, data, q + h * e)
                 - potential_from_placements(model, data, q - h * e)) / (2 * h)
                for e in np.eye(model.nq)]
    np.testing.assert_allclose(gravity, gradient, atol=1e-7 * np.abs(gravity).max())
    np.testing.assert_allclose(kinetra.generalized_gravity(model, data, q).to_numpy(), gravity,
                               rtol=1e-14, atol=1e-14)
    assert kinetra.potential_energy(model, data, q) == pytest.approx(
        potential_from_placements(model, data, q), rel=1e-13, abs=1e-13)


@pytest.mark.parametrize("seed", SEEDS)
def test_mass_matrix(seed):
    model, rng = random_tree(seed)
    data = Data(model)
    q, v, _ = state(model, rng)
    mass = mass_from_rnea(model, data, q)
    np.testing.assert_allclose(mass, mass.T, atol=1e-12)
    assert np.linalg.eigvalsh(mass).min() > 0
    crba = kinetra.crba(model, data, q)
    assert crba.shape == (model.nv, model.nv) and np.array_equal(crba, crba.T)
    np.testing.assert_allclose(crba, mass, atol=1e-12)
    assert np.array_equal(kinetra.mass_matrix(model, data, q), crba)
    assert kinetra.kinetic_energy(model, data, q, v) == pytest.approx(0.5 * v @ crba @ v, rel=1e-12)


@pytest.mark.parametrize("joints", [6, 20])  # small results are copied, large ones handed over
def test_mass_matrices_are_arrays_of_their_own(joints):
    model, rng = random_tree(0, joints)
    data = Data(model)
    q1, q2 = (rng.uniform(-2, 2, model.nq) for _ in range(2))
    first = kinetra.crba(model, data, q1)
    kept = first.copy()
    second = kinetra.crba(model, data, q2)
    del data
    assert first.dtype == np.float64 and first.flags.c_contiguous and first.flags.writeable
    assert not np.shares_memory(first, second)
    np.testing.assert_array_equal(first, kept)
    first[:] = 0.0
    np.testing.assert_array_equal(second, kinetra.crba(model, Data(model), q2))


@pytest.mark.parametrize("seed", SEEDS)
def test_equations_of_motion(seed):
    model, rng = random_tree(seed)
    data = Data(model)
    q, v, a = state(model, rng)
    zero = np.zeros(model.nv)
    tau = kinetra.rnea(model, data, q, v, a).to_numpy()
    effects = kinetra.nonlinear_effects(model, data, q, v).to_numpy()
    np.testing.assert_allclose(effects, kinetra.rnea(model, data, q, v, zero).to_numpy(), atol=1e-12)
    np.testing.assert_allclose(kinetra.crba(model, data, q) @ a + effects, tau, atol=1e-11)
    np.testing.assert_allclose(kinetra.aba(model, data, q, v, tau).to_numpy(), a, atol=1e-9)
    np.testing.assert_allclose(kinetra.forward_dynamics(model, data, q, v, tau).to_numpy(), a,
                               atol=1e-9)


@pytest.mark.parametrize("seed", SEEDS)
def test_velocity_product_terms_are_half_the_mass_matrix_rate(seed):
    # v . C(q, v) v = 1/2 v^T Mdot v: the velocity-product efforts do no net work
    model, rng = random_tree(seed)
    data = Data(model)
    q, v, _ = state(model, rng)
    zero = np.zeros(model.nv)
    velocity_product = (kinetra.rnea(model, data, q, v, zero).to_numpy()
                        - kinetra.rnea(model, data, q, zero, zero).to_numpy())
    h = 1e-6
    rate = (kinetra.crba(model, data, q + h * v) - kinetra.crba(model, data, q - h * v)) / (2 * h)
    assert v @ velocity_product == pytest.approx(0.5 * v @ rate @ v, rel=1e-6, abs=1e-8)


@pytest.mark.parametrize(
    "q, v, a",
    [(0.0, 0.0, 0.0), (0.0, 0.0, 2.0), (0.0, 1.0, 0.0), (np.pi / 2, 0.0, 0.0), (1.0, -3.0, 0.5)],
)
def test_worked_pendulum(q, v, a):
    # a unit mass one metre out along x on a hinge about y: tau = a - 9.81 cos q
    model = pendulum()
    data = Data(model)
    tau = kinetra.rnea(model, data, np.array([q]), np.array([v]), np.array([a]))
    assert tau.to_numpy()[0] == pytest.approx(a - 9.81 * np.cos(q), abs=1e-14)
    back = kinetra.aba(model, data, np.array([q]), np.array([v]), tau.to_numpy())
    assert back.to_numpy()[0] == pytest.approx(a, abs=1e-14)


def test_pendulum_result_repr():
    model = pendulum()
    zero = np.zeros(1)
    tau = kinetra.rnea(model, Data(model), zero, zero, zero)
    assert repr(tau) == ("Configuration(\n    VecStorage {\n        data: [\n            -9.81,\n"
                         "        ],\n        nrows: Dyn(\n            1,\n        ),\n"
                         "        ncols: Const,\n    },\n)")
