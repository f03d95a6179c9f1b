"""Shapes of geometry objects, in the object's frame. Lengths are in metres and kept in single
precision; a shape is centred at the frame origin, its axis (where it has one) along z."""

from collections.abc import Sequence
from typing import ClassVar, final

import numpy as np
from numpy.typing import NDArray

from kinetra import SE3

__all__ = [
    "Capsule", "Cone", "Cuboid", "Cylinder", "Sphere", "PyMesh", "Shape", "ShapeType", "distance"
]

@final
class Capsule:
    """A cylinder capped by two half balls, its axis along z."""

    def __new__(cls, radius: float, length: float) -> Capsule:
        """`length`: the cylinder part's full length along z (the caps add `radius` at each
        end)."""

    def __copy__(self) -> Capsule:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Capsule:
        """An independent copy (the same as __copy__)."""

@final
class Cone:
    """A cone with its axis along z."""

    def __new__(cls, radius: float, length: float) -> Cone:
        """`radius` of the base; `length`: full height along z."""

    def radius(self) -> float:
        """Radius of the base."""

    def half_length(self) -> float:
        """Half the height along z."""

    def __copy__(self) -> Cone:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Cone:
        """An independent copy (the same as __copy__)."""

@final
class Cuboid:
    """A box with its edges along the frame axes."""

    def __new__(cls, sides: Sequence[float]) -> Cuboid:
        """`sides`: the full edge lengths along x, y and z (a sequence of at least 3 numbers;
        only the first three are read)."""

    def __copy__(self) -> Cuboid:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Cuboid:
        """An independent copy (the same as __copy__)."""

@final
class Cylinder:
    """A cylinder with its axis along z."""

    def __new__(cls, radius: float, length: float) -> Cylinder:
        """`length`: full length along z."""

    def radius(self) -> float:
        """Radius."""

    def half_length(self) -> float:
        """Half the length along z."""

    def __copy__(self) -> Cylinder:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Cylinder:
        """An independent copy (the same as __copy__)."""

@final
class Sphere:
    """A ball."""

    def __new__(cls, radius: float) -> Sphere: ...
    def __copy__(self) -> Sphere:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Sphere:
        """An independent copy (the same as __copy__)."""

@final
class PyMesh:
    """A triangle mesh read from a file."""

    def __new__(cls, path: str) -> PyMesh:
        """`path`: the mesh file, as resolved by the caller."""

    @property
    def mesh_path(self) -> str:
        """The mesh file's path."""

    @property
    def scale(self) -> NDArray[np.float32]:
        """The factors (x, y, z) applied to the file's coordinates, a (3,) float32 array:
        (1, 1, 1), or the URDF's <mesh scale>."""

    def __copy__(self) -> PyMesh:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> PyMesh:
        """An independent copy (the same as __copy__)."""

@final
class Shape:
    """The shape of a geometry object (GeometryObject.geometry), read-only. Each property
    raises ValueError on shapes that do not have it."""

    @property
    def shape_type(self) -> ShapeType:
        """The kind of shape."""

    @property
    def radius(self) -> float:
        """Radius of a sphere, capsule, cone or cylinder."""

    @property
    def half_extents(self) -> NDArray[np.float32]:
        """Half the edge lengths of a cuboid along x, y, z: a (3,) float32 array."""

    @property
    def half_length(self) -> float:
        """Half the length along z of a capsule's cylinder part, a cone or a cylinder."""

    @property
    def mesh_path(self) -> str:
        """The file of a mesh."""

    @property
    def scale(self) -> NDArray[np.float32]:
        """The factors (x, y, z) a mesh's file coordinates are multiplied by, (3,) float32."""

    def __copy__(self) -> Shape:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Shape:
        """An independent copy (the same as __copy__)."""

@final
class ShapeType:
    """Kinds of shape: class attributes, equal and hashed by kind; repr "ShapeType.Sphere",
    int() the code, .name "Sphere"."""

    Capsule: ClassVar[ShapeType]
    Cone: ClassVar[ShapeType]
    Cuboid: ClassVar[ShapeType]
    Cylinder: ClassVar[ShapeType]
    Sphere: ClassVar[ShapeType]
    Mesh: ClassVar[ShapeType]

    def __int__(self) -> int:
        """The kind's code: Capsule 0, Cone 1, Cuboid 2, Cylinder 3, Sphere 4, Mesh 5."""

    @property
    def name(self) -> str:
        """The kind's name, e.g. "Sphere"."""

    def __eq__(self, value: object, /) -> bool:
        """Equal when the kinds are equal."""

    def __hash__(self) -> int:
        """Hashed by kind: equal kinds hash alike."""

def distance(
    shape1: Capsule | Cone | Cuboid | Cylinder | Sphere | PyMesh | Shape,
    placement1: SE3,
    shape2: Capsule | Cone | Cuboid | Cylinder | Sphere | PyMesh | Shape,
    placement2: SE3,
) -> tuple[float, NDArray[np.float64], NDArray[np.float64], NDArray[np.float64]]:
    """The signed distance between two placed shapes: (distance, point1, point2, normal).
    Negative when they overlap (minus the penetration depth); point1, point2 (3,) are the
    nearest (or deepest) points in the world; normal (3,) is the unit vector from shape 1 to
    shape 2, point2 - point1 = distance * normal. A PyMesh is read from its file."""
