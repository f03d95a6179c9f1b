import math
import os
import pathlib
import xml.etree.ElementTree as ET

import numpy as np
import pytest

import kinetra

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ARM = os.path.join(ROOT, "examples", "robots", "kinetra_arm")
ROBOTS = os.path.join(ROOT, "..", "shared", "robots")
SHARED = {
    "r2d2_flexible": "06-flexible.urdf",
    "panda_arm_hand": "panda.urdf",
    "quadruped_a1": "a1.urdf",
    "fetch_mobile_manipulator": "fetch.urdf",
    "iiwa_relative_meshes": "model.urdf",
}


def write(tmp_path, text, name="robot.urdf", mode="w"):
    path = tmp_path / name
    path.write_bytes(text) if mode == "wb" else path.write_text(text)
    return str(path)


def load(tmp_path, text, **kwargs):
    return kinetra.build_models_from_urdf(write(tmp_path, text), **kwargs)


# ---- the function itself


def test_signature_and_result_types():
    f = kinetra.build_models_from_urdf
    assert f.__text_signature__ == (
        "(filepath, package_dir=None, packages=None, check_meshes=True, root_joint=None, mimic=False)")
    assert f.__doc__ == "A Python wrapper for the `build_models_from_urdf` function."
    path = os.path.join(ARM, "kinetra_arm.urdf")
    model, collision, visual = f(path, package_dir=ARM)
    assert (type(model), type(collision), type(visual)) == (
        kinetra.Model, kinetra.GeometryModel, kinetra.GeometryModel)
    with pytest.raises(TypeError, match="^argument 'filepath': 'int' object cannot be converted to 'PyString'$"):
        f(123)
    with pytest.raises(TypeError, match="^argument 'package_dir': "):
        f(path, package_dir=1)
    with pytest.raises(TypeError, match="^argument 'root_joint': 'int' object cannot be converted "
                                        "to 'JointModel'$"):
        f(path, root_joint=1)


def test_package_dir_defaults_to_none(tmp_path):
    text = '<robot name="r"><link name="a"/></robot>'
    assert load(tmp_path, text)[0].njoints == load(tmp_path, text, package_dir=None)[0].njoints == 1


def test_bundled_arm():
    model, collision, visual = kinetra.build_models_from_urdf(
        os.path.join(ARM, "kinetra_arm.urdf"), ARM)
    assert model.name == "kinetra_arm"
    assert (model.nq, model.nv, model.njoints) == (6, 6, 7)
    assert all(int(j.joint_type) == 3 for j in model.joint_models[1:])
    assert sum(i.mass for i in model.inertias) == pytest.approx(17.9)
    meshes = [o for o in visual.geometry_objects if int(o.geometry.shape_type) == 5]
    assert [o.geometry.mesh_path for o in meshes] == [os.path.join(ARM, "meshes/base.stl")]
    np.testing.assert_allclose(meshes[0].mesh_color, [0.2, 0.2, 0.22, 1.0])
    assert all(list(o.mesh_color) == [0.9, 0.9, 0.9, 1.0] for o in collision.geometry_objects)


# ---- reading rules


def test_walk_order_and_fixed_joint_bookkeeping(tmp_path):
    text = """<robot name="r">
      <link name="l1"><inertial><mass value="1"/>
        <inertia ixx="0" ixy="0" ixz="0" iyy="0" iyz="0" izz="0"/></inertial></link>
      <link name="l2"><inertial><origin xyz="0 0 1"/><mass value="2"/>
        <inertia ixx="0" ixy="0" ixz="0" iyy="0" iyz="0" izz="0"/></inertial></link>
      <link name="base"/><link name="c"/><link name="d"/>
      <joint name="f1" type="fixed"><parent link="l1"/><child link="l2"/><origin xyz="1 0 0"/></joint>
      <joint name="j1" type="revolute"><parent link="base"/><child link="l1"/>
        <limit effort="1" velocity="1"/></joint>
      <joint name="b" type="continuous"><parent link="base"/><child link="d"/></joint>
      <joint name="a" type="prismatic"><parent link="base"/><child link="c"/>
        <limit effort="1" velocity="1"/></joint>
    </robot>"""
    model, _, _ = load(tmp_path, text)
    assert model.joint_names == ["__WORLD__", "a", "b", "j1"]
    assert [(f.name, repr(f.frame_type), f.parent_joint) for f in model.frames] == [
        ("__WORLD_FRAME__", "FrameType.Fixed", 0), ("base", "FrameType.Body", 0),
        ("a", "FrameType.Joint", 1), ("c", "FrameType.Body", 1),
        ("b", "FrameType.Joint", 2), ("d", "FrameType.Body", 2),
        ("j1", "FrameType.Joint", 3), ("l1", "FrameType.Body", 3),
        ("f1", "FrameType.Fixed", 3), ("l2", "FrameType.Body", 3)]
    assert (model.nq, model.nv) == (4, 3)
    # l2's inertia lands on joint j1, expressed through the fixed joint's placement
    assert model.inertias[3].mass == 3
    np.testing.assert_allclose(model.inertias[3].com, [2 / 3, 0, 2 / 3])
    assert model.frames[8].inertia.mass == 2


