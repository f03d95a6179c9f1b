"""Cross-check of the dynamics against MuJoCo (skipped when MuJoCo is not installed)."""

import sys
from pathlib import Path

import pytest

pytest.importorskip("mujoco")

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "validation"))
import compare_mujoco  # noqa: E402

ROBOTS = ["fetch_mobile_manipulator", "humanoid_g1", "iiwa_relative_meshes", "panda_arm_hand",
          "quadruped_a1", "r2d2_flexible"]

# A chain with every joint kind, a rotated and offset inertial, a fixed joint carrying a body
# whose inertia MuJoCo refuses on its own, and a massless link between two moving joints.
CHAIN = """<robot name="chain">
  <link name="base"/>
  <joint name="spin" type="continuous">
    <parent link="base"/><child link="l1"/>
    <origin xyz="0.1 0 0.2" rpy="0.3 -0.2 0.1"/><axis xyz="0 0 1"/>
  </joint>
  <link name="l1">
    <inertial><origin xyz="0.05 0.01 0.1" rpy="0.4 0.5 -0.6"/><mass value="2"/>
      <inertia ixx="0.02" ixy="0.001" ixz="-0.002" iyy="0.03" iyz="0.0005" izz="0.025"/>
    </inertial>
  </link>
  <joint name="lift" type="prismatic">
    <parent link="l1"/><child link="l2"/>
    <origin xyz="0 0.1 0.3"/><axis xyz="0 1 0"/>
    <limit lower="-1" upper="1" effort="10" velocity="1"/>
  </joint>
  <link name="l2"/>
  <joint name="elbow" type="revolute">
    <parent link="l2"/><child link="l3"/>
    <origin xyz="0.2 0 0" rpy="0 1.2 0"/><axis xyz="1 0 0"/>
    <limit lower="-2" upper="2" effort="10" velocity="1"/>
    <dynamics damping="3"/>
  </joint>
  <link name="l3">
    <inertial><origin xyz="0.1 0 0"/><mass value="1"/>
      <inertia ixx="0.001" ixy="0" ixz="0" iyy="0.01" iyz="0" izz="0.01"/>
    </inertial>
  </link>
  <joint name="weld" type="fixed">
    <parent link="l3"/><child link="tool"/><origin xyz="0.3 0 0" rpy="0 0 0.7"/>
  </joint>
  <link name="tool">
    <inertial><origin xyz="0 0.02 0"/><mass value="0.2"/>
      <inertia ixx="0.004" ixy="0" ixz="0" iyy="0" iyz="0" izz="0"/>
    </inertial>
  </link>
</robot>
"""


def write_robot(folder, text):
    folder.mkdir()
    path = folder / "robot.urdf"
    path.write_text(text)
    return compare_mujoco.Robot(folder.name, folder, path)


@pytest.mark.parametrize("name, floating", [(name, False) for name in ROBOTS]
                         + [(name, True) for name in compare_mujoco.FLOATING])
def test_shared_robot_agrees(name, floating):
    folder = compare_mujoco.DEFAULT_ROBOTS / name
    if not folder.is_dir():
        pytest.skip(f"{folder} is absent")
    (robot,) = [r for r in compare_mujoco.find_robots(folder.parent) if r.name == name]
    result = compare_mujoco.compare(robot, states=5, seed=3, floating=floating)
    assert result.status == "compared"
    assert result.agrees, compare_mujoco.table([result])


def test_chain_with_every_joint_kind_agrees(tmp_path):
    result = compare_mujoco.compare(write_robot(tmp_path / "chain", CHAIN), states=5, seed=3)
    assert (result.nq, result.nv) == (4, 3)
    assert "tool" in result.note and "l2" in result.note
    assert result.agrees, compare_mujoco.table([result])


def test_unknown_joint_type_is_reported_unsupported(tmp_path):
    text = CHAIN.replace('type="continuous"', 'type="ball"')
    result = compare_mujoco.compare(write_robot(tmp_path / "ball", text), states=1, seed=3)
    assert result.status == "unsupported"
    assert "ball" in result.note
