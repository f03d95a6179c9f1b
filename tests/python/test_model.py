"""Model, Frame, FrameType and Data."""
import textwrap

import numpy as np
import pytest

import kinetra
from kinetra import SE3, Data, Frame, FrameType, Inertia, Model

IDENTITY_TEXT = (
    "SE3(Isometry { rotation: [[1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, 1.0]], "
    "translation: [0.0, 0.0, 0.0] })"
)
SPHERE_TEXT = (
    "Inertia { mass: 2.0, com: Vector3D([[0.0, 0.0, 0.0]]), inertia: "
    "Symmetric3 { data: [0.2, 0.2, 0.2, 0.0, 0.0, 0.0] } }"
)
ADD_JOINT_DOC = (
    "Adds a joint to the model.\n\n# Arguments\n\n* `parent_id` - The identifier of the parent "
    "joint.\n* `joint_model` - The joint model to add.\n* `placement` - The placement of the "
    "joint in the parent frame.\n* `name` - The name of the joint."
)
# the interpreter's own wording, without the "argument" prefix
NEGATIVE = "can't convert negative value to size_t"
FRAME_TYPES = [("Operational", 0), ("Joint", 1), ("Fixed", 2), ("Body", 3), ("Sensor", 4)]


def translation(x, y, z):
    return SE3(np.eye(3), np.array([x, y, z], dtype=float))


def body(name, parent_joint, where, mass=2.0, frame_type=FrameType.Body):
    return Frame(name, parent_joint, 0, where, frame_type, Inertia.FromSphere(mass, 0.5))


def same(a, b):
    return np.array_equal(a.homogeneous, b.homogeneous)


class Reentrant:
    """An index that runs `action` while it is being converted."""

    def __init__(self, action):
        self.action = action

    def __index__(self):
        self.action()
        return 0


@pytest.mark.parametrize(
    "member, signature, doc",
    [
        (Model, "()", "A [`Model`] is a data structure that contains the information about the robot "
         "model,\nincluding the joints models, placements, the link inertias, and the frames."),
        (Model.add_joint, "($self, parent_id, joint_model, placement, name)", ADD_JOINT_DOC),
        (Model.add_frame, "($self, frame, append_inertia)", None),
        (Model.get_joint_id, "($self, name)", None),
        (Model.create_data, "($self)", None),
        (Frame, "(name, parent_joint, parent_frame, placement, frame_type, inertia)", ""),
        (Data, "(model)", "A Python wrapper for the `Data` struct."),
    ],
)
def test_docstrings(member, signature, doc):
    assert member.__text_signature__ == signature
    assert member.__doc__ == doc


def test_property_docstrings():
    for name in ["name", "nq", "nv", "njoints", "nframes", "gravity", "joint_names",
                 "joint_parents", "joint_placements", "joint_models", "inertias", "frames"]:
        assert getattr(Model, name).__doc__ is None
    sentence = "Returns the placements of the joints in the world frame."
    assert Data.joint_placements.__doc__ == sentence
    assert Data.oMi.__doc__ == sentence + "\n\nThis is an alias for `joint_placements`."


def test_new_model():
    m = Model()
    assert (m.name, m.njoints, m.nframes, m.nq, m.nv) == ("", 1, 1, 0, 0)
    assert m.joint_names == ["__WORLD__"] and m.joint_parents == [0]
    assert m.gravity.dtype == np.float64 and m.gravity.tolist() == [0.0, 0.0, -9.81]
    assert same(m.joint_placements[0], SE3.Identity())
    [world] = m.joint_models
    assert (int(world.joint_type), world.nq, world.nv) == (1, 0, 0)
    [inertia] = m.inertias
    assert inertia.mass == 0.0
    [frame] = m.frames
    assert (frame.name, frame.parent_joint, frame.parent_frame, int(frame.frame_type)) == (
        "__WORLD_FRAME__", 0, 0, 2)
    assert repr(m) == textwrap.dedent("""\
        Model {
            name: "",
            joint_names: [
                "__WORLD__",
            ],
            joint_parents: [
                0,
            ],
            joint_placements: [
                SE3(
                    Isometry {
                        rotation: [
                            [
                                1.0,
                                0.0,
                                0.0,
                            ],
                            [
                                0.0,
                                1.0,
                                0.0,
                            ],
                            [
                                0.0,
                                0.0,
                                1.0,
                            ],
                        ],
                        translation: [
                            0.0,
                            0.0,
                            0.0,
                        ],
                    },
                ),
            ],
        }""")


