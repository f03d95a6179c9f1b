import textwrap

import numpy as np
import pytest

import kinetra
from kinetra import SE3, GeometryData, GeometryModel, GeometryObject
from kinetra.vortan import Cuboid, PyMesh, Sphere

# quarter turn about z: columns (0, 1, 0), (-1, 0, 0), (0, 0, 1)
QUARTER_TURN_Z = np.array([[0.0, -1.0, 0.0], [1.0, 0.0, 0.0], [0.0, 0.0, 1.0]])
RGBA = [0.1, 0.2, 0.3, 0.4]
REFUSED = "'{}' object cannot be converted to '{}'"
COLOR_LENGTH = "expected a NumPy array of length 4 for 'color', but got {}."


def placement(translation, rotation=None):
    return SE3(np.eye(3) if rotation is None else rotation, np.array(translation, dtype=float))


def make_object(name="g", parent_joint=0, shape=None, where=None):
    where = where or placement([0.0, 0.0, 0.0])
    return GeometryObject(name, parent_joint, 0, shape or Sphere(0.1), where)


def same_placement(a, b):
    return np.array_equal(a.homogeneous, b.homogeneous)


def empty_data():
    return kinetra.Data(kinetra.Model())


@pytest.mark.parametrize(
    "member, signature, doc",
    [
        (GeometryObject, "(*py_args)", "A Python wrapper for the `GeometryObject` struct."),
        (GeometryModel, "()", "A Python wrapper for the [`GeometryModel`] struct."),
        (
            GeometryModel.add_geometry_object,
            "($self, object)",
            "Adds a new geometry model to the list of models.\n\n# Arguments\n\n* `object` - "
            "The geometry object to be added to the model.\n\n# Returns\n\nThe index of the "
            "added geometry object.",
        ),
        (
            GeometryModel.get_geometry_id,
            "($self, name)",
            "Returns the ID of the geometry object with the given name, if it exists.",
        ),
        (
            GeometryModel.create_data,
            "($self, data)",
            "Creates a new `GeometryData` object based on the provided model and data.\n\n# "
            "Arguments\n\n* `data` - The data to be used for creating the geometry data.\n# "
            "Returns\n\nA `GeometryData` object containing the geometry data for the model.",
        ),
        (GeometryData, "(data, geom_model)", "A Python wrapper for the `GeometryData` struct."),
        (
            GeometryData.get_object_placement,
            "($self, object_index)",
            "Returns the placement of the object of given index in the world frame.\n\n# "
            "Arguments\n\n* `object_index` - The index of the object.\n\n# Returns\nThe object "
            "placement if it exists, otherwise `None`.",
        ),
        (
            GeometryData.update_geometry_data,
            "($self, data, geom_model)",
            "Updates the geometry data using the updated model data and geometry model.\n\n# "
            "Arguments\n\n* `data` - The model data object.\n* `geom_model` - The geometry "
            "model object.",
        ),
    ],
)
def test_docstrings(member, signature, doc):
    assert member.__text_signature__ == signature
    assert member.__doc__ == doc


def test_property_docstrings():
    objects_doc = "Returns the list of geometry objects in the model."
    assert GeometryModel.geometry_objects.__doc__ == objects_doc
    assert GeometryModel.ngeoms.__doc__ is None


# ---- GeometryObject


def test_object_fields_and_defaults():
    where = placement([1.0, 2.0, 3.0], QUARTER_TURN_Z)
    obj = GeometryObject("arm_0", 2, 5, Sphere(0.5), where)
    assert (obj.name, obj.parent_joint, obj.parent_frame) == ("arm_0", 2, 5)
    assert obj.disable_collision is False
    assert obj.mesh_color.dtype == np.float64
    assert obj.mesh_color.tolist() == [0.0, 0.0, 0.0, 1.0]
    assert same_placement(obj.placement, where)


@pytest.mark.parametrize("count", [0, 4, 6])
def test_object_needs_five_arguments(count):
    args = ["g", 0, 0, Sphere(1.0), SE3.Identity(), 7][:count]
    with pytest.raises(ValueError) as info:
        GeometryObject(*args)
    assert str(info.value) == (
        f"incorrect number of arguments, expected 5, but got {count}. Signature: "
        "GeometryObject(name, parent_joint, parent_frame, geometry, placement)"
    )


@pytest.mark.parametrize("geometry", [None, "sphere", [1.0], PyMesh("a.stl")])
def test_object_refuses_non_shapes(geometry):
    with pytest.raises(ValueError) as info:
        GeometryObject("g", 0, 0, geometry, SE3.Identity())
    assert str(info.value) == f"expected a shape for 'geometry', but got {geometry!r}."


@pytest.mark.parametrize(
    "index, value, error, message",
    [
        (0, 1, TypeError, "argument 'name': " + REFUSED.format("int", "PyString")),
        (2, "0", TypeError, "argument 'parent_frame': 'str' object cannot be interpreted as an "
                            "integer"),
        (1, -1, OverflowError, "can't convert negative value to size_t"),
        (4, np.eye(4), TypeError, "argument 'placement': " + REFUSED.format("ndarray", "SE3")),
    ],
)
def test_object_argument_conversion(index, value, error, message):
    args = ["g", 0, 0, Sphere(1.0), SE3.Identity()]
    args[index] = value
    with pytest.raises(error) as info:
        GeometryObject(*args)
    assert str(info.value) == message


