"""Rotations and rigid motions: exponential maps, their Jacobians and the rotation forms."""
import numpy as np
import pytest

import kinetra
from kinetra import SE3

AXIS = np.array([0.3, -0.5, 0.8]) / np.linalg.norm([0.3, -0.5, 0.8])
# 0 and pi and their neighbourhoods, where the closed forms are 0 / 0
ANGLES = [0.0, 1e-300, 1e-12, 1e-6, 0.5, 2.0, np.pi - 1e-6, np.pi - 1e-9, np.pi]
STEP = 1e-6


def expm_series(x):
    out, term = np.eye(len(x)), np.eye(len(x))
    for k in range(1, 60):
        term = term @ x / k
        out = out + term
    return out


def hat6(twist):
    """The 4x4 matrix of a twist (angular; linear)."""
    w = twist[:3]
    x = np.zeros((4, 4))
    x[:3, :3] = [[0, -w[2], w[1]], [w[2], 0, -w[0]], [-w[1], w[0], 0]]
    x[:3, 3] = twist[3:]
    return x


def twist_at(angle):
    return np.concatenate([angle * AXIS, [0.4, -1.1, 0.7]])


@pytest.mark.parametrize("angle", ANGLES)
@pytest.mark.parametrize("axis", range(3))
def test_exp3_about_an_axis_is_the_elementary_rotation(angle, axis):
    rpy = np.zeros(3)
    rpy[axis] = angle
    np.testing.assert_allclose(kinetra.exp3(angle * np.eye(3)[axis]), kinetra.rpy_to_matrix(*rpy),
                               atol=1e-15)


@pytest.mark.parametrize("angle", ANGLES)
def test_exponentials_match_their_series_and_logs_invert_them(angle):
    w, twist = angle * AXIS, twist_at(angle)
    R = kinetra.exp3(w)
    np.testing.assert_allclose(R, expm_series(hat6(np.r_[w, 0, 0, 0])[:3, :3]), atol=1e-14)
    np.testing.assert_allclose(kinetra.exp6(twist).homogeneous, expm_series(hat6(twist)),
                               atol=1e-13)
    log = kinetra.log3(R)
    assert np.linalg.norm(log) <= np.pi
    np.testing.assert_allclose(kinetra.exp3(log), R, atol=1e-15)
    M = kinetra.exp6(twist)
    np.testing.assert_allclose(kinetra.exp6(kinetra.log6(M)).homogeneous, M.homogeneous,
                               atol=1e-13)
    if angle < 3:
        np.testing.assert_allclose(log, w, atol=1e-15)
        np.testing.assert_allclose(kinetra.log6(M.homogeneous), twist, atol=1e-13)


# not within a step of pi, where the log jumps from w to -w
@pytest.mark.parametrize("angle", [angle for angle in ANGLES if angle < 3] + [np.pi - 1e-3])
def test_jacobians_match_finite_differences(angle):
    w, twist = angle * AXIS, twist_at(angle)
    R, M = kinetra.exp3(w), kinetra.exp6(twist)

    def central(f, n):
        return np.column_stack([(f(STEP * e) - f(-STEP * e)) / (2 * STEP) for e in np.eye(n)])

    expected = {
        "jexp3": central(lambda d: kinetra.log3(R.T @ kinetra.exp3(w + d)), 3),
        "jlog3": central(lambda d: kinetra.log3(R @ kinetra.exp3(d)), 3),
        "jexp6": central(lambda d: kinetra.log6(M.inverse() * kinetra.exp6(twist + d)), 6),
        "jlog6": central(lambda d: kinetra.log6(M * kinetra.exp6(d)), 6),
    }
    actual = {"jexp3": kinetra.jexp3(w), "jlog3": kinetra.jlog3(R), "jexp6": kinetra.jexp6(twist),
              "jlog6": kinetra.jlog6(M)}
    for name, jacobian in actual.items():
        np.testing.assert_allclose(jacobian, expected[name], atol=2e-8, err_msg=name)


