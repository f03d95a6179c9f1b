import logging
import os
import re
import socket
import subprocess
import sys
import urllib.request

import numpy as np
import pytest

import kinetra

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "src"))

pytest.importorskip("viser", reason="the viewer needs viser: pip install '.[viewer]'")
from kinetra_tools.viewer import Viewer  # noqa: E402
from kinetra_tools.viewer_cli import main  # noqa: E402
from kinetra_tools.viewer_sliders import configuration_of, coordinates_of  # noqa: E402

ARM_URDF = os.path.join(ROOT, "examples", "robots", "kinetra_arm", "kinetra_arm.urdf")


def arm(**options):
    return kinetra.build_models_from_urdf(ARM_URDF, os.path.dirname(ARM_URDF), **options)


@pytest.fixture(scope="module")
def viewer():
    model, collision, visual = arm()
    with Viewer(model, visual, port=0) as shown:
        yield shown


def size_error(model, q):
    with pytest.raises(ValueError) as error:
        kinetra.forward_kinematics(model, model.create_data(), q)
    return re.escape(str(error.value))


def test_importing_kinetra_loads_no_viewer_dependency():
    code = ("import sys, kinetra, kinetra.viewer\n"
            "assert not {'viser', 'trimesh'} & set(sys.modules), 'loaded early'\n"
            "from kinetra.viewer import Viewer\n"
            "assert kinetra.viewer.Viewer is Viewer and 'viser' in sys.modules\n")
    env = dict(os.environ, PYTHONPATH=os.path.join(ROOT, "src"))
    subprocess.run([sys.executable, "-c", code], check=True, env=env, timeout=60)


@pytest.mark.parametrize("call", [
    lambda viewer, q: viewer.display(q),
    lambda viewer, q: viewer.play([q, q], 0.01),
])
@pytest.mark.parametrize("q", [np.zeros(3), np.zeros(7)])
def test_a_configuration_of_another_size_gets_the_algorithms_error(viewer, call, q):
    with pytest.raises(ValueError, match=size_error(viewer.model, q)):
        call(viewer, q)


@pytest.mark.parametrize("call, error", [
    (lambda viewer: viewer.show_frames(["tool_tip", "no_such_frame"]), KeyError),
    (lambda viewer: viewer.play(np.zeros(6), 0.01), ValueError),
    (lambda viewer: viewer.play(np.zeros((2, 6)), 0.0), ValueError),
])
def test_refused_calls(viewer, call, error):
    with pytest.raises(error):
        call(viewer)


def test_a_port_in_use_is_named():
    with socket.socket() as taken:
        taken.bind(("127.0.0.1", 0))
        taken.listen()
        port = taken.getsockname()[1]
        model, _, visual = arm()
        with pytest.raises(OSError, match=f"port {port} on 127.0.0.1 is already in use"):
            Viewer(model, visual, port=port)


def test_a_refused_visual_model_leaves_the_port_free():
    model, _, _ = arm()
    visual = kinetra.GeometryModel()
    visual.add_geometry_object(kinetra.GeometryObject("ball", 99, 0, kinetra.vortan.Sphere(0.1),
                                                      kinetra.SE3.Identity()))
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    with pytest.raises(ValueError, match="object 'ball' hangs on joint 99"):
        Viewer(model, visual, port=port)
    with socket.socket() as probe:
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        probe.bind(("127.0.0.1", port))


@pytest.mark.parametrize("content", [None, b"", b"not a mesh"])
def test_an_unreadable_mesh_becomes_a_box_and_a_warning(tmp_path, caplog, content):
    mesh = tmp_path / "part.stl"
    if content is not None:
        mesh.write_bytes(content)
    urdf = f"""<robot name="r"><link name="a"><visual><geometry>
        <mesh filename="{mesh}"/></geometry></visual></link></robot>"""
    model, _, visual = kinetra.build_models_from_urdf_string(urdf, check_meshes=False)
    with caplog.at_level(logging.WARNING, logger="kinetra.viewer"):
        with Viewer(model, visual, port=0) as viewer:
            viewer.display(kinetra.neutral(model))
    assert str(mesh) in caplog.text


@pytest.mark.parametrize("kind, q", [
    ("Revolute", [0.3]),
    ("Continuous", [np.cos(2.5), np.sin(2.5)]),
    ("Floating", [0.1, -0.2, 0.3, 0.5, -0.5, 0.5, 0.5]),
    ("Spherical", [0.1, 0.2, 0.3, np.sqrt(0.86)]),
    ("Spherical", [0.0, np.sin(np.pi / 4), 0.0, np.cos(np.pi / 4)]),
    ("Planar", [0.4, -0.1, np.cos(-1.0), np.sin(-1.0)]),
])
def test_slider_values_give_back_the_configuration(kind, q):
    back = np.array(configuration_of(kind, coordinates_of(kind, np.array(q))))
    # q and -q are the same rotation
    assert np.allclose(back, q) or np.allclose(back[3:], -np.array(q[3:]))


def test_a_floating_base_moves_the_whole_robot_and_its_sliders():
    model, _, visual = arm(root_joint=kinetra.JointModelFloating())
    q = kinetra.random_configuration(model, seed=5).to_numpy()
    q[:3] = [1.0, -2.0, 0.5]
    with Viewer(model, visual, port=0) as viewer:
        viewer.display(q)
        data = model.create_data()
        kinetra.forward_kinematics(model, data, q)
        for node, placement in zip(viewer._joints, data.oMi):
            assert np.allclose(node.position, placement.translation)
            assert np.allclose(rotation_matrix(*node.wxyz), placement.rotation)
        # the sliders (roll, pitch, yaw for the base) give back the same placements
        shown = model.create_data()
        kinetra.forward_kinematics(model, shown, viewer._sliders.configuration())
        for placement, from_sliders in zip(data.oMi, shown.oMi):
            assert np.allclose(placement.homogeneous, from_sliders.homogeneous)


def rotation_matrix(w, x, y, z):
    return np.array([[1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)],
                     [2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)],
                     [2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)]])


def test_the_command_line_serves_the_robot_on_this_machine_only():
    env = dict(os.environ, PYTHONPATH=os.path.join(ROOT, "src"))
    child = subprocess.Popen([sys.executable, "-m", "kinetra_tools.viewer_cli", ARM_URDF,
                              "--port", "0"], stdout=subprocess.PIPE, text=True, env=env)
    try:
        url = child.stdout.readline().strip()
        assert url.startswith("http://127.0.0.1:")
        with urllib.request.urlopen(url, timeout=30) as page:
            assert b"<html" in page.read().lower()
    finally:
        child.terminate()
        child.wait(timeout=30)


@pytest.mark.parametrize("options, shape, message", [
    ([], (4, 5), "the trajectory must be an (N, 6) array, got shape (4, 5)"),
    (["--floating"], (3, 13), "joint 'root_joint' has a quaternion of norm 0"),
])
def test_the_command_line_refuses_a_bad_trajectory(tmp_path, capsys, options, shape, message):
    path = tmp_path / "qs.npy"
    np.save(path, np.zeros(shape))
    assert main([ARM_URDF, "--trajectory", str(path), "--port", "0"] + options) == 1
    err = capsys.readouterr().err
    assert err.startswith("error: ") and message in err
