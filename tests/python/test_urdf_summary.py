import os
import subprocess
import sys

import pytest

import kinetra

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "src"))

from kinetra_tools.urdf_summary import main  # noqa: E402

ARM = os.path.join(ROOT, "examples", "robots", "kinetra_arm")
ROBOTS = os.path.join(ROOT, "..", "shared", "robots")
SHARED = ["r2d2_flexible/06-flexible.urdf", "panda_arm_hand/panda.urdf", "quadruped_a1/a1.urdf",
          "fetch_mobile_manipulator/fetch.urdf", "iiwa_relative_meshes/model.urdf",
          "humanoid_g1/g1_29dof.urdf"]


def test_summary_of_the_bundled_arm(capsys):
    assert main([os.path.join(ARM, "kinetra_arm.urdf")]) == 0
    out = capsys.readouterr().out
    assert out.startswith("robot 'kinetra_arm': 6 joints, nq 6, nv 6, 18 frames")
    assert "    shoulder_lift (Revolute, axis 0 1 0) range [-2.0, 2.0] effort 150.0 velocity 2.0" in out
    assert "total mass: 17.9000 kg" in out
    assert "  wrist_roll               +0.0000 +0.0000 +1.0200" in out
    assert out.count("gravity torques") == 1


def test_a_reader_that_stops_early_gets_no_traceback():
    env = dict(os.environ, PYTHONPATH=os.path.join(ROOT, "src"))
    child = subprocess.Popen([sys.executable, "-m", "kinetra_tools.urdf_summary",
                              os.path.join(ARM, "kinetra_arm.urdf")],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
    child.stdout.close()  # as `| head` does before the summary is written
    assert child.wait(timeout=60) == 0
    assert child.stderr.read() == b""


def test_errors_are_reported_not_raised(tmp_path, capsys):
    path = tmp_path / "bad.urdf"
    path.write_text("<robot name='r'><link name='a'/><joint name='j' type='ball'>"
                    "<parent link='a'/><child link='a2'/></joint><link name='a2'/></robot>")
    assert main([str(path)]) == 1
    assert capsys.readouterr().err == "error: unknown joint type (ball).\n"


def test_axes_and_limits_come_from_the_model_and_columns_fit_long_names(tmp_path, capsys):
    long = "a_joint_name_much_longer_than_twenty_four_characters"
    width = len(long)
    # the <joint> of a <transmission> names the same joint but must not be read as one
    path = tmp_path / "robot.urdf"
    path.write_text(f"""<robot name="r"><link name="a"/><link name="b"/>
      <joint name="{long}" type="prismatic"><parent link="a"/><child link="b"/>
        <axis xyz="0 0 1"/><limit lower="-0.25" upper="0.5" effort="7" velocity="8"/></joint>
      <transmission name="t"><joint name="{long}"><axis xyz="1 0 0"/></joint></transmission>
    </robot>""")
    assert main([str(path)]) == 0
    lines = capsys.readouterr().out.splitlines()
    assert f"  {long} (Prismatic, axis 0 0 1) range [-0.25, 0.5] effort 7.0 velocity 8.0" in lines
    assert f"    2 {long} Joint    on joint 1" in lines
    neutral = lines.index("joint positions in the world at the neutral configuration (x y z, m):")
    assert lines[neutral + 1:neutral + 3] == [f"  {'__WORLD__':<{width}} +0.0000 +0.0000 +0.0000",
                                              f"  {long} +0.0000 +0.0000 +0.0000"]
    assert f"  {'':<{width}}   neutral    random" in lines


@pytest.mark.parametrize("path, nq_nv", [(os.path.join(ARM, "kinetra_arm.urdf"), "nq 13, nv 12"),
                                         (os.path.join(ROBOTS, "quadruped_a1/a1.urdf"), "nq 19, nv 18")])
def test_floating_needs_floating_joints(path, nq_nv, capsys):
    if not os.path.exists(path):
        pytest.skip(f"{path} is not available")
    code = main([path, "--floating", "--skip-meshes", "--seed", "1"])
    out, err = capsys.readouterr()
    if "root_joint" in (kinetra.build_models_from_urdf.__text_signature__ or ""):
        # six more velocity coordinates, and a quaternion: the base's
        assert code == 0 and f", {nq_nv}, " in out.splitlines()[0]
        assert "  root_joint (Floating)" in out and "nan" not in out
    else:
        assert (code, err) == (1, "error: --floating needs a kinetra with floating base joints "
                                  "(kinetra.JointModelFloating); this one has none\n")


@pytest.mark.parametrize("relative", SHARED)
def test_every_shared_robot_is_summarised_and_drawn(relative, tmp_path, capsys):
    pytest.importorskip("matplotlib")
    path = os.path.join(ROBOTS, relative)
    if not os.path.exists(path):
        pytest.skip(f"{path} is not available")
    folder = os.path.dirname(path)
    root = os.path.join(folder, "_packages")
    packages = {name: os.path.join(root, name) for name in
                (os.listdir(root) if os.path.isdir(root) else [])}
    picture = tmp_path / "robot.png"
    options = [f"--package={name}={place}" for name, place in packages.items()]
    assert main([path, *options, "--seed", "2", "--plot", str(picture)]) == 0
    out = capsys.readouterr().out
    model, _, _ = kinetra.build_models_from_urdf(path, folder, packages=packages)
    # each joint once in the tree, in both placement blocks and among the gravity torques
    first_words = [line.split()[0] for line in out.splitlines() if line.strip()]
    assert all(first_words.count(name) == 4 for name in model.joint_names[1:])
    assert "nan" not in out
    assert picture.read_bytes().startswith(b"\x89PNG") and picture.stat().st_size > 20000