@pytest.mark.parametrize(
    "origin, translation",
    [('<origin xyz="1 2 3"/>', [1, 2, 3]), ('<origin rpy="0 0 1.5"/>', [0, 0, 0]),
     ('<origin xyz=" 1\t2\n3 "/>', [1, 2, 3])],
)
def test_origins(tmp_path, origin, translation):
    text = f"""<robot name="r"><link name="a"/><link name="b"/>
      <joint name="j" type="fixed"><parent link="a"/><child link="b"/>{origin}</joint></robot>"""
    model, _, _ = load(tmp_path, text)
    np.testing.assert_allclose(model.frames[2].placement.translation, translation)


@pytest.mark.parametrize(
    "body, message",
    [
        ("<model><link name='a'/></model>", "No <robot> tag found in URDF."),
        ("<x><robot/></x>", None),
        ('<robot><link name="a"/></robot>', "Missing name attribute for <robot>."),
        ('<robot name="r"><link name="a"/><joint type="fixed"><parent link="a"/></joint></robot>',
         'Missing name attribute for <joint type="fixed">.'),
        ('<robot name="r"><link name="a"/><link name="b"/><joint name="j" type="ball">'
         '<parent link="a"/><child link="b"/></joint></robot>', "unknown joint type (ball)."),
        ('<robot name="r"><link name="a"/><link name="b"/><joint name="j" type="revolute">'
         '<parent link="a"/><child link="b"/></joint></robot>', "Missing required parameter: limit"),
        ('<robot name="r"><link name="a"/><joint name="j" type="fixed">'
         '<parent link="a"/><child link="zzz"/></joint></robot>', "Unknown link name: zzz"),
        ('<robot name="r"><link name="b"/><joint name="j" type="fixed">'
         '<parent link="nowhere"/><child link="b"/></joint></robot>', "Unknown link name: nowhere"),
        ('<robot name="r"><link name="a"/><link name="b"/><link name="c"/>'
         '<joint name="j" type="fixed"><parent link="a"/><child link="c"/></joint>'
         '<joint name="k" type="fixed"><parent link="b"/><child link="c"/></joint></robot>',
         "Link 'c' has more than one parent joint."),
        ('<robot name="r"><link name="a"/><link name="b"/><link name="c"/>'
         '<joint name="j" type="fixed"><parent link="b"/><child link="c"/></joint>'
         '<joint name="k" type="fixed"><parent link="c"/><child link="b"/></joint></robot>',
         "Link 'b' cannot be reached from any root link."),
        ('<robot name="r"><link name="a"/><link name="a"><inertial><mass value="1"/>'
         '<inertia ixx="1" ixy="0" ixz="0" iyy="1" iyz="0" izz="1"/></inertial></link></robot>',
         "Link 'a' is defined more than once."),
        ('<robot name="r"><link name="a"/><link name="b"/><joint name="j" type="continuous">'
         '<parent link="a"/><child link="b"/><axis xyz="0 0 0"/></joint></robot>',
         "Invalid value for parameter: xyz"),
        ('<robot name="r"><link name="a"><inertial><mass value="1.0 "/></inertial></link></robot>',
         "<inertial> tag in link 'a' missing inertia data."),
        ('<robot name="r"><link name="a"><visual><geometry/></visual></link></robot>',
         "the <geometry> tag named 'a_0' does not have a corresponding shape tag."),
        ('<robot name="r"><material name="m"><texture/></material></robot>',
         "the <material> tag named 'm' does not have a corresponding <color> tag."),
    ],
)
def test_error_texts(tmp_path, body, message):
    if message is None:  # a nested robot element is found
        assert load(tmp_path, body)[0].njoints == 1
        return
    with pytest.raises(ValueError) as error:
        load(tmp_path, body)
    assert str(error.value) == message


