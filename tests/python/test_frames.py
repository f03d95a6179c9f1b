"""Frame placements, frame Jacobians and the centre of mass on real robots."""
import sys
from pathlib import Path

import numpy as np
import pytest

import kinetra
from kinetra import Data, Model

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "validation"))
import compare_mujoco  # noqa: E402

ARM = Path(__file__).resolve().parents[2] / "examples" / "robots" / "kinetra_arm"
ROBOTS = ["kinetra_arm", "fetch_mobile_manipulator", "humanoid_g1", "iiwa_relative_meshes",
          "panda_arm_hand", "quadruped_a1", "r2d2_flexible"]
KINDS = ["geometric", "body", "spatial"]
STEP = 1e-5


def load(name):
    folder = ARM if name == "kinetra_arm" else compare_mujoco.DEFAULT_ROBOTS / name
    if not folder.is_dir():
        pytest.skip(f"{folder} is absent")
    (urdf,) = folder.glob("*.urdf")
    return compare_mujoco.load_kinetra(urdf, folder)


def integrate(model, q, dv):
    """q moved by dv along every joint's axis; continuous joints turn their (cos, sin) pair."""
    q, iq, iv = q.copy(), 0, 0
    for joint in model.joint_models[1:]:
        if joint.nq == 2:
            angle = np.arctan2(q[iq + 1], q[iq]) + dv[iv]
            q[iq:iq + 2] = np.cos(angle), np.sin(angle)
        elif joint.nv == 1:
            q[iq] += dv[iv]
        iq, iv = iq + joint.nq, iv + joint.nv
    return q


def random_q(model, rng):
    """The neutral configuration moved by up to pi along every axis (away from huge limits)."""
    return integrate(model, kinetra.neutral(model).to_numpy(), rng.uniform(-np.pi, np.pi, model.nv))


def central(f):
    return (f(STEP) - f(-STEP)) / (2 * STEP)


def assert_close(actual, expected, tolerance):
    scale = max(1.0, np.max(np.abs(expected)))
    assert np.max(np.abs(actual - expected)) <= tolerance * scale, (actual, expected)


@pytest.mark.parametrize("name", ROBOTS)
def test_motion_of_every_frame_agrees_with_finite_differences(name):
    model = load(name)
    data = model.create_data()
    rng = np.random.default_rng(11)
    q = random_q(model, rng)
    v, a = rng.uniform(-1, 1, model.nv), rng.uniform(-1, 1, model.nv)

    def q_at(t):
        return integrate(model, q, v * t + a * t * t / 2)

    def placements_at(t):
        kinetra.forward_kinematics(model, data, q_at(t))
        return kinetra.frame_placements(model, data)

    now, rate = placements_at(0), central(placements_at)
    # world angular velocity from dR/dt R^T, origin velocity from dt/dt
    spin = rate[:, :3, :3] @ now[:, :3, :3].transpose(0, 2, 1)
    angular = np.stack([spin[:, 2, 1], spin[:, 0, 2], spin[:, 1, 0]], axis=1)
    for f in range(model.nframes):
        twist = kinetra.frame_velocity(model, data, q, v, f)
        assert_close(twist, np.concatenate([angular[f], rate[f, :3, 3]]), 1e-7)
        for kind in KINDS:
            jacobian = kinetra.frame_jacobian(model, data, q, f, kind)
            variation = kinetra.frame_jacobian_time_variation(model, data, q, v, f, kind)
            acceleration = kinetra.frame_acceleration(model, data, q, v, a, f, kind=kind)
            assert_close(kinetra.frame_velocity(model, data, q, v, f, kind), jacobian @ v, 1e-12)
            assert_close(acceleration, jacobian @ a + variation @ v, 1e-12)
            assert_close(variation, central(lambda t: kinetra.frame_jacobian(
                model, data, integrate(model, q, v * t), f, kind)), 1e-7)
            assert_close(acceleration, central(lambda t: kinetra.frame_velocity(
                model, data, q_at(t), v + a * t, f, kind)), 1e-7)


@pytest.mark.parametrize("name", ROBOTS)
def test_center_of_mass_jacobian_agrees_with_finite_differences(name):
    model = load(name)
    data = model.create_data()
    rng = np.random.default_rng(5)
    q, v = random_q(model, rng), rng.uniform(-1, 1, model.nv)
    if kinetra.total_mass(model) == 0:
        with pytest.raises(ValueError, match="^the model has no mass$"):
            kinetra.center_of_mass(model, data, q)
        return
    rate = central(lambda t: kinetra.center_of_mass(model, data, integrate(model, q, v * t)))
    assert_close(kinetra.center_of_mass_jacobian(model, data, q) @ v, rate, 1e-7)