def test_repr_lists_every_joint_and_quotes_the_name():
    m = Model()
    m.name = 'arm "A"'
    m.add_joint(0, kinetra.JointModelRZ(), translation(0.5, 0, 1e-5), "shoulder")
    text = repr(m)
    assert text.startswith('Model {\n    name: "arm \\"A\\"",\n    joint_names: [\n'
                           '        "__WORLD__",\n        "shoulder",\n    ],\n'
                           "    joint_parents: [\n        0,\n        0,\n    ],\n")
    assert "                translation: [\n                    0.5,\n                    0.0,\n" \
           "                    1e-5,\n                ],\n" in text
    assert text.count("SE3(") == 2 and text.endswith("    ],\n}")


def test_add_joints():
    m = Model()
    assert m.add_joint(0, kinetra.JointModelRX(), translation(1, 0, 0), "a") == 1
    assert m.add_joint(parent_id=1, joint_model=kinetra.JointModelRY(), placement=SE3.Identity(),
                       name="b") == 2
    assert (m.njoints, m.nq, m.nv) == (3, 2, 2)
    assert m.joint_names == ["__WORLD__", "a", "b"] and m.joint_parents == [0, 0, 1]
    assert [i.mass for i in m.inertias] == [0.0, 0.0, 0.0]
    assert [int(j.joint_type) for j in m.joint_models] == [1, 3, 3]
    assert m.joint_placements[1].translation.tolist() == [1.0, 0.0, 0.0]
    assert (m.get_joint_id("b"), m.get_joint_id("__WORLD__"), m.get_joint_id("missing")) == (2, 0, None)


@pytest.mark.parametrize(
    "parent, name, message",
    [
        (1, "a", "ParentJointDoesNotExist(1)"),
        (0, "__WORLD__", 'JointNameAlreadyUsed("__WORLD__", 0)'),
        (7, "__WORLD__", "ParentJointDoesNotExist(7)"),  # the parent is checked first
    ],
)
def test_add_joint_errors_leave_the_model_unchanged(parent, name, message):
    m = Model()
    with pytest.raises(ValueError) as error:
        m.add_joint(parent, kinetra.JointModelRX(), SE3.Identity(), name)
    assert str(error.value) == message
    assert (m.njoints, m.nq, m.joint_names) == (1, 0, ["__WORLD__"])


@pytest.mark.parametrize(
    "args, error, message",
    [
        ((-1, kinetra.JointModelRX(), SE3.Identity(), "j"), OverflowError,
         NEGATIVE),
        ((0, SE3.Identity(), SE3.Identity(), "j"), TypeError,
         "argument 'joint_model': 'SE3' object cannot be converted to 'JointModel'"),
        ((0, kinetra.JointModelRX(), np.eye(4), "j"), TypeError,
         "argument 'placement': 'ndarray' object cannot be converted to 'SE3'"),
        ((0, kinetra.JointModelRX(), SE3.Identity(), 3), TypeError,
         "argument 'name': 'int' object cannot be converted to 'PyString'"),
    ],
)
def test_add_joint_argument_conversion(args, error, message):
    with pytest.raises(error) as raised:
        Model().add_joint(*args)
    assert str(raised.value) == message


def test_add_frame():
    m = Model()
    assert m.add_frame(body("base", 0, translation(1, 0, 0)), True) == 1
    inertia = m.inertias[0]
    assert inertia.mass == 2.0 and inertia.com.tolist() == [1.0, 0.0, 0.0]
    # same name and type: the existing id, nothing added or folded in
    assert m.add_frame(body("base", 0, SE3.Identity(), mass=5.0), True) == 1
    assert m.nframes == 2 and m.inertias[0].mass == 2.0
    # same name, other type: a new frame; without append_inertia the mass stays
    assert m.add_frame(body("base", 0, SE3.Identity(), frame_type=FrameType.Sensor), False) == 2
    assert m.inertias[0].mass == 2.0
    assert [f.name for f in m.frames] == ["__WORLD_FRAME__", "base", "base"]


def test_add_frame_errors():
    m = Model()
    with pytest.raises(ValueError, match=r"^ParentJointDoesNotExist\(5\)$"):
        m.add_frame(body("b", 5, SE3.Identity()), True)
    assert m.nframes == 1 and m.inertias[0].mass == 0.0
    with pytest.raises(TypeError) as error:
        m.add_frame(body("b", 0, SE3.Identity()), 1)
    assert str(error.value) == "argument 'append_inertia': 'int' object cannot be converted to 'PyBool'"


def test_name_property():
    m = Model()
    m.name = "robot"
    assert m.name == "robot"
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        del m.name
    with pytest.raises(TypeError) as error:
        m.name = 5
    assert str(error.value) == "argument 'name': 'int' object cannot be converted to 'PyString'"
    assert m.name == "robot"
    with pytest.raises(AttributeError):
        m.nq = 3


