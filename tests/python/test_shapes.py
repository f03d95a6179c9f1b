import sys

import numpy as np
import pytest

import kinetra
from kinetra import vortan
from kinetra.vortan import Capsule, Cone, Cuboid, Cylinder, PyMesh, Shape, ShapeType, Sphere

TOO_FEW_SIDES = "expected a sequence of at least 3 numbers for 'sides', but got {}."
SHAPE_CLASSES = ["Capsule", "Cone", "Cuboid", "Cylinder", "Sphere", "PyMesh", "Shape", "ShapeType"]


def f32(x):
    """The 32-bit float nearest to x, widened."""
    return float(np.float32(x))


def shape_of(primitive):
    """The Shape a geometry object hands out for `primitive`."""
    obj = kinetra.GeometryObject("g", 0, 0, primitive, kinetra.SE3.Identity())
    return obj.geometry


def test_submodule_lists_the_shape_classes_in_order():
    assert vortan.__name__ == "vortan"
    assert vortan.__all__ == SHAPE_CLASSES + ["distance"]
    assert sys.modules["kinetra.vortan"] is vortan
    assert kinetra.__all__.count("vortan") == 1
    for name in SHAPE_CLASSES:
        assert not hasattr(kinetra, name), name
        assert getattr(vortan, name).__module__ == "builtins"


@pytest.mark.parametrize(
    "cls, signature",
    [
        (Sphere, "(radius)"),
        (Cuboid, "(sides)"),
        (Capsule, "(radius, length)"),
        (Cone, "(radius, length)"),
        (Cylinder, "(radius, length)"),
        (PyMesh, "(path)"),
    ],
)
def test_constructor_signatures(cls, signature):
    assert cls.__text_signature__ == signature
    expected_doc = "A Python wrapper for the Mesh type." if cls is PyMesh else ""
    assert cls.__doc__ == expected_doc


@pytest.mark.parametrize(
    "method, doc",
    [
        (Cone.radius, "Returns the radius of the cone."),
        (Cone.half_length, "Returns the half length of the cone."),
        (Cylinder.radius, "Returns the radius of the cylinder."),
        (Cylinder.half_length, "Returns the half length of the cylinder."),
    ],
)
def test_accessor_docstrings(method, doc):
    assert method.__text_signature__ == "($self)"
    assert method.__doc__ == doc


@pytest.mark.parametrize("cls", [Cone, Cylinder])
@pytest.mark.parametrize("radius, length", [(0.5, 2.0), (0.1, 0.1), (-1.0, 0.0)])
def test_dimensions_are_single_precision_and_halved(cls, radius, length):
    shape = cls(radius, length)
    assert shape.radius() == f32(radius)
    assert shape.half_length() == float(np.float32(length) * np.float32(0.5))
    assert type(shape.radius()) is float


@pytest.mark.parametrize(
    "primitive, code, radius, half_length, half_extents",
    [
        (Capsule(0.25, 3.0), 0, 0.25, 1.5, None),
        (Cone(0.1, 0.5), 1, f32(0.1), 0.25, None),
        (Cuboid([1.0, 2.0, 3.0, 4.0]), 2, None, None, [0.5, 1.0, 1.5]),
        (Cylinder(0.1, 0.5), 3, 0.10000000149011612, 0.25, None),
        (Sphere(0.2), 4, 0.20000000298023224, None, None),
        (Sphere(-1.5), 4, -1.5, None, None),
    ],
)
def test_shape_answers_through_the_interface(primitive, code, radius, half_length, half_extents):
    shape = shape_of(primitive)
    assert int(shape.shape_type) == code
    checks = [
        ("radius", radius, "Shape does not have a radius"),
        ("half_length", half_length, "Shape does not have a half length"),
        ("half_extents", half_extents, "Shape does not have half extents"),
    ]
    for name, expected, message in checks:
        if expected is None:
            with pytest.raises(ValueError) as info:
                getattr(shape, name)
            assert str(info.value) == message
        elif name == "half_extents":
            extents = shape.half_extents
            assert extents.dtype == np.float32 and extents.shape == (3,)
            assert extents.tolist() == expected
        else:
            assert getattr(shape, name) == expected
    with pytest.raises(ValueError) as info:
        shape.mesh_path
    assert str(info.value) == "Shape is not a mesh and does not have a path"
    # a failed query leaves the shape usable
    assert int(shape.shape_type) == code


