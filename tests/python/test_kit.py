"""The binding kit as seen from Python: calls without the GIL, values read repeatedly."""
from concurrent.futures import ThreadPoolExecutor

import numpy as np

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


def test_list_properties_read_twice_are_equal():
    model = kinetra.Model()
    for i in range(3):
        model.add_joint(i, kinetra.JointModelRX(), kinetra.SE3.Identity(), f"j{i}")
    data = model.create_data()
    assert model.joint_names == model.joint_names == ["__WORLD__", "j0", "j1", "j2"]
    assert [f.name for f in model.frames] == [f.name for f in model.frames]
    assert [repr(p) for p in data.oMi] == [repr(p) for p in data.oMi]
