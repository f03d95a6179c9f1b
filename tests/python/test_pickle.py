"""Pickling and copies of every value class: round trips keep every bit."""
import copy
import os
import pickle
import struct

import numpy as np
import pytest

import kinetra
from kinetra import batch, vortan

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ARM = os.path.join(ROOT, "examples", "robots", "kinetra_arm")
PANDA = os.path.join(ROOT, "..", "shared", "robots", "panda_arm_hand")


@pytest.fixture(scope="module")
def arm():
    return kinetra.build_models_from_urdf(os.path.join(ARM, "kinetra_arm.urdf"), package_dir=ARM)


VALUES = {
    "Model": lambda arm: arm[0],
    "GeometryModel": lambda arm: arm[1],
    "GeometryObject": lambda arm: arm[2].geometry_objects[3],
    "Frame": lambda arm: arm[0].frames[5],
    "JointModel": lambda arm: arm[0].joint_models[2],
    "SE3": lambda arm: kinetra.SE3.Random(),
    "Inertia": lambda arm: arm[0].inertias[3],
    "Vector3D": lambda arm: kinetra.Vector3D(0.1, -2.0, 1e-300),
    "Vector6D": lambda arm: kinetra.Vector6D(1.0, 2.0, 3.0, -0.0, np.inf, np.pi),
    "Symmetric3": lambda arm: kinetra.Symmetric3(1.0, 2.0, 3.0, 0.1, 0.2, 0.3),
    "Configuration": lambda arm: kinetra.random_configuration(arm[0]),
    "Shape": lambda arm: arm[1].geometry_objects[0].geometry,
    "Sphere": lambda arm: vortan.Sphere(0.3),
    "Cuboid": lambda arm: vortan.Cuboid([0.1, 0.2, 0.3]),
    "Capsule": lambda arm: vortan.Capsule(0.1, 0.7),
    "Cone": lambda arm: vortan.Cone(0.2, 0.5),
    "Cylinder": lambda arm: vortan.Cylinder(0.3, 0.9),
    "PyMesh": lambda arm: vortan.PyMesh("meshes/link.stl"),
}


@pytest.mark.parametrize("copier", ["pickle", "copy", "deepcopy"])
@pytest.mark.parametrize("name", VALUES)
def test_round_trip_keeps_type_and_every_bit(arm, name, copier):
    value = VALUES[name](arm)
    twin = {"pickle": lambda x: pickle.loads(pickle.dumps(x, protocol=pickle.HIGHEST_PROTOCOL)),
            "copy": copy.copy, "deepcopy": copy.deepcopy}[copier](value)
    assert type(twin) is type(value) and twin is not value
    # the binary form holds every stored bit
    assert pickle.dumps(twin) == pickle.dumps(value)


@pytest.mark.parametrize("protocol", range(pickle.HIGHEST_PROTOCOL + 1))
def test_every_pickle_protocol(arm, protocol):
    assert repr(pickle.loads(pickle.dumps(arm[0], protocol=protocol))) == repr(arm[0])


def models():
    yield "arm", os.path.join(ARM, "kinetra_arm.urdf"), ARM
    yield "panda", os.path.join(PANDA, "panda.urdf"), PANDA


@pytest.mark.parametrize("name, path, packages", list(models()))
def test_model_copy_gives_bit_identical_algorithms(name, path, packages):
    if not os.path.exists(path):
        pytest.skip(f"{path} is not available")
    model = kinetra.build_models_from_urdf(path, package_dir=packages)[0]
    twin = pickle.loads(pickle.dumps(model))
    rng = np.random.default_rng(1)
    q = np.array([kinetra.random_configuration(model).to_numpy() for _ in range(20)])
    v, a = rng.uniform(-2, 2, (2, 20, model.nv))
    for function, args in [("rnea", (q, v, a)), ("aba", (q, v, a)), ("crba", (q,)),
                           ("forward_kinematics", (q,)), ("kinetic_energy", (q, v)),
                           ("potential_energy", (q,)), ("nonlinear_effects", (q, v))]:
        f = getattr(batch, function)
        assert np.array_equal(f(model, *args), f(twin, *args), equal_nan=True), function
    assert [f.name for f in twin.frames] == [f.name for f in model.frames]
    assert twin.joint_names == model.joint_names and twin.name == model.name


