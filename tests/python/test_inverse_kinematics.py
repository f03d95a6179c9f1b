"""Inverse kinematics on the bundled arm, real robots and hand-built models with multi-axis
joints."""
from pathlib import Path

import numpy as np
import pytest

import kinetra
from kinetra import SE3

REPO = Path(__file__).resolve().parents[2]
ROBOTS = {
    "kinetra_arm": (REPO / "examples" / "robots" / "kinetra_arm", "kinetra_arm.urdf", "tool_tip_link"),
    "panda": (REPO.parent / "shared" / "robots" / "panda_arm_hand", "panda.urdf", "panda_hand"),
    "iiwa": (REPO.parent / "shared" / "robots" / "iiwa_relative_meshes", "model.urdf", None),
}


def load(name):
    folder, urdf, frame = ROBOTS[name]
    if not folder.is_dir():
        pytest.skip(f"{folder} is absent")
    model, _, _ = kinetra.build_models_from_urdf(str(folder / urdf), package_dir=str(folder),
                                                 check_meshes=False)
    # the last frame, the tool end, unless named
    frame_id = model.nframes - 1 if frame is None else model.get_frame_id(frame)
    return model, frame_id


def fk_targets(model, frame_id, count, seed):
    data = model.create_data()
    targets = []
    for k in range(count):
        kinetra.forward_kinematics(model, data, kinetra.random_configuration(model, seed=seed + k))
        targets.append(kinetra.frame_placement(model, data, frame_id).homogeneous)
    return np.array(targets)


def within_limits(model, q):
    return np.all(q >= model.lower_position_limits - 1e-12) and np.all(
        q <= model.upper_position_limits + 1e-12)


@pytest.mark.parametrize("name", ROBOTS)
def test_targets_of_random_configurations_are_reached_within_the_limits(name):
    model, frame_id = load(name)
    targets = fk_targets(model, frame_id, 100, seed=1000)
    q, success, error, iterations = kinetra.batch.inverse_kinematics(
        model, frame_id, targets, restarts=5, seed=7, threads=2)
    assert success.mean() >= 0.99
    assert np.all(np.linalg.norm(error[success], axis=1) <= 1e-6)
    assert all(within_limits(model, row) for row in q)
    data = model.create_data()
    for row, target in zip(q[success][:10], targets[success][:10]):
        kinetra.forward_kinematics(model, data, row)
        np.testing.assert_allclose(kinetra.frame_placement(model, data, frame_id).homogeneous,
                                   target, atol=1e-6)
    # a row is the single call with seed + row
    single = kinetra.inverse_kinematics(model, frame_id, targets[3], restarts=5, seed=10)
    np.testing.assert_array_equal(single.q, q[3])
    assert (single.success, single.iterations) == (success[3], iterations[3])


def test_unreachable_target_fails_with_the_nearest_error_inside_the_limits():
    model, frame_id = load("kinetra_arm")
    far = np.array([50.0, 0.0, 0.0])
    result = kinetra.inverse_kinematics(model, frame_id, far, position_only=True, restarts=2,
                                        seed=0)
    assert not result.success and result.error.shape == (3,)
    assert within_limits(model, result.q)
    data = model.create_data()
    kinetra.forward_kinematics(model, data, result.q)
    reached = kinetra.frame_placement(model, data, frame_id).translation
    np.testing.assert_allclose(result.error, far - reached)
    # the arm points straight at the target: no reachable point is nearer
    for seed in range(20):
        kinetra.forward_kinematics(model, data, kinetra.random_configuration(model, seed=seed))
        other = kinetra.frame_placement(model, data, frame_id).translation
        assert np.linalg.norm(far - other) >= np.linalg.norm(result.error) - 1e-9


def test_huge_target_fails_without_leaving_the_limits():
    model, frame_id = load("kinetra_arm")
    result = kinetra.inverse_kinematics(model, frame_id, [1e300, 0.0, 0.0], position_only=True)
    assert not result.success and np.all(np.isfinite(result.q)) and within_limits(model, result.q)


@pytest.mark.parametrize("target_form", ["se3", "array", "position"])
def test_target_forms_agree(target_form):
    model, frame_id = load("kinetra_arm")
    target = SE3(np.eye(3), np.array(fk_targets(model, frame_id, 1, seed=3)[0][:3, 3]))
    given = {"se3": target, "array": target.homogeneous, "position": target.translation}
    result = kinetra.inverse_kinematics(model, frame_id, given[target_form], position_only=True,
                                        seed=1, restarts=3)
    assert result.success and result.error.shape == (3,)