@pytest.mark.parametrize(
    "sides",
    [
        [1.0, 2.0, 3.0],
        (1, 2, 3),
        np.array([1.0, 2.0, 3.0]),
        [1.0, 2.0, 3.0, 4.0],
        range(1, 5),
    ],
)
def test_cuboid_accepts_any_sequence_of_numbers(sides):
    assert shape_of(Cuboid(sides)).half_extents.tolist() == [0.5, 1.0, 1.5]


@pytest.mark.parametrize(
    "sides, error, message",
    [
        ("abc", TypeError, "argument 'sides': Can't extract `str` to `Vec`"),
        (5, TypeError, "argument 'sides': 'int' object cannot be converted to 'PySequence'"),
        ({1, 2}, TypeError, "argument 'sides': 'set' object cannot be converted to 'PySequence'"),
        ([1.0, "a", 3.0], TypeError, "argument 'sides': must be real number, not str"),
        ([], ValueError, TOO_FEW_SIDES.format(0)),
        ([1.0], ValueError, TOO_FEW_SIDES.format(1)),
        ((1.0, 2.0), ValueError, TOO_FEW_SIDES.format(2)),
    ],
)
def test_cuboid_refusals(sides, error, message):
    with pytest.raises(error) as info:
        Cuboid(sides)
    assert str(info.value) == message


@pytest.mark.parametrize(
    "make, message",
    [
        (lambda: Sphere("1"), "argument 'radius': must be real number, not str"),
        (lambda: Cone(1.0, "2"), "argument 'length': must be real number, not str"),
        (lambda: Cylinder(1.0, [2.0]), "argument 'length': must be real number, not list"),
        (lambda: PyMesh(1), "argument 'path': 'int' object cannot be converted to 'PyString'"),
    ],
)
def test_constructor_argument_errors(make, message):
    with pytest.raises(TypeError) as info:
        make()
    assert str(info.value) == message


@pytest.mark.parametrize("path", ["meshes/base.stl", "/abs/ü ñ.dae"])
def test_mesh_path_is_kept_exactly(path):
    mesh = PyMesh(path)
    assert mesh.mesh_path == path
    with pytest.raises(AttributeError):
        mesh.mesh_path = "other"


@pytest.mark.parametrize("cls", [Shape, ShapeType])
def test_classes_without_constructor(cls):
    with pytest.raises(TypeError) as info:
        cls()
    assert str(info.value) == f"No constructor defined for {cls.__name__}"


@pytest.mark.parametrize(
    "name, code",
    [("Capsule", 0), ("Cone", 1), ("Cuboid", 2), ("Cylinder", 3), ("Sphere", 4), ("Mesh", 5)],
)
def test_shape_type_kinds(name, code):
    kind = getattr(ShapeType, name)
    assert repr(kind) == f"ShapeType.{name}"
    assert int(kind) == code


def test_shape_type_has_no_doc_and_equality_by_kind():
    assert ShapeType.__doc__ is None
    handed_out = shape_of(Sphere(1.0)).shape_type
    assert repr(handed_out) == "ShapeType.Sphere"
    assert handed_out == ShapeType.Sphere
    assert int(handed_out) == int(ShapeType.Sphere)


def test_geometry_hands_out_fresh_copies():
    obj = kinetra.GeometryObject("g", 0, 0, Cuboid([2.0, 2.0, 2.0]), kinetra.SE3.Identity())
    first, second = obj.geometry, obj.geometry
    assert first is not second
    extents = first.half_extents
    extents[:] = 9.0
    assert obj.geometry.half_extents.tolist() == [1.0, 1.0, 1.0]
    assert first.half_extents.tolist() == [1.0, 1.0, 1.0]


URDF_WITH_MESH = """<?xml version="1.0"?>
<robot name="r">
  <link name="base">
    <collision><geometry><mesh filename="{path}"/></geometry></collision>
  </link>
</robot>
"""


def test_mesh_geometry_reports_its_path(tmp_path):
    if not hasattr(kinetra, "build_models_from_urdf"):
        pytest.skip("build_models_from_urdf is not bound in this build")
    mesh = tmp_path / "base.stl"
    mesh.write_bytes(b"")
    urdf = tmp_path / "r.urdf"
    urdf.write_text(URDF_WITH_MESH.format(path=mesh))
    _, collision, _ = kinetra.build_models_from_urdf(str(urdf))
    shape = collision.geometry_objects[0].geometry
    assert int(shape.shape_type) == 5
    assert shape.mesh_path == str(mesh)
    for name, message in [
        ("radius", "Shape does not have a radius"),
        ("half_extents", "Shape does not have half extents"),
        ("half_length", "Shape does not have a half length"),
    ]:
        with pytest.raises(ValueError) as info:
            getattr(shape, name)
        assert str(info.value) == message