def test_object_takes_positional_arguments_only():
    with pytest.raises(TypeError, match="unexpected keyword argument 'name'"):
        GeometryObject(name="g", parent_joint=0, parent_frame=0, geometry=Sphere(1.0),
                       placement=SE3.Identity())


def test_object_repr_is_pretty_debug_text():
    obj = GeometryObject("base_0", 1, 2, Sphere(0.1), placement([1.0, 0.5, -3.0], QUARTER_TURN_Z))
    obj.mesh_color = np.array([0.1, 0.25, 1.0, 1e-5])
    assert repr(obj) == """GeometryObject {
    name: "base_0",
    parent_joint: 1,
    parent_frame: 2,
    disable_collision: false,
    mesh_color: Color(
        [
            [
                0.1,
                0.25,
                1.0,
                1e-5,
            ],
        ],
    ),
    placement: SE3(
        Isometry {
            rotation: [
                [
                    0.0,
                    1.0,
                    0.0,
                ],
                [
                    -1.0,
                    0.0,
                    0.0,
                ],
                [
                    0.0,
                    0.0,
                    1.0,
                ],
            ],
            translation: [
                1.0,
                0.5,
                -3.0,
            ],
        },
    ),
}"""


def test_object_keeps_its_own_copies():
    where = placement([1.0, 2.0, 3.0])
    obj = make_object(where=where)
    where.translation = np.array([9.0, 9.0, 9.0])
    obj.placement.translation = np.array([8.0, 8.0, 8.0])
    obj.mesh_color[:] = 5.0
    assert obj.placement.translation.tolist() == [1.0, 2.0, 3.0]
    assert obj.mesh_color.tolist() == [0.0, 0.0, 0.0, 1.0]


@pytest.mark.parametrize(
    "colour",
    [
        np.array(RGBA),
        np.array([0.1, 9.0, 0.2, 9.0, 0.3, 9.0, 0.4, 9.0])[::2],
        np.array(RGBA[::-1])[::-1],
        np.array(RGBA).reshape(2, 2),
        np.asfortranarray(np.array(RGBA).reshape(2, 2)),
    ],
    ids=["contiguous", "strided", "negative-step", "2x2", "2x2-fortran"],
)
def test_mesh_color_reads_elements_in_logical_order(colour):
    obj = make_object()
    obj.mesh_color = colour
    assert obj.mesh_color.tolist() == RGBA


@pytest.mark.parametrize(
    "colour, error, message",
    [
        (np.zeros(3), ValueError, COLOR_LENGTH.format(3)),
        (np.zeros(5), ValueError, COLOR_LENGTH.format(5)),
        (np.zeros((2, 3)), ValueError, COLOR_LENGTH.format(6)),
        (["a"] * 4, TypeError, "argument 'color': " + REFUSED.format("list", "PyArray<T, D>")),
        (np.ones(4, dtype=complex), TypeError,
         "argument 'color': " + REFUSED.format("ndarray", "PyArray<T, D>")),
    ],
)
def test_mesh_color_refusals_leave_the_colour_unchanged(colour, error, message):
    obj = make_object()
    obj.mesh_color = np.array(RGBA)
    with pytest.raises(error) as info:
        obj.mesh_color = colour
    assert str(info.value) == message
    with pytest.raises(AttributeError) as info:
        del obj.mesh_color
    assert str(info.value) == "can't delete attribute"
    assert obj.mesh_color.tolist() == RGBA


# ---- GeometryModel


def test_empty_model():
    model = GeometryModel()
    assert model.ngeoms == 0
    assert model.geometry_objects == []
    assert model.get_geometry_id("x") is None
    assert repr(model) == "GeometryModel {\n    objects: [],\n}"


def test_model_indices_lookup_and_repr():
    model = GeometryModel()
    assert model.add_geometry_object(make_object("twin")) == 0
    assert model.add_geometry_object(object=make_object("twin")) == 1
    assert model.add_geometry_object(make_object("other")) == 2
    assert model.ngeoms == 3
    assert model.get_geometry_id("twin") == 0
    assert model.get_geometry_id(name="other") == 2
    assert model.get_geometry_id("Twin") is None
    objects = "".join(textwrap.indent(repr(o), " " * 8) + ",\n" for o in model.geometry_objects)
    assert repr(model) == "GeometryModel {\n    objects: [\n" + objects + "    ],\n}"