MULTI_AXIS = """<robot name="multi">
  <link name="base"><inertial><mass value="3"/><inertia ixx="0.1" iyy="0.2" izz="0.3"
    ixy="0" ixz="0" iyz="0"/></inertial></link>
  <link name="slider"><inertial><origin xyz="0.1 0 0"/><mass value="1"/><inertia ixx="0.01"
    iyy="0.02" izz="0.03" ixy="0" ixz="0" iyz="0"/></inertial></link>
  <joint name="root" type="floating"><parent link="world"/><child link="base"/></joint>
  <joint name="plane" type="planar"><parent link="base"/><child link="slider"/>
    <origin xyz="0 0.2 0" rpy="0.1 0.2 0.3"/><axis xyz="0.3 0.4 1"/></joint>
  <link name="world"/>
</robot>"""


def multi_axis_model():
    model = kinetra.build_models_from_urdf_string(MULTI_AXIS)[0]
    ball = model.add_joint(model.njoints - 1, kinetra.JointModelSpherical(),
                           kinetra.SE3.Random(), "ball")
    model.add_frame(kinetra.Frame("ball_body", ball, 0, kinetra.SE3.Random(),
                                  kinetra.FrameType.Body, kinetra.Inertia.FromSphere(0.5, 0.1)),
                    True)
    return model


def test_joints_of_several_axes_travel_bit_for_bit():
    model = multi_axis_model()
    twin = pickle.loads(pickle.dumps(model))
    assert pickle.dumps(twin) == pickle.dumps(model)
    q = np.array([kinetra.random_configuration(model).to_numpy() for _ in range(10)])
    v = np.random.default_rng(3).uniform(-1, 1, (10, model.nv))
    for f, args in [(batch.rnea, (q, v, v)), (batch.aba, (q, v, v)), (batch.crba, (q,)),
                    (batch.integrate, (q, v)), (batch.frame_placements, (q,))]:
        assert np.array_equal(f(model, *args), f(twin, *args))
    assert [type(j) for j in twin.joint_models] == [type(j) for j in model.joint_models]


def test_gravity_and_limits_travel(arm):
    model = copy.deepcopy(arm[0])
    model.gravity = np.array([1.0, 2.0, -3.0])
    model.velocity_limits = np.arange(1.0, model.nv + 1)
    twin = pickle.loads(pickle.dumps(model))
    assert np.array_equal(twin.gravity, model.gravity)
    for limits in ["velocity_limits", "effort_limits", "lower_position_limits",
                   "upper_position_limits"]:
        assert np.array_equal(getattr(twin, limits), getattr(model, limits))
    q = np.zeros((1, model.nq))
    assert np.array_equal(batch.generalized_gravity(twin, q), batch.generalized_gravity(model, q))


def test_copies_are_independent(arm):
    model = arm[0]
    twin = copy.copy(model)
    twin.add_joint(0, kinetra.JointModelRX(), kinetra.SE3.Identity(), "extra")
    assert twin.njoints == model.njoints + 1


def test_data_is_made_from_its_model_not_pickled(arm):
    data = arm[0].create_data()
    kinetra.forward_kinematics(arm[0], data, kinetra.random_configuration(arm[0]).to_numpy())
    with pytest.raises(TypeError, match=r"^cannot pickle 'Data' object: make one from its "
                                        r"model with model\.create_data\(\)$"):
        pickle.dumps(data)
    twin = copy.deepcopy(data)
    assert [p.homogeneous.tolist() for p in twin.joint_placements] == \
        [p.homogeneous.tolist() for p in data.joint_placements]


def payload(value):
    restore, (data,) = value.__reduce__()
    assert restore is kinetra._from_bytes
    return data


