"""The binding kit as seen from Python: calls without the GIL, values read repeatedly,
enumerations, the array protocol."""
import gc
import itertools
import subprocess
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import kinetra


def chain_urdf(links):
    joints = "".join(
        f'<joint name="j{i}" type="revolute"><parent link="l{i}"/><child link="l{i + 1}"/>'
        f'<origin xyz="0 0 0.1" rpy="0.1 0 0"/><axis xyz="0 1 0"/>'
        f'<limit lower="-1" upper="1" effort="1" velocity="1"/></joint>'
        for i in range(links - 1))
    bodies = "".join(
        f'<link name="l{i}"><inertial><mass value="1"/>'
        f'<inertia ixx="1" iyy="1" izz="1" ixy="0" ixz="0" iyz="0"/></inertial></link>'
        for i in range(links))
    return f'<robot name="chain">{bodies}{joints}</robot>'


def test_threads_load_robots_concurrently_with_the_same_result(tmp_path):
    path = tmp_path / "chain.urdf"
    path.write_text(chain_urdf(300))
    expected = kinetra.build_models_from_urdf(str(path))[0]
    with ThreadPoolExecutor(4) as pool:
        models = list(pool.map(lambda _: kinetra.build_models_from_urdf(str(path))[0], range(12)))
    for model in models:
        assert model.joint_names == expected.joint_names
        for a, b in zip(model.joint_placements, expected.joint_placements):
            np.testing.assert_array_equal(a.homogeneous, b.homogeneous)


def test_other_threads_run_while_a_robot_loads(tmp_path):
    path = tmp_path / "chain.urdf"
    path.write_text(chain_urdf(10_000))
    # with the GIL held through the load, the other thread could run only near its start or end
    stop, ticks, interval = threading.Event(), [], sys.getswitchinterval()

    def tick():
        while not stop.is_set():
            ticks.append(time.perf_counter())

    sys.setswitchinterval(0.001)
    ticker = threading.Thread(target=tick)
    ticker.start()
    try:
        for _ in range(5):  # a loaded machine may not schedule the other thread every time
            ticks.clear()
            start = time.perf_counter()
            kinetra.build_models_from_urdf(str(path))
            end = time.perf_counter()
            third = (end - start) / 3
            if any(start + third < t < end - third for t in ticks):
                break
        else:
            pytest.fail("no other thread ran while the robot loaded")
    finally:
        stop.set()
        ticker.join()
        sys.setswitchinterval(interval)


def test_list_properties_read_twice_are_equal():
    model = kinetra.Model()
    for i in range(3):
        model.add_joint(i, kinetra.JointModelRX(), kinetra.SE3.Identity(), f"j{i}")
    data = model.create_data()
    assert model.joint_names == model.joint_names == ["__WORLD__", "j0", "j1", "j2"]
    assert [f.name for f in model.frames] == [f.name for f in model.frames]
    assert [repr(p) for p in data.oMi] == [repr(p) for p in data.oMi]


ENUMERATIONS = [
    (kinetra.FrameType, ["Operational", "Joint", "Fixed", "Body", "Sensor"]),
    (kinetra.JointType, ["Continuous", "Fixed", "Prismatic", "Revolute"]),
    (kinetra.vortan.ShapeType, ["Capsule", "Cone", "Cuboid", "Cylinder", "Sphere", "Mesh"]),
]


@pytest.mark.parametrize("enum, names", ENUMERATIONS, ids=lambda e: getattr(e, "__name__", ""))
def test_enumeration_values_are_equal_and_hash_alike_by_kind(enum, names):
    for code, name in enumerate(names):
        kind = getattr(enum, name)
        assert kind == getattr(enum, name) and not kind != getattr(enum, name)
        assert hash(kind) == hash(getattr(enum, name))
        assert (kind.name, int(kind), repr(kind)) == (name, code, f"{enum.__name__}.{name}")
    kinds = [getattr(enum, name) for name in names]
    assert len(set(kinds)) == len(names)
    assert all(a != b and not a == b for a, b in itertools.combinations(kinds, 2))
    assert kinds[0] != 0 and kinds[0] != names[0] and kinds[0] != object()


