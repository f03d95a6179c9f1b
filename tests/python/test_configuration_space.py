"""Several-axis joints, configuration-space operations and the centroidal momentum."""
import numpy as np
import pytest

import kinetra
from kinetra import SE3, Data, Frame, FrameType, Inertia, Model

RNG = np.random.default_rng(3)


def body():
    return Inertia(1.5, np.array([0.1, -0.2, 0.3]), np.diag([0.2, 0.3, 0.4]))


def floating_robot():
    """A floating base carrying a ball joint, a planar joint and a hinge."""
    model = Model()
    parent = 0
    for name, joint in [("root", kinetra.JointModelFloating()), ("ball", kinetra.JointModelSpherical()),
                        ("plane", kinetra.JointModelPlanar()), ("hinge", kinetra.JointModelRY())]:
        offset = SE3(np.eye(3), np.array([0.0, 0.1, 0.3]))
        parent = model.add_joint(parent, joint, offset, name)
        model.add_frame(Frame(f"{name}_body", parent, 0, SE3.Identity(), FrameType.Body, body()), True)
    return model


@pytest.mark.parametrize("make, nq, nv, neutral", [
    (kinetra.JointModelFloating, 7, 6, [0, 0, 0, 0, 0, 0, 1]),
    (kinetra.JointModelSpherical, 4, 3, [0, 0, 0, 1]),
    (kinetra.JointModelPlanar, 4, 3, [0, 0, 1, 0]),
])
def test_joint_layouts(make, nq, nv, neutral):
    joint = make()
    assert (joint.nq, joint.nv, joint.joint_type.name) == (nq, nv, make.__name__[len("JointModel"):])
    model = Model()
    model.add_joint(0, joint, SE3.Identity(), "j")
    assert kinetra.neutral(model).to_numpy().tolist() == neutral


def test_integrate_difference_interpolate_normalize():
    model = floating_robot()
    q0 = kinetra.random_configuration(model).to_numpy()
    q1 = kinetra.random_configuration(model).to_numpy()
    v = RNG.uniform(-0.5, 0.5, model.nv)
    np.testing.assert_allclose(kinetra.difference(model, q0, kinetra.integrate(model, q0, v)), v, atol=1e-12)
    there = kinetra.integrate(model, q0, kinetra.difference(model, q0, q1))
    np.testing.assert_allclose(kinetra.difference(model, q1, there), 0, atol=1e-12)
    np.testing.assert_allclose(kinetra.interpolate(model, q0, q1, 0.0), q0, atol=1e-12)
    scaled = q0.copy()
    scaled[3:7] *= 4
    np.testing.assert_allclose(kinetra.normalize(model, scaled), q0, atol=1e-15)


@pytest.mark.parametrize("value, norm", [(0.0, "0"), (np.nan, "NaN")])
def test_unreadable_quaternion_is_refused_and_data_kept(value, norm):
    model = floating_robot()
    data = Data(model)
    q = kinetra.neutral(model).to_numpy()
    kinetra.forward_kinematics(model, data, q)
    before = [p.homogeneous for p in data.oMi]
    q[3:7] = value
    zeros = np.zeros(model.nv)
    message = f"joint 'root' has a quaternion of norm {norm}$"
    for call in (lambda: kinetra.forward_kinematics(model, data, q), lambda: kinetra.rnea(model, data, q, zeros, zeros),
                 lambda: kinetra.aba(model, data, q, zeros, zeros), lambda: kinetra.integrate(model, q, zeros),
                 lambda: kinetra.centroidal_momentum(model, data, q, zeros)):
        with pytest.raises(ValueError, match=message):
            call()
    assert all(np.array_equal(a, p.homogeneous) for a, p in zip(before, data.oMi))


@pytest.mark.parametrize("pair, norm", [((0.0, 0.0), "0"), ((np.nan, 0.0), "NaN"), ((np.inf, 0.0), "inf"),
                                        ((np.inf, np.nan), "inf")])
def test_unreadable_planar_pair_is_refused_like_a_quaternion(pair, norm):
    model = floating_robot()
    data = Data(model)
    q = kinetra.neutral(model).to_numpy()
    kinetra.forward_kinematics(model, data, q)
    before = [p.homogeneous for p in data.oMi]
    q[13:15] = pair
    zeros = np.zeros(model.nv)
    message = rf"joint 'plane' has a \(cos, sin\) pair of norm {norm}$"
    for call in (lambda: kinetra.forward_kinematics(model, data, q), lambda: kinetra.rnea(model, data, q, zeros, zeros),
                 lambda: kinetra.integrate(model, q, zeros), lambda: kinetra.normalize(model, q)):
        with pytest.raises(ValueError, match=message):
            call()
    assert all(np.array_equal(a, p.homogeneous) for a, p in zip(before, data.oMi))


def test_momentum_changes_only_by_gravity():
    model = floating_robot()
    data = Data(model)
    q = kinetra.random_configuration(model).to_numpy()
    v = RNG.uniform(-1, 1, model.nv)
    a = kinetra.aba(model, data, q, v, np.zeros(model.nv)).to_numpy()
    h = 1e-6
    rate = (kinetra.centroidal_momentum(model, data, kinetra.integrate(model, q, h * v), v + h * a)
            - kinetra.centroidal_momentum(model, data, kinetra.integrate(model, q, -h * v), v - h * a)) / (2 * h)
    mass = 4 * 1.5
    np.testing.assert_allclose(rate, [0, 0, 0, 0, 0, -9.81 * mass], atol=1e-5)