def test_refused_payloads_say_why(arm):
    data = payload(arm[0])
    newer = data[:4] + (3).to_bytes(4, "little") + data[8:]
    cases = [
        (newer, "unsupported kinetra payload version 3 (this build reads version 2)"),
        (b"not a model", "not a kinetra payload"),
        (data[:-1], "corrupt kinetra payload: truncated"),
        (data + b"\0", "corrupt kinetra payload: 1 bytes after the Model"),
    ]
    for bad, message in cases:
        with pytest.raises(ValueError) as info:
            kinetra._from_bytes(bad)
        assert str(info.value) == message
    with pytest.raises(TypeError, match="^_from_bytes\\(\\) takes bytes, not str$"):
        kinetra._from_bytes("KNTR")


@pytest.mark.parametrize("name", ["Model", "GeometryModel"])
def test_fuzzed_payloads_never_crash(arm, name):
    """Every truncation and thousands of random bit flips: a ValueError or a usable value."""
    data = payload(VALUES[name](arm))
    for n in range(len(data)):
        with pytest.raises(ValueError):
            kinetra._from_bytes(data[:n])
    rng = np.random.default_rng(7)
    for _ in range(3000):
        edited = bytearray(data)
        for position in rng.integers(0, len(data), rng.integers(1, 4)):
            edited[position] ^= 1 << int(rng.integers(0, 8))
        try:
            value = kinetra._from_bytes(bytes(edited))
        except ValueError:
            continue
        if name == "Model":
            batch.crba(value, np.zeros((1, value.nq)))
        else:
            assert value.ngeoms >= 0


def hand_made():
    """A hinge placed by Rz(0.3), a slider along (0, 0, 0.8125) and a joint named 'jé', with
    distinctive gravity and limits, so that each field's bytes can be found in the payload."""
    model = kinetra.build_models_from_urdf_string("""<robot name="r"><link name="a"/><link name="b"/>
      <joint name="slide" type="prismatic"><parent link="a"/><child link="b"/>
        <axis xyz="0 0 0.8125"/><limit lower="-0.5" upper="0.6875" effort="12.375" velocity="2"/>
      </joint></robot>""")[0]
    rotation = np.array([[np.cos(0.3), -np.sin(0.3), 0], [np.sin(0.3), np.cos(0.3), 0], [0, 0, 1]])
    model.add_joint(1, kinetra.JointModelRY(), kinetra.SE3(rotation, np.zeros(3)), "jé")
    model.gravity = np.array([0.0, 0.0, -9.8125])
    return model


def f64(x):
    return struct.pack("<d", x)


@pytest.mark.parametrize("value, old, new, message", [
    (lambda: kinetra.SE3.Identity(), f64(1.0), f64(3.0), "a rotation that is not orthonormal"),
    (hand_made, f64(np.cos(0.3)), f64(np.nan), "a rotation that is not orthonormal"),
    (hand_made, f64(-9.8125), f64(np.nan), "a gravity that is not finite"),
    (hand_made, f64(12.375), f64(-1.0), "a negative or NaN speed or effort limit"),
    (hand_made, f64(12.375), f64(np.nan), "a negative or NaN speed or effort limit"),
    (hand_made, f64(0.6875), f64(-1.0), "a lower position limit above the upper one, or a NaN one"),
    (hand_made, f64(0.6875), f64(np.nan), "a lower position limit above the upper one, or a NaN one"),
    (hand_made, f64(0.8125), f64(0.0), "a translation axis whose norm is zero, subnormal or not finite"),
    (hand_made, f64(0.8125), f64(np.nan), "a translation axis whose norm is zero, subnormal or not finite"),
    (hand_made, "jé".encode(), b"j\xff\xfe", "a text that is not valid UTF-8"),
])
def test_payloads_constructors_would_refuse_are_refused(value, old, new, message):
    data = payload(value())
    assert old in data and kinetra._from_bytes(data) is not None
    with pytest.raises(ValueError, match=f"^corrupt kinetra payload: {message}$"):
        kinetra._from_bytes(data.replace(old, new))