def slider(origin='xyz="0 0 0"', mass='value="1"', inertia='ixx="1"', limit='lower="-1" upper="1"',
           axis="0 0 1", kind="prismatic"):
    return (f'<robot name="r"><link name="a"/><link name="b"><inertial><mass {mass}/>'
            f'<inertia {inertia} ixy="0" ixz="0" iyy="1" iyz="0" izz="1"/></inertial></link>'
            f'<joint name="j" type="{kind}"><parent link="a"/><child link="b"/><origin {origin}/>'
            f'<axis xyz="{axis}"/><limit {limit} effort="1" velocity="1"/></joint></robot>')


@pytest.mark.parametrize("urdf, name", [
    (slider(origin='xyz="0 nan 0"'), "xyz"),
    (slider(origin='rpy="0 0 inf"'), "rpy"),
    (slider(mass='value="nan"'), "value"),
    (slider(mass='value="-1"'), "value"),
    (slider(inertia='ixx="inf"'), "ixx"),
    (slider(limit='lower="nan" upper="1"'), "lower"),
    (slider(limit='lower="-1" upper="-inf"'), "upper"),
    (slider(limit='lower="-1" upper="1" effort="nan"').replace('effort="1" ', ""), "effort"),
    (slider(limit='lower="-1" upper="1" velocity="-2"').replace('velocity="1"', ""), "velocity"),
    (slider(axis="1e-320 0 0"), "xyz"),
    (slider(axis="1e308 0 0"), "xyz"),
    (slider(axis="0 nan 0"), "xyz"),
])
def test_non_finite_and_negative_numbers_are_refused(tmp_path, urdf, name):
    assert load(tmp_path, slider())[0].nq == 1
    with pytest.raises(ValueError, match=f"^Invalid value for parameter: {name}$"):
        load(tmp_path, urdf)


@pytest.mark.parametrize("limit, bounds", [('lower="abc" upper="1"', [-np.inf, 1.0]),
                                           ('lower="-1" upper=""', [-1.0, np.inf])])
def test_unreadable_bounds_keep_their_defaults(tmp_path, limit, bounds):
    model = load(tmp_path, slider(limit=limit))[0]
    assert [model.lower_position_limits[0], model.upper_position_limits[0]] == bounds


def test_io_and_xml_errors(tmp_path):
    missing = str(tmp_path / "absent.urdf")
    with pytest.raises(ValueError) as error:
        kinetra.build_models_from_urdf(missing)
    assert str(error.value).startswith("IO error: ")
    assert str(error.value).endswith(f" (file: {missing})")
    with pytest.raises(ValueError, match="^XML parsing error: "):
        load(tmp_path, "<robot name='r'><link></robot>")


@pytest.mark.parametrize(
    "content",
    [
        b"",
        b"\xff\xfe<robot name='r'/>",
        b'<?xml version="1.0"?><!DOCTYPE r [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;">'
        b']><robot name="&b;"><link name="x"/></robot>',
        b"<robot name='r'><link name='a'/>\x00</robot>",
        b"<robot name='r'><link name='a&#xD800;'/></robot>",
        b"<robot name='r'><link name='a'/><link name='b'/><joint name='j' type='fixed'>"
        b"<parent link='b&#x110000;'/><child link='a'/></joint></robot>",
        b"<robot name='r'><link name='a'><visual><geometry><mesh filename='/etc/passwd&#0;.stl'/>"
        b"</geometry></visual></link></robot>",
        b"<robot name='r'><link name='a&#1;'/></robot>",
        b"<robot name='r'><link name='&x;'/></robot>",
    ],
    ids=["empty", "invalid utf-8", "entity bomb", "nul byte", "surrogate reference",
         "reference beyond unicode", "nul reference", "control reference", "undefined entity"],
)
def test_hostile_files_get_clear_errors(tmp_path, content):
    with pytest.raises(ValueError):
        kinetra.build_models_from_urdf(write(tmp_path, content, mode="wb"))


@pytest.mark.parametrize("make", [lambda p: os.symlink("/dev/zero", p), os.mkfifo],
                         ids=["link to /dev/zero", "fifo"])
def test_only_regular_files_are_read(tmp_path, make):
    path = str(tmp_path / "robot.urdf")
    make(path)
    with pytest.raises(ValueError) as error:
        kinetra.build_models_from_urdf(path)
    assert str(error.value) == f"IO error: not a regular file (file: {path})"