def test_properties_hand_out_copies():
    m = Model()
    m.add_joint(0, kinetra.JointModelRX(), SE3.Identity(), "a")
    m.joint_names.append("x")
    m.joint_placements[1].translation = np.ones(3)
    m.frames[0].placement.translation = np.ones(3)
    m.gravity[2] = 0.0
    assert m.joint_names == ["__WORLD__", "a"]
    assert m.joint_placements[1].translation.tolist() == [0.0, 0.0, 0.0]
    assert m.frames[0].placement.translation.tolist() == [0.0, 0.0, 0.0]
    assert m.gravity[2] == -9.81
    assert m.joint_models[1] is not m.joint_models[1]


def test_borrowing_while_adding_a_joint():
    m = Model()
    data = m.create_data()
    refusals = [
        (lambda: m.nq, "Already mutably borrowed"),
        (lambda: kinetra.forward_kinematics(m, data, np.zeros(0)), "Already mutably borrowed"),
        (lambda: kinetra.neutral(m), "Already borrowed"),
        (lambda: setattr(m, "name", "x"), "Already borrowed"),
    ]
    for action, message in refusals:
        with pytest.raises(RuntimeError, match=f"^{message}$"):
            m.add_joint(Reentrant(action), kinetra.JointModelRX(), SE3.Identity(), "j")
        assert m.njoints == 1 and m.name == ""
    # every borrow was given back
    assert m.add_joint(Reentrant(lambda: None), kinetra.JointModelRX(), SE3.Identity(), "j") == 1


def test_frame():
    where = translation(1, 0, 0)
    f = Frame(name="base", parent_joint=0, parent_frame=0, placement=where,
              frame_type=FrameType.Body, inertia=Inertia.FromSphere(2.0, 0.5))
    assert repr(f) == (
        "Frame (name='base', parent joint=0, parent frame=0, frame_type=Body)\n Placement="
        + IDENTITY_TEXT.replace("translation: [0.0,", "translation: [1.0,")
        + "\n Inertia=" + SPHERE_TEXT)
    assert (f.name, f.parent_joint, f.parent_frame, int(f.frame_type)) == ("base", 0, 0, 3)
    assert same(f.placement, where) and f.inertia.mass == 2.0
    # copies in and out
    where.translation = np.zeros(3)
    f.placement.translation = np.zeros(3)
    assert f.placement.translation.tolist() == [1.0, 0.0, 0.0]
    assert f.frame_type is not f.frame_type
    with pytest.raises(AttributeError):
        f.name = "other"
    # any parent joint is accepted until the frame is added to a model
    assert Frame("far", 99, 42, SE3.Identity(), FrameType.Sensor, Inertia.zeros()).parent_joint == 99


@pytest.mark.parametrize(
    "index, value, error, message",
    [
        (1, -1, OverflowError, NEGATIVE),
        (2, 1.5, TypeError, "argument 'parent_frame': 'float' object cannot be interpreted as an integer"),
        (4, 3, TypeError, "argument 'frame_type': 'int' object cannot be converted to 'FrameType'"),
        (5, kinetra.JointType.Fixed, TypeError,
         "argument 'inertia': 'JointType' object cannot be converted to 'Inertia'"),
    ],
)
def test_frame_argument_conversion(index, value, error, message):
    args = ["b", 0, 0, SE3.Identity(), FrameType.Body, Inertia.zeros()]
    args[index] = value
    with pytest.raises(error) as raised:
        Frame(*args)
    assert str(raised.value) == message


@pytest.mark.parametrize("name, code", FRAME_TYPES)
def test_frame_type_kinds(name, code):
    kind = getattr(FrameType, name)
    assert int(kind) == code and repr(kind) == f"FrameType.{name}"


def test_frame_type_class():
    assert [n for n in vars(FrameType) if not n.startswith("_")] == [n for n, _ in FRAME_TYPES]
    assert FrameType.__doc__ is None
    with pytest.raises(TypeError, match="^No constructor defined for FrameType$"):
        FrameType()
    assert FrameType.Body == FrameType.Body
    assert body("b", 0, SE3.Identity()).frame_type == FrameType.Body


def test_data():
    m = Model()
    for name in ["a", "b"]:
        m.add_joint(m.njoints - 1, kinetra.JointModelRZ(), translation(1, 0, 0), name)
    for data in [Data(m), Data(model=m), m.create_data()]:
        placements, alias = data.joint_placements, data.oMi
        assert len(placements) == len(alias) == 3
        assert all(same(p, SE3.Identity()) and same(o, p) and o is not p
                   for p, o in zip(placements, alias))
    placements[0].translation = np.ones(3)
    assert data.joint_placements[0].translation.tolist() == [0.0, 0.0, 0.0]
    assert repr(data).startswith("<builtins.Data object at ")
    with pytest.raises(TypeError) as error:
        Data("m")
    assert str(error.value) == "argument 'model': 'str' object cannot be converted to 'Model'"
    with pytest.raises(AttributeError):
        data.oMi = []