def multi_axis_model():
    """A floating base carrying a ball joint, then a continuous joint, then a tip frame."""
    model = kinetra.Model()
    base = model.add_joint(0, kinetra.JointModelFloating(), SE3.Identity(), "base")
    ball = model.add_joint(base, kinetra.JointModelSpherical(), SE3(np.eye(3), [0, 0, 0.5]),
                           "ball")
    wheel = model.add_joint(ball, kinetra.JointModelRY(), SE3(np.eye(3), [0.3, 0, 0]), "elbow")
    frame = kinetra.Frame("tip", wheel, 0, SE3(np.eye(3), [0.2, 0, 0]),
                          kinetra.FrameType.Operational, kinetra.Inertia.zeros())
    return model, model.add_frame(frame, False)


@pytest.mark.parametrize("seed", range(5))
def test_floating_and_ball_joints_move_through_their_own_integrate(seed):
    model, frame_id = multi_axis_model()
    target = SE3.Random()
    result = kinetra.inverse_kinematics(model, frame_id, target, seed=seed)
    assert result.success
    data = model.create_data()
    kinetra.forward_kinematics(model, data, result.q)
    np.testing.assert_allclose(kinetra.frame_placement(model, data, frame_id).homogeneous,
                               target.homogeneous, atol=1e-6)
    for quaternion in (result.q[3:7], result.q[7:11]):
        assert abs(np.linalg.norm(quaternion) - 1) < 1e-12


def test_limits_hold_when_the_target_needs_a_joint_beyond_them():
    model, frame_id = load("kinetra_arm")
    upper = model.upper_position_limits
    q = (model.lower_position_limits + upper) / 2
    q[1] = upper[1] + 0.3  # out of range: its target is not reachable exactly
    data = model.create_data()
    kinetra.forward_kinematics(model, data, q)
    target = kinetra.frame_placement(model, data, frame_id)
    result = kinetra.inverse_kinematics(model, frame_id, target, q0=q)
    assert within_limits(model, result.q)


BAD = [
    (dict(target=np.full((4, 4), np.nan)), ValueError, "target must be finite"),
    (dict(target=np.eye(3)), ValueError, r"target must have shape \(4, 4\), got \(3, 3\)"),
    (dict(target=[1.0, np.inf, 0.0], position_only=True), ValueError, "target must be finite"),
    (dict(q0=np.zeros(2)), ValueError, "q0"),
    (dict(q0=[0.0, np.nan, 0.0, 0.0, 0.0, 0.0]), ValueError, "q0 must be finite"),
    (dict(tolerance=0.0), ValueError, "tolerance must be a positive finite number"),
    (dict(damping=-1.0), ValueError, "damping must be a non-negative finite number"),
    (dict(frame_id=10_000), IndexError, "frame id 10000 is out of range"),
    (dict(seed=-1), ValueError, "seed must be in"),
]


@pytest.mark.parametrize("arguments, error, message", BAD)
def test_bad_input_is_refused(arguments, error, message):
    model, frame_id = load("kinetra_arm")
    call = dict(frame_id=frame_id, target=SE3.Identity()) | arguments
    with pytest.raises(error, match=message):
        kinetra.inverse_kinematics(model, **call)


@pytest.mark.parametrize("arguments, message", [
    (dict(targets=np.zeros((2, 3))), r"targets must have shape \(N, 4, 4\), got \(2, 3\)"),
    (dict(targets=np.stack([np.eye(4), np.full((4, 4), np.nan)])), r"targets\[1\] must be finite"),
    (dict(q0=np.zeros((3, 6))), r"q0 must have shape \(6,\) or \(2, 6\), got \(3, 6\)"),
    (dict(threads=0), "threads must be at least 1"),
])
def test_batch_refuses_bad_input_before_solving(arguments, message):
    model, frame_id = load("kinetra_arm")
    call = dict(frame_id=frame_id, targets=np.stack([np.eye(4)] * 2)) | arguments
    with pytest.raises(ValueError, match=message):
        kinetra.batch.inverse_kinematics(model, **call)


def test_options_are_keyword_only():
    model, frame_id = load("kinetra_arm")
    with pytest.raises(TypeError, match="takes from 3 to 4 positional arguments but 5"):
        kinetra.inverse_kinematics(model, frame_id, SE3.Identity(), None, True)