def test_non_finite_numbers_are_refused(tmp_path):
    text = """<robot name="r"><link name="a"/><link name="b"/>
      <joint name="j" type="revolute"><parent link="a"/><child link="b"/>
      <origin xyz="nan inf -inf"/><limit lower="nan" effort="inf" velocity="1"/></joint></robot>"""
    with pytest.raises(ValueError, match="^Invalid value for parameter: xyz$"):
        load(tmp_path, text)


def test_deep_chain_loads(tmp_path):
    n = 20000
    parts = ['<robot name="chain">'] + [f'<link name="l{i}"/>' for i in range(n + 1)]
    parts += [f'<joint name="j{i}" type="continuous"><parent link="l{i}"/><child link="l{i + 1}"/>'
              "</joint>" for i in range(n)]
    model, _, _ = load(tmp_path, "".join(parts) + "</robot>")
    assert (model.njoints, model.nq, model.nv) == (n + 1, 2 * n, n)


# ---- mesh paths


def mesh_robot(filename):
    return f"""<robot name="r"><link name="a"><visual><geometry><mesh filename="{filename}"/>
      </geometry></visual></link></robot>"""


@pytest.fixture
def packages(tmp_path):
    for root in ("a", "b"):
        mesh = tmp_path / root / "robot_pkg" / "meshes" / "base.stl"
        mesh.parent.mkdir(parents=True)
        mesh.write_text("solid s\nendsolid s\n")
    return tmp_path


@pytest.mark.parametrize(
    "filename, ros_path, expected",
    [
        ("package://robot_pkg/meshes/base.stl", "{t}/a/robot_pkg:{t}/b/robot_pkg",
         "{t}/a/robot_pkg/meshes/base.stl"),
        ("package:///robot_pkg/meshes/base.stl", "{t}/b/robot_pkg/", "{t}/b/robot_pkg/meshes/base.stl"),
        ("package://robot_pkg/meshes/base.stl", "{t}/a", "Invalid file path: Package 'robot_pkg' not found in ROS_PACKAGE_PATH"),
        ("package://robot_pkg", "{t}/a", "Invalid file path: Invalid package path: robot_pkg"),
        ("package://robot_pkg/meshes/base.stl", None,
         "Invalid file path: 'package://' was used but the ROS_PACKAGE_PATH environment variable is not set"),
        ("meshes/base.stl", None, "Invalid file path: 'package_dir' must be provided to resolve mesh file paths"),
        ("/nonexistent/base.stl", None, "Invalid file path: Mesh file does not exist: /nonexistent/base.stl"),
    ],
)
def test_mesh_paths(packages, monkeypatch, filename, ros_path, expected):
    t = str(packages)
    if ros_path is None:
        monkeypatch.delenv("ROS_PACKAGE_PATH", raising=False)
    else:
        monkeypatch.setenv("ROS_PACKAGE_PATH", ros_path.format(t=t))
    path = write(packages, mesh_robot(filename))
    expected = expected.format(t=t)
    if expected.startswith("Invalid file path"):
        with pytest.raises(ValueError) as error:
            kinetra.build_models_from_urdf(path)
        assert str(error.value) == expected
    else:
        _, _, visual = kinetra.build_models_from_urdf(path)
        assert visual.geometry_objects[0].geometry.mesh_path == expected


def test_relative_mesh_needs_package_dir(packages, monkeypatch):
    monkeypatch.chdir(packages / "a" / "robot_pkg")
    path = write(packages, mesh_robot("meshes/base.stl"))
    with pytest.raises(ValueError, match="'package_dir' must be provided"):
        kinetra.build_models_from_urdf(path)
    pkg = str(packages / "a" / "robot_pkg")
    _, _, visual = kinetra.build_models_from_urdf(path, package_dir=pkg)
    assert visual.geometry_objects[0].geometry.mesh_path == pkg + "/meshes/base.stl"


def mesh_paths(models):
    return [o.geometry.mesh_path for o in models[2].geometry_objects
            if int(o.geometry.shape_type) == int(kinetra.vortan.ShapeType.Mesh)]