def test_end_effector_by_frame_name():
    model = load("kinetra_arm")
    data = model.create_data()
    tip = model.get_frame_id("tool_tip_link")
    assert tip == model.get_frame_id("tool_tip_link", kinetra.FrameType.Body)
    assert model.get_frame_id("tool_tip_link", frame_type=kinetra.FrameType.Joint) is None
    assert model.get_frame_id("nowhere") is None
    q = kinetra.random_configuration(model).to_numpy()
    jacobian = kinetra.frame_jacobian(model, data, q, tip)
    assert jacobian.shape == (6, model.nv) and jacobian.flags.c_contiguous
    # the Jacobian ran forward kinematics on q: placements are those of q
    pose = kinetra.frame_placement(model, data, frame_id=tip)
    matrix = kinetra.frame_placements(model, data)[tip]
    np.testing.assert_array_equal(matrix[:3, :3], pose.rotation)
    np.testing.assert_array_equal(matrix[:3, 3], pose.translation)
    np.testing.assert_array_equal(matrix[3], [0, 0, 0, 1])


# each function taking a frame id, with its error prefix and vector parameters
FRAME_FUNCTIONS = [
    ("frame_jacobian", "Error in frame Jacobian: ", "q"),
    ("frame_velocity", "Error in frame velocity: ", "qv"),
    ("frame_acceleration", "Error in frame acceleration: ", "qva"),
    ("frame_jacobian_time_variation", "Error in frame Jacobian time variation: ", "qv"),
]


def two_joint_model():
    model = Model()
    for parent in range(2):
        model.add_joint(parent, kinetra.JointModelRX(), kinetra.SE3.Identity(), f"j{parent}")
    return model


@pytest.mark.parametrize("name, prefix, parameters", FRAME_FUNCTIONS)
def test_refusals_leave_the_data(name, prefix, parameters):
    function = getattr(kinetra, name)
    model = two_joint_model()
    data = Data(model)
    kinetra.forward_kinematics(model, data, np.array([0.3, 0.4]))
    before = data.joint_placements[2].rotation
    good = [np.ones(2)] * len(parameters)
    for position, wrong in enumerate(parameters):
        vectors = list(good)
        vectors[position] = np.ones(3)
        with pytest.raises(ValueError) as error:
            function(model, data, *vectors, 0)
        assert str(error.value) == (
            f"{prefix}Parameter '{wrong}' expected configuration size 2, but got 3")
    with pytest.raises(IndexError) as error:
        function(model, data, *good, 1)
    assert str(error.value) == "frame id 1 is out of range for a model with 1 frames"
    with pytest.raises(ValueError) as error:
        function(model, data, *good, 0, "world")
    assert str(error.value) == "kind must be 'geometric', 'body' or 'spatial', got 'world'"
    with pytest.raises(ValueError) as error:
        function(model, Data(Model()), *good, 0)
    assert str(error.value) == prefix + "Data does not match the model: expected 3 joint data, got 1"
    np.testing.assert_array_equal(data.joint_placements[2].rotation, before)


def test_frame_ids_and_masses_are_checked():
    model = two_joint_model()
    data = Data(model)
    for frame_id in [12, -1]:
        with pytest.raises(IndexError) as error:
            kinetra.frame_placement(model, data, frame_id)
        assert str(error.value) == f"frame id {frame_id} is out of range for a model with 1 frames"
    for function in [kinetra.center_of_mass, kinetra.center_of_mass_jacobian]:
        with pytest.raises(ValueError) as error:
            function(model, data, np.zeros(2))
        assert str(error.value) == "the model has no mass"
    assert kinetra.total_mass(model) == 0.0


@pytest.mark.parametrize("as_keyword", [False, True])
def test_placements_with_q_run_forward_kinematics_first(as_keyword):
    model = load("kinetra_arm")
    q = kinetra.random_configuration(model, seed=5)
    reference = model.create_data()
    kinetra.forward_kinematics(model, reference, q.to_numpy())
    expected = kinetra.frame_placements(model, reference)
    tip = model.get_frame_id("tool_tip_link")
    given = {"q": q} if as_keyword else {}
    args = () if as_keyword else (q,)
    data = model.create_data()
    pose = kinetra.frame_placement(model, data, tip, *args, **given)
    np.testing.assert_array_equal(pose.translation, expected[tip][:3, 3])
    np.testing.assert_array_equal(kinetra.frame_placements(model, model.create_data(), *args,
                                                           **given), expected)
    # without q: the placements of the last forward kinematics on this data
    np.testing.assert_array_equal(kinetra.frame_placements(model, data), expected)


@pytest.mark.parametrize("call, prefix", [
    (lambda m, d, q: kinetra.frame_placement(m, d, 0, q), "Error in frame placement: "),
    (lambda m, d, q: kinetra.frame_placements(m, d, q), "Error in frame placements: "),
])
def test_placements_refuse_a_wrong_q_and_keep_the_data(call, prefix):
    model = two_joint_model()
    data = Data(model)
    kinetra.forward_kinematics(model, data, np.array([0.3, 0.4]))
    before = kinetra.frame_placements(model, data)
    with pytest.raises(ValueError) as error:
        call(model, data, np.ones(3))
    assert str(error.value) == f"{prefix}Parameter 'q' expected configuration size 2, but got 3"
    np.testing.assert_array_equal(kinetra.frame_placements(model, data), before)
