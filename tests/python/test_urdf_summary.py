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


def chain(links):
    joints = "".join(f'<joint name="j{i}" type="revolute"><parent link="l{i}"/>'
                     f'<child link="l{i + 1}"/><origin xyz="0 0 0.1"/><axis xyz="0 1 0"/>'
                     f'<limit lower="-1" upper="{0.5 if i else -1}" effort="1" velocity="1"/>'
                     f'</joint>' for i in range(links - 1))
    links = "".join(f'<link name="l{i}"/>' for i in range(links))
    return f'<robot name="chain">{links}{joints}</robot>'


def test_a_long_chain_with_a_locked_joint(tmp_path, capsys):
    path = tmp_path / "chain.urdf"
    path.write_text(chain(1500))
    assert main([str(path), "--seed", "3"]) == 0
    out = capsys.readouterr().out
    assert "  j0 (Revolute, axis 0 1 0) locked at -1.0 effort 1.0 velocity 1.0" in out
    assert " " * 2 * 1499 + "j1498 (Revolute" in out


def test_a_given_configuration_and_the_random_view(tmp_path, capsys):
    path = tmp_path / "robot.urdf"
    path.write_text('<robot name="r"><link name="a"/><link name="b"/><link name="c"/>'
                    '<joint name="far" type="prismatic"><parent link="a"/><child link="b"/>'
                    '<limit lower="-20000" upper="20000" effort="1" velocity="1"/></joint>'
                    '<joint name="spin" type="continuous"><parent link="b"/><child link="c"/>'
                    '</joint></robot>')
    assert main([str(path), "--q", "0.25 0 1"]) == 0
    out = capsys.readouterr().out
    assert "joint positions in the world at the given configuration (x y z, m):" in out
    assert "  far                      +0.2500 +0.0000 +0.0000" in out.splitlines()
    for seed in range(20):
        assert main([str(path), "--seed", str(seed)]) == 0
        lines = capsys.readouterr().out.splitlines()
        at = lines.index("joint positions in the world at a random configuration (x y z, m):")
        assert abs(float(lines[at + 2].split()[1])) <= 1.0


@pytest.mark.parametrize("options, code, message", [
    (["--q", "1 2"], 2, "error: --q needs 1 values (nq), got 2\n"),
    (["--q", "x"], 2, "error: --q must be numbers separated by spaces, got 'x'\n"),
    (["--plot", "x.xyz"], 2, "error: --plot needs a file name ending in .png, got 'x.xyz'\n"),
    (["--plot", "{tmp}"], 2, "error: --plot needs a file name, '{tmp}' is a folder\n"),
    (["--plot", "{tmp}/none/x.png"], 2, "error: --plot: the folder '{tmp}/none' does not exist\n"),
])
def test_bad_arguments_are_one_line(tmp_path, capsys, options, code, message):
    path = tmp_path / "robot.urdf"
    path.write_text(chain(2))
    options = [o.replace("{tmp}", str(tmp_path)) for o in options]
    assert main([str(path), *options]) == code
    assert capsys.readouterr().err == message.replace("{tmp}", str(tmp_path))


def test_missing_meshes_suggest_the_options(tmp_path, capsys):
    path = tmp_path / "robot.urdf"
    path.write_text('<robot name="r"><link name="a"><visual><geometry>'
                    '<mesh filename="package://nowhere/m.stl"/></geometry></visual></link></robot>')
    assert main([str(path)]) == 1
    err = capsys.readouterr().err
    assert err.startswith("error: Invalid file path: ") and err.count("\n") == 1
    assert err.endswith("(give the folder of a package with --package NAME=DIR, or load without "
                        "the meshes with --skip-meshes)\n")


@pytest.mark.parametrize("stdout, encoding", [("/dev/full", "utf-8"), (None, "ascii")])
def test_a_full_disk_or_an_ascii_terminal_is_no_traceback(tmp_path, stdout, encoding):
    path = tmp_path / "robot.urdf"
    path.write_text(chain(2).replace('name="chain"', 'name="brazo_ñ"'))
    env = dict(os.environ, PYTHONPATH=os.path.join(ROOT, "src") + os.pathsep +
               os.environ.get("PYTHONPATH", ""), PYTHONIOENCODING=encoding)
    with open(stdout or os.devnull, "w") as sink:
        child = subprocess.run([sys.executable, "-m", "kinetra_tools.urdf_summary", str(path)],
                               stdout=sink if stdout else subprocess.PIPE, stderr=subprocess.PIPE,
                               env=env, timeout=120)
    if stdout:
        assert (child.returncode, child.stderr) == (
            1, b"error: cannot write the summary: [Errno 28] No space left on device\n")
    else:
        assert child.returncode == 0 and b"robot 'brazo_\\xf1'" in child.stdout


def test_the_picture_path_is_printed(tmp_path, capsys):
    pytest.importorskip("matplotlib")
    path = tmp_path / "robot.urdf"
    path.write_text(chain(3))
    picture = tmp_path / "robot.png"
    assert main([str(path), "--plot", str(picture)]) == 0
    assert capsys.readouterr().out.endswith(f"\npicture written to {picture}\n")
    assert picture.read_bytes().startswith(b"\x89PNG")