def test_packages_come_before_the_package_path(packages, monkeypatch):
    monkeypatch.setenv("ROS_PACKAGE_PATH", str(packages / "a" / "robot_pkg"))
    text = mesh_robot("package://robot_pkg/meshes/base.stl")
    folder = packages / "b" / "robot_pkg"
    assert mesh_paths(kinetra.build_models_from_urdf_string(text, packages={"robot_pkg": folder})) \
        == [str(folder / "meshes" / "base.stl")]
    assert mesh_paths(kinetra.build_models_from_urdf_string(text, packages={"other": folder})) \
        == [str(packages / "a" / "robot_pkg" / "meshes" / "base.stl")]


@pytest.mark.parametrize("packages_arg, error, message", [
    ([("robot_pkg", ".")], TypeError, "packages must be a mapping of package names to folders, got list"),
    ({1: "."}, TypeError, "packages: a package name must be a str, got int"),
    (type("Odd", (), {"items": lambda self: [1]})(), TypeError,
     "packages: items() must give (name, folder) pairs"),
    ({"a/b": "."}, ValueError, "packages['a/b']: a package name is not empty and has no '/'"),
    ({"robot_pkg": 1}, TypeError, "argument 'packages['robot_pkg']': 'int' object cannot be converted to 'PyString'"),
    ({"robot_pkg": "/no/such/folder"}, ValueError, "packages['robot_pkg']: no such folder: /no/such/folder"),
])
def test_refused_packages(packages_arg, error, message):
    for read in (kinetra.build_models_from_urdf_string, kinetra.build_models_from_urdf):
        with pytest.raises(error) as raised:
            read(mesh_robot("meshes/base.stl"), packages=packages_arg)
        assert str(raised.value) == message


@pytest.mark.parametrize("filename, package_dir, expected", [
    ("package://robot_pkg/meshes/none.stl", None, "{t}/a/robot_pkg/meshes/none.stl"),
    ("package://unknown/none.stl", None, "package://unknown/none.stl"),
    ("meshes/none.stl", None, "meshes/none.stl"),
    ("meshes/none.stl", "{t}", "{t}/meshes/none.stl"),
])
def test_unchecked_meshes_keep_the_resolved_path_or_the_reference(packages, monkeypatch, filename,
                                                                  package_dir, expected):
    monkeypatch.delenv("ROS_PACKAGE_PATH", raising=False)
    t = str(packages)
    models = kinetra.build_models_from_urdf(
        write(packages, mesh_robot(filename)), package_dir and package_dir.format(t=t),
        packages={"robot_pkg": packages / "a" / "robot_pkg"}, check_meshes=False)
    assert mesh_paths(models) == [expected.format(t=t)]
    with pytest.raises(ValueError, match="^Invalid file path: "):
        kinetra.build_models_from_urdf_string(mesh_robot(filename), package_dir and t)
    with pytest.raises(TypeError, match="^argument 'check_meshes': 'int' object"):
        kinetra.build_models_from_urdf_string(mesh_robot(filename), check_meshes=0)


# ---- the text reader and path objects


def test_the_text_reader_gives_what_the_file_reader_gives(tmp_path):
    path = pathlib.Path(ARM) / "kinetra_arm.urdf"
    from_file = kinetra.build_models_from_urdf(path, package_dir=pathlib.Path(ARM))
    from_text = kinetra.build_models_from_urdf_string(path.read_text(), ARM)
    assert repr(from_text[0]) == repr(from_file[0])
    assert from_text[0].lower_position_limits.tolist() == from_file[0].lower_position_limits.tolist()
    assert mesh_paths(from_text) == mesh_paths(from_file)
    assert kinetra.build_models_from_urdf_string.__text_signature__ == (
        "(xml, package_dir=None, packages=None, check_meshes=True, root_joint=None, mimic=False)")
    bad = ('<robot name="r"><link name="a"/><link name="b"/><joint name="j" type="revolute">'
           '<parent link="a"/><child link="b"/></joint></robot>')
    with pytest.raises(ValueError) as from_text_error:
        kinetra.build_models_from_urdf_string(bad)
    with pytest.raises(ValueError) as from_file_error:
        load(tmp_path, bad)
    assert str(from_text_error.value) == str(from_file_error.value)
    with pytest.raises(TypeError, match="^argument 'xml': 'bytes' object cannot be converted"):
        kinetra.build_models_from_urdf_string(b"<robot/>")
    with pytest.raises(TypeError, match="^argument 'package_dir': 'int' object cannot be converted"):
        kinetra.build_models_from_urdf_string("<robot/>", package_dir=1)


# ---- the shared robots, against an independent reading of their XML