@pytest.mark.parametrize("angle", [0.0, 1e-9, np.pi - 1e-9, np.pi])
def test_log_jacobians_invert_exp_jacobians(angle):
    R, M = kinetra.exp3(angle * AXIS), kinetra.exp6(twist_at(angle))
    np.testing.assert_allclose(kinetra.jlog3(R) @ kinetra.jexp3(kinetra.log3(R)), np.eye(3),
                               atol=1e-12)
    np.testing.assert_allclose(kinetra.jlog6(M) @ kinetra.jexp6(kinetra.log6(M)), np.eye(6),
                               atol=1e-11)


@pytest.mark.parametrize("rpy", [(0.1, -0.2, 0.3), (-3.0, 1.5, 2.9), (0.4, np.pi / 2, -1.0),
                                 (0.4, -np.pi / 2, 1.0), (1.0, np.pi / 2 - 1e-9, 0.5)])
def test_rpy_and_quaternion_round_trips(rpy):
    R = kinetra.rpy_to_matrix(*rpy)
    np.testing.assert_allclose(kinetra.rpy_to_matrix(*kinetra.matrix_to_rpy(R)), R, atol=1e-15)
    if abs(rpy[1]) < np.pi / 2 - 1e-3:
        np.testing.assert_allclose(kinetra.matrix_to_rpy(R), rpy, atol=1e-14)
    q = kinetra.matrix_to_quaternion(R)
    assert q[3] >= 0 and abs(np.linalg.norm(q) - 1) < 1e-15
    np.testing.assert_allclose(kinetra.quaternion_to_matrix(q), R, atol=1e-15)
    np.testing.assert_allclose(kinetra.quaternion_to_matrix(-3 * q), R, atol=1e-15)


def test_quaternion_layout_is_scalar_last_like_joint_configurations():
    half = 0.35
    q = [0.0, 0.0, np.sin(half), np.cos(half)]
    np.testing.assert_allclose(kinetra.quaternion_to_matrix(q), kinetra.exp3([0, 0, 2 * half]),
                               atol=1e-15)
    model = kinetra.Model()
    model.add_joint(0, kinetra.JointModelSpherical(), SE3.Identity(), "ball")
    data = model.create_data()
    kinetra.forward_kinematics(model, data, q)
    np.testing.assert_allclose(data.oMi[1].rotation, kinetra.quaternion_to_matrix(q), atol=1e-15)


def test_interpolate_runs_at_constant_twist_between_the_placements():
    M0, M1 = SE3.Random(), SE3.Random()
    for t, expected in [(0.0, M0), (1.0, M1)]:
        np.testing.assert_allclose(SE3.interpolate(M0, M1, t).homogeneous, expected.homogeneous,
                                   atol=1e-14)
    step = M0.inverse() * SE3.interpolate(M0, M1, 0.25)
    np.testing.assert_allclose((M0 * step * step * step * step).homogeneous, M1.homogeneous,
                               atol=1e-13)


REFLECTION = np.diag([1.0, 1.0, -1.0])
BAD_ROW = np.eye(4)
BAD_ROW[3, 0] = 0.5


@pytest.mark.parametrize("call, message", [
    (lambda: kinetra.exp3([1.0, 2.0]), r"w must have shape \(3,\), got \(2,\)"),
    (lambda: kinetra.exp6([0.0, np.nan, 0, 0, 0, 0]), "twist must be finite"),
    (lambda: kinetra.jexp3([np.inf, 0, 0]), "w must be finite"),
    (lambda: kinetra.log3(2 * np.eye(3)), "R is not a rotation matrix"),
    (lambda: kinetra.jlog3(REFLECTION), "R is not a rotation matrix"),
    (lambda: kinetra.matrix_to_rpy(np.eye(4)), r"R must have shape \(3, 3\), got \(4, 4\)"),
    (lambda: kinetra.log6(BAD_ROW), r"M must end with the row \(0, 0, 0, 1\)"),
    (lambda: kinetra.jlog6(np.full((4, 4), np.nan)), "M must be finite"),
    (lambda: kinetra.quaternion_to_matrix([0, 0, 0, 0]), "quaternion must have a non-zero norm"),
    (lambda: kinetra.rpy_to_matrix(0.0, np.nan, 0.0), "roll, pitch and yaw must be finite"),
    (lambda: SE3.interpolate(SE3.Identity(), SE3.Identity(), np.inf), "t must be finite"),
])
def test_bad_input_raises_value_error(call, message):
    with pytest.raises(ValueError, match=message):
        call()