# ---- limits and gravity

KINDS = """<robot name="kinds">
  <link name="l0"/><link name="l1"/><link name="l2"/><link name="l3"/><link name="l4"/>
  <joint name="turn" type="revolute"><parent link="l0"/><child link="l1"/>
    <limit lower="-1" upper="2" effort="3" velocity="4"/></joint>
  <joint name="spin" type="continuous"><parent link="l1"/><child link="l2"/>
    <limit effort="5" velocity="6"/></joint>
  <joint name="weld" type="fixed"><parent link="l2"/><child link="l3"/></joint>
  <joint name="slide" type="prismatic"><parent link="l3"/><child link="l4"/>
    <limit lower="-0.5" upper="0.5" effort="7" velocity="8"/></joint>
</robot>"""


def kinds_model():
    return kinetra.build_models_from_urdf_string(KINDS)[0]


def all_limits(m):
    return [getattr(m, name).tolist() for name in
            ("lower_position_limits", "upper_position_limits", "velocity_limits", "effort_limits")]


def test_limits_in_q_and_v_order():
    m = kinds_model()
    # the continuous joint's (cos, sin) pair keeps its default bounds
    assert all_limits(m) == [[-1, -1.01, -1.01, -0.5], [2, 1.01, 1.01, 0.5], [4, 6, 8], [3, 5, 7]]
    assert all(getattr(m, name).dtype == np.float64 for name in ("velocity_limits", "effort_limits"))
    m.lower_position_limits = np.array([-2.0, -1, -1, -0.25])
    m.upper_position_limits = np.array([3.0, 1, 1, 0.25])
    m.velocity_limits = np.array([1.0, 2, 3])
    m.effort_limits = np.array([4.0, 5, 6])[::-1]
    assert all_limits(m) == [[-2, -1, -1, -0.25], [3, 1, 1, 0.25], [1, 2, 3], [6, 5, 4]]
    samples = np.array([kinetra.random_configuration(m, seed=s).to_numpy() for s in range(200)])
    assert samples[:, 0].min() < -1.5 and samples[:, 0].max() > 2.5
    assert np.all(np.abs(samples[:, 3]) <= 0.25)


@pytest.mark.parametrize("name, value, error, message", [
    ("lower_position_limits", np.zeros(3), ValueError,
     "lower_position_limits: expected 4 values, got 3"),
    ("lower_position_limits", np.array([-1.0, -1, -1, 0.6]), ValueError,
     "lower_position_limits: lower limit above upper limit at index 3"),
    ("upper_position_limits", np.array([2.0, np.nan, 1, 1]), ValueError,
     "upper_position_limits: lower limit above upper limit at index 1"),
    ("velocity_limits", np.zeros(4), ValueError, "velocity_limits: expected 3 values, got 4"),
    ("velocity_limits", np.array([1.0, -1, 1]), ValueError,
     "velocity_limits: negative or NaN limit at index 1"),
    ("effort_limits", np.array([1.0, 1, np.nan]), ValueError,
     "effort_limits: negative or NaN limit at index 2"),
    ("effort_limits", np.zeros((3, 1)), TypeError, "argument 'effort_limits': "),
    ("effort_limits", "abc", TypeError, "argument 'effort_limits': "),
    ("gravity", np.zeros(2), ValueError, "gravity: expected 3 finite numbers, got shape [2]"),
    ("gravity", np.array([0.0, np.inf, 0]), ValueError,
     "gravity: expected 3 finite numbers, got a non-finite one"),
])
def test_refused_limits_and_gravity_change_nothing(name, value, error, message):
    m = kinds_model()
    before = all_limits(m) + [m.gravity.tolist()]
    with pytest.raises(error) as raised:
        setattr(m, name, value)
    assert str(raised.value).startswith(message)
    assert all_limits(m) + [m.gravity.tolist()] == before


def test_gravity_setter_scales_the_gravity_torques():
    m = kinds_model()
    data = m.create_data()
    q = kinetra.random_configuration(m, seed=1).to_numpy()
    m.gravity = np.array([1.0, 2.0, 3.0])
    assert m.gravity.tolist() == [1.0, 2.0, 3.0]
    tau = kinetra.generalized_gravity(m, data, q).to_numpy()
    m.gravity = np.array([2.0, 4.0, 6.0])
    np.testing.assert_allclose(kinetra.generalized_gravity(m, data, q).to_numpy(), 2 * tau)