def shared_robot(name, monkeypatch):
    folder = os.path.join(ROBOTS, name)
    if not os.path.isdir(folder):
        pytest.skip(f"{folder} is not available")
    packages = os.path.join(folder, "_packages")
    if os.path.isdir(packages):
        monkeypatch.setenv("ROS_PACKAGE_PATH", ":".join(
            os.path.join(packages, p) for p in sorted(os.listdir(packages))))
    return os.path.join(folder, SHARED[name]), folder


def rpy_matrix(rpy):
    r, p, y = rpy
    rx = np.array([[1, 0, 0], [0, math.cos(r), -math.sin(r)], [0, math.sin(r), math.cos(r)]])
    ry = np.array([[math.cos(p), 0, math.sin(p)], [0, 1, 0], [-math.sin(p), 0, math.cos(p)]])
    rz = np.array([[math.cos(y), -math.sin(y), 0], [math.sin(y), math.cos(y), 0], [0, 0, 1]])
    return rz @ ry @ rx


def origin_matrix(element):
    m = np.eye(4)
    origin = element.find("origin")
    if origin is not None:
        m[:3, :3] = rpy_matrix([float(x) for x in origin.get("rpy", "0 0 0").split()])
        m[:3, 3] = [float(x) for x in origin.get("xyz", "0 0 0").split()]
    return m


def axis_angle_matrix(axis, angle):
    u = np.asarray(axis) / np.linalg.norm(axis)
    k = np.array([[0, -u[2], u[1]], [u[2], 0, -u[0]], [-u[1], u[0], 0]])
    return np.eye(3) + math.sin(angle) * k + (1 - math.cos(angle)) * k @ k


class Reference:
    """A plain reading of a URDF: joints by child link, masses, and 4x4 forward kinematics."""

    def __init__(self, path):
        robot = ET.parse(path).getroot()
        self.joints = {j.get("name"): j for j in robot.findall("joint")}
        self.by_child = {j.find("child").get("link"): j for j in self.joints.values()}
        self.links = {link.get("name"): link for link in robot.findall("link")}

    def moving(self):
        return [n for n, j in self.joints.items() if j.get("type") != "fixed"]

    def mass(self):
        total = 0.0
        for link in self.links.values():
            mass = link.find("inertial/mass")
            total += float(mass.get("value")) if mass is not None else 0.0
        return total

    def world_from_link(self, link, angles):
        joint = self.by_child.get(link)
        if joint is None:
            return np.eye(4)
        motion = np.eye(4)
        name, kind = joint.get("name"), joint.get("type")
        axis_element = joint.find("axis")
        axis = [float(x) for x in (axis_element.get("xyz") if axis_element is not None else "1 0 0").split()]
        if kind in ("revolute", "continuous"):
            motion[:3, :3] = axis_angle_matrix(axis, angles[name])
        elif kind == "prismatic":
            motion[:3, 3] = np.asarray(axis) * angles[name]
        parent = self.world_from_link(joint.find("parent").get("link"), angles)
        return parent @ origin_matrix(joint) @ motion


@pytest.mark.parametrize("name", sorted(SHARED))
def test_shared_robot_matches_an_independent_reading(name, monkeypatch):
    path, folder = shared_robot(name, monkeypatch)
    model, _, _ = kinetra.build_models_from_urdf(path, folder)
    reference = Reference(path)
    kinds = {n: j.get("type") for n, j in reference.joints.items()}
    assert sorted(model.joint_names[1:]) == sorted(reference.moving())
    assert model.nv == len(reference.moving())
    assert model.nq == sum(2 if kinds[n] == "continuous" else 1 for n in reference.moving())
    assert sum(i.mass for i in model.inertias) == pytest.approx(reference.mass(), rel=1e-12)

    data = model.create_data()
    for _ in range(3):
        q = kinetra.random_configuration(model).to_numpy()
        angles, offset = {}, 0
        for joint_name, joint in zip(model.joint_names[1:], model.joint_models[1:]):
            values = q[offset:offset + joint.nq]
            angles[joint_name] = math.atan2(values[1], values[0]) if joint.nq == 2 else values[0]
            offset += joint.nq
        kinetra.forward_kinematics(model, data, q)
        for joint_id, joint_name in enumerate(model.joint_names[1:], start=1):
            child = reference.joints[joint_name].find("child").get("link")
            expected = reference.world_from_link(child, angles)
            np.testing.assert_allclose(data.joint_placements[joint_id].homogeneous, expected,
                                       atol=1e-12)
