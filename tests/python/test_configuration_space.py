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


TWO_PI = 6.283185307179586
SLIDER_AND_HINGE = """<robot name="r"><link name="base"/><link name="a"/><link name="b"/>
<joint name="slide" type="prismatic"><parent link="base"/><child link="a"/><axis xyz="1 0 0"/>
<limit lower="0" upper="1" effort="1" velocity="1"/></joint>
<joint name="hinge" type="revolute"><parent link="a"/><child link="b"/><axis xyz="0 0 1"/>
<limit lower="0" upper="1" effort="1" velocity="1"/></joint></robot>"""


@pytest.mark.parametrize("lower, upper, low, high", [
    (-np.inf, np.inf, -TWO_PI, TWO_PI),
    (-1.0, np.inf, -1.0, TWO_PI),
    (-np.inf, 2.0, -TWO_PI, 2.0),
    # a finite bound at or beyond 2 pi on the infinite side: the window of 2 pi from it
    (10.0, np.inf, 10.0, 10.0 + TWO_PI),
    (-np.inf, -TWO_PI, -2 * TWO_PI, -TWO_PI),
    (-0.5, 0.25, -0.5, 0.25),
])
def test_random_configuration_reads_infinite_bounds_as_two_pi(lower, upper, low, high):
    model = kinetra.build_models_from_urdf_string(SLIDER_AND_HINGE)[0]
    model.lower_position_limits = np.array([-np.inf, -np.inf])
    model.upper_position_limits = np.array([upper, upper])
    model.lower_position_limits = np.array([lower, lower])
    samples = np.array([kinetra.random_configuration(model, seed=s).to_numpy() for s in range(400)])
    assert np.all((samples >= low) & (samples < high))
    # both ends reached: the whole range is sampled
    assert np.all(samples.min(axis=0) < low + 0.1 * (high - low))
    assert np.all(samples.max(axis=0) > high - 0.1 * (high - low))


def test_momentum_centre_leaves_out_welded_bodies_center_of_mass_counts_them():
    welded = floating_robot()
    welded.add_frame(Frame("pedestal", 0, 0, SE3(np.eye(3), np.array([5.0, 0, 0])), FrameType.Body,
                           Inertia(10.0, np.zeros(3), np.eye(3))), True)
    q = kinetra.random_configuration(welded, seed=2).to_numpy()
    v = RNG.uniform(-1, 1, welded.nv)
    moving, all_bodies = floating_robot(), welded
    np.testing.assert_allclose(kinetra.centroidal_momentum(all_bodies, Data(all_bodies), q, v),
                               kinetra.centroidal_momentum(moving, Data(moving), q, v), atol=1e-12)
    com_moving = kinetra.center_of_mass(moving, Data(moving), q)
    com_all = kinetra.center_of_mass(all_bodies, Data(all_bodies), q)
    np.testing.assert_allclose(com_all, (6.0 * com_moving + [50.0, 0, 0]) / 16.0, atol=1e-12)