def test_enumeration_values_read_from_objects_compare_to_the_class_attributes():
    frame = kinetra.Frame("f", 0, 0, kinetra.SE3.Identity(), kinetra.FrameType.Body,
                          kinetra.Inertia.zeros())
    assert frame.frame_type == kinetra.FrameType.Body != kinetra.FrameType.Joint
    assert kinetra.JointModelRX().joint_type == kinetra.JointType.Revolute
    assert kinetra.FrameType.Fixed != kinetra.JointType.Fixed  # same code, other enumeration


def arm_model():
    model = kinetra.Model()
    for i in range(3):
        model.add_joint(i, kinetra.JointModelRZ(), kinetra.SE3.Random(), f"j{i}")
    return model


@pytest.mark.parametrize("make", [
    lambda m: kinetra.random_configuration(m),
    lambda m: kinetra.rnea(m, m.create_data(), *np.random.default_rng(0).random((3, m.nv))),
], ids=["random_configuration", "rnea"])
def test_configuration_is_viewed_by_numpy_without_a_copy(make):
    values = make(arm_model())
    array = np.asarray(values)
    assert (array.dtype, array.shape, array.flags.writeable) == (np.float64, (3,), False)
    np.testing.assert_array_equal(array, values.to_numpy())
    assert np.shares_memory(array, np.asarray(values))
    expected = values.to_numpy()
    del values
    gc.collect()
    np.testing.assert_array_equal(array, expected)  # the view keeps the values alive
    np.testing.assert_array_equal(np.asarray(make(arm_model()), dtype=np.float32).dtype, np.float32)


def test_empty_configuration_is_an_empty_array():
    assert np.asarray(kinetra.neutral(kinetra.Model())).shape == (0,)


class Interrupting:
    def __fspath__(self):
        raise KeyboardInterrupt


class Failing:
    def __fspath__(self):
        raise OSError("no path today")


@pytest.mark.parametrize("path, error", [(Interrupting(), KeyboardInterrupt), (Failing(), OSError)])
def test_exceptions_of_fspath_propagate(path, error):
    with pytest.raises(error):
        kinetra.build_models_from_urdf(path)


@pytest.mark.parametrize("call, message", [
    (lambda: kinetra._from_bytes(b"KNTR\x01\0\0\0\x07\0\0\0\0\0\0\0Model\0x"),
     r"corrupt kinetra payload: unknown kind 'Model\x00x'"),
    (lambda: kinetra.batch.rollout(kinetra.Model(), np.zeros((1, 0)), np.zeros((1, 0)),
                                   np.zeros((1, 1, 0)), 0.1, "rk4\0x"),
     r"integrator must be 'rk4' or 'semi_implicit_euler', got 'rk4\x00x'"),
])
def test_messages_show_nul_escaped(call, message):
    with pytest.raises(ValueError) as error:
        call()
    assert str(error.value) == message


def test_memory_error_names_what_could_not_be_allocated():
    """In a child whose address space is capped, so that the allocation fails at once."""
    code = """if True:
        import resource
        import kinetra
        model = kinetra.Model()
        for joint in range(60000):
            model.add_joint(joint, kinetra.JointModelRY(), kinetra.SE3.Identity(), f"j{joint}")
        data, q = model.create_data(), kinetra.neutral(model)
        resource.setrlimit(resource.RLIMIT_AS, (4 << 30, 4 << 30))
        try:
            kinetra.crba(model, data, q)
        except MemoryError as error:
            print(error)
    """
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=300)
    assert out.stdout == "not enough memory for the mass matrix of 60000 x 60000 (28.8 GB)\n"