def test_model_stores_and_hands_out_deep_copies():
    model = GeometryModel()
    obj = make_object("a", shape=Cuboid([2.0, 4.0, 6.0]), where=placement([1.0, 0.0, 0.0]))
    model.add_geometry_object(obj)
    obj.mesh_color = np.array(RGBA)
    model.geometry_objects[0].mesh_color = np.array(RGBA)
    stored = model.geometry_objects[0]
    assert stored.mesh_color.tolist() == [0.0, 0.0, 0.0, 1.0]
    assert stored.geometry.half_extents.tolist() == [1.0, 2.0, 3.0]
    assert stored.placement.translation.tolist() == [1.0, 0.0, 0.0]


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda m: m.add_geometry_object(Sphere(1.0)),
         "argument 'object': " + REFUSED.format("Sphere", "GeometryObject")),
        (lambda m: m.create_data(kinetra.Model()),
         "argument 'data': " + REFUSED.format("Model", "Data")),
    ],
)
def test_model_argument_errors(call, message):
    model = GeometryModel()
    with pytest.raises(TypeError) as info:
        call(model)
    assert str(info.value) == message
    assert model.ngeoms == 0


# ---- GeometryData


@pytest.mark.parametrize("index", [0, 3])
def test_missing_placement_raises_key_error(index):
    data = GeometryModel().create_data(empty_data())
    with pytest.raises(KeyError) as info:
        data.get_object_placement(index)
    assert info.value.args == (f"Object with index {index} not found",)


def test_placement_on_the_world_joint_is_the_object_placement():
    where = placement([0.5, -1.0, 2.0], QUARTER_TURN_Z)
    model = GeometryModel()
    model.add_geometry_object(make_object(where=where))
    for data in (GeometryData(empty_data(), model), model.create_data(data=empty_data())):
        first = data.get_object_placement(object_index=0)
        assert same_placement(first, where)
        assert first is not data.get_object_placement(0)


def test_object_beyond_the_joints_is_reported_before_anything_changes():
    model = GeometryModel()
    model.add_geometry_object(make_object("ok", 0, where=placement([1.0, 0.0, 0.0])))
    data = model.create_data(empty_data())
    model.add_geometry_object(make_object("loose", 3))
    message = "Geometry object 1 is attached to joint 3, but the data holds 1 joint placements"
    for build in (lambda d: GeometryData(d, model), lambda d: model.create_data(d),
                  lambda d: data.update_geometry_data(d, model)):
        with pytest.raises(ValueError) as info:
            build(empty_data())
        assert str(info.value) == message
    assert same_placement(data.get_object_placement(0), placement([1.0, 0.0, 0.0]))
    with pytest.raises(KeyError):
        data.get_object_placement(1)


def two_joint_arm():
    """Joint 1 turns about z at (1, 0, 0); joint 2 turns about x, 0.5 above joint 1."""
    model = kinetra.Model()
    model.add_joint(0, kinetra.JointModelRZ(), placement([1.0, 0.0, 0.0]), "shoulder")
    model.add_joint(1, kinetra.JointModelRX(), placement([0.0, 0.0, 0.5]), "elbow")
    return model


def arm_geometry():
    model = GeometryModel()
    model.add_geometry_object(make_object("ground", 0, where=placement([0.0, 0.0, -1.0])))
    model.add_geometry_object(make_object("upper", 1, where=placement([0.2, 0.0, 0.0])))
    lower = placement([0.0, 0.3, 0.0], QUARTER_TURN_Z)
    model.add_geometry_object(make_object("lower", 2, where=lower))
    return model


def test_update_replaces_every_placement():
    geometry = arm_geometry()
    ground_only = GeometryModel()
    ground_only.add_geometry_object(geometry.geometry_objects[0])
    data = kinetra.Data(two_joint_arm())
    placements = GeometryData(data, geometry)
    assert placements.update_geometry_data(data=data, geom_model=ground_only) is None
    assert same_placement(placements.get_object_placement(0), placement([0.0, 0.0, -1.0]))
    with pytest.raises(KeyError):
        placements.get_object_placement(1)


@pytest.mark.skipif(not hasattr(kinetra, "forward_kinematics"),
                    reason="kinetra.forward_kinematics is not bound in this build")
def test_placements_follow_the_joints_only_after_an_update():
    model = two_joint_arm()
    geometry = arm_geometry()
    data = kinetra.Data(model)
    kinetra.forward_kinematics(model, data, np.array([0.0, 0.0]))
    placements = GeometryData(data, geometry)
    assert np.allclose(placements.get_object_placement(1).translation, [1.2, 0.0, 0.0])
    before = [placements.get_object_placement(i) for i in range(3)]

    kinetra.forward_kinematics(model, data, np.array([np.pi / 2, 0.3]))
    for i in range(3):
        assert same_placement(placements.get_object_placement(i), before[i])

    placements.update_geometry_data(data, geometry)
    joints = data.joint_placements
    for i, obj in enumerate(geometry.geometry_objects):
        expected = joints[obj.parent_joint] * obj.placement
        assert same_placement(placements.get_object_placement(i), expected)
    assert same_placement(placements.get_object_placement(0), before[0])
    # a quarter turn of the shoulder swings the upper-arm object onto the y axis
    assert np.allclose(placements.get_object_placement(1).translation, [1.0, 0.2, 0.0])
    # the lower object's x axis is its joint's y axis, tilted by the elbow, swung by the shoulder
    lower = placements.get_object_placement(2).rotation
    assert np.allclose(lower[:, 0], [-np.cos(0.3), 0.0, np.sin(0.3)])
