"""Kinematics and dynamics of articulated robots.

Conventions shared by every name below:

- array arguments take anything NumPy converts to float64 without loss of meaning (float64,
  integer, float32 or bool arrays of any strides and byte order, lists, tuples, Configuration);
  complex, str and object values are refused with TypeError;
- array results are new float64 arrays owned by the caller;
- q has nq entries in joint order; v, a (accelerations) and tau (efforts) have nv entries
  (nq > nv with floating, spherical or planar joints: see integrate and difference);
- placements (SE3) map coordinates of a child frame into its parent frame; "world" placements
  map them into the world frame;
- six-vectors (twists, accelerations, Jacobian rows) are (angular; linear): entries 0-2 are the
  angular part, 3-5 the linear part;
- models, geometry, frames, joint models, spatial values and shapes pickle and copy (pickle,
  copy.copy, copy.deepcopy); a Data copies but does not pickle.

kinetra.batch runs the algorithms over many states at once; kinetra.vortan holds the shapes.
"""

import os
from collections.abc import Iterator, Mapping
from typing import Any, ClassVar, Final, Literal, SupportsIndex, TypeAlias, final, overload

import numpy as np
from numpy.typing import ArrayLike, NDArray

from . import batch as batch, vortan as vortan
from . import viewer as viewer

__all__ = [
    "Configuration",
    "Model",
    "Data",
    "Frame",
    "FrameType",
    "JointModel",
    "GeometryModel",
    "GeometryData",
    "GeometryObject",
    "neutral",
    "random_configuration",
    "build_models_from_urdf",
    "WORLD_ID",
    "STANDARD_GRAVITY",
    "Inertia",
    "JointType",
    "JointModelRX",
    "JointModelRY",
    "JointModelRZ",
    "SE3",
    "SE3",
    "Vector3D",
    "Vector6D",
    "Symmetric3",
    "forward_kinematics",
    "forward_dynamics",
    "aba",
    "inverse_dynamics",
    "rnea",
    "vortan",
    "crba",
    "mass_matrix",
    "nonlinear_effects",
    "generalized_gravity",
    "kinetic_energy",
    "potential_energy",
    "build_models_from_urdf_string",
    "frame_placement",
    "frame_placements",
    "frame_jacobian",
    "frame_velocity",
    "frame_acceleration",
    "frame_jacobian_time_variation",
    "center_of_mass",
    "center_of_mass_jacobian",
    "total_mass",
    "JointModelFloating",
    "JointModelSpherical",
    "JointModelPlanar",
    "integrate",
    "difference",
    "interpolate",
    "normalize",
    "centroidal_momentum",
    "batch",
    "rnea_derivatives",
    "aba_derivatives",
    "inverse_mass_matrix",
    "integrate_derivatives",
    "difference_derivatives",
    "step_derivatives",
    "compute_distances",
    "compute_collisions",
    "exp3",
    "log3",
    "exp6",
    "log6",
    "jexp3",
    "jlog3",
    "jexp6",
    "jlog6",
    "rpy_to_matrix",
    "matrix_to_rpy",
    "quaternion_to_matrix",
    "matrix_to_quaternion",
    "inverse_kinematics",
    "IKResult",
]

# A float64 array returned by kinetra; its shape is given where it is returned.
_Array: TypeAlias = NDArray[np.float64]
# An array argument, of the shape the parameter states.
_ArrayIn: TypeAlias = ArrayLike | Configuration
_Path: TypeAlias = str | os.PathLike[str]
_JacobianKind: TypeAlias = Literal["geometric", "body", "spatial"]

__version__: Final[str]
"""The installed distribution's version, e.g. "0.1.0"."""

WORLD_ID: Final[int]
"""Id of the world joint (0): the root every joint descends from; also the world frame's id."""

STANDARD_GRAVITY: Final[_Array]
"""(3,) array (0, 0, -9.81) in m/s^2, world frame: the gravity a new Model starts with."""

# ---- configurations

@final
class Configuration:
    """A joint-space vector returned by the algorithms: a configuration q (nq,) or a velocity,
    acceleration or effort vector (nv,). Not constructible from Python; numpy.asarray(c) views
    it as a read-only (n,) float64 array."""

    def to_numpy(self) -> _Array:
        """The entries as a new (n,) float64 array, in q or v order."""

    @property
    def __array_interface__(self) -> dict[str, Any]:
        """NumPy's array interface: numpy.asarray(c) is a read-only (n,) float64 view of the
        entries that keeps `c` alive."""

    def __add__(self, value: Configuration, /) -> Configuration:
        """Entry-wise sum of two vectors of the same length (RuntimeError "Matrix
        addition/subtraction dimensions mismatch." otherwise). With an array operand, NumPy
        adds and the result is an array."""

    def __radd__(self, value: Configuration, /) -> Configuration: ...
    def __mul__(self, value: float, /) -> Configuration:
        """Every entry scaled by the number `value` (vector * number only)."""

    def __sub__(self, value: Configuration, /) -> Configuration:
        """Entry-wise difference of two vectors of the same length, with the errors of `+`.
        With an array operand, NumPy subtracts and the result is an array. For configurations
        q with quaternions, `difference(model, q0, q1)` is the velocity between them."""

    def __rsub__(self, value: Configuration, /) -> Configuration: ...
    def __neg__(self) -> Configuration:
        """Every entry negated."""

    def __len__(self) -> int:
        """The number of entries, nq or nv."""

    @overload
    def __getitem__(self, index: SupportsIndex, /) -> float:
        """Entry `index` as a float (negative counts from the end; IndexError past either
        end), or the entries a slice picks as a new float64 array."""

    @overload
    def __getitem__(self, index: slice, /) -> _Array: ...
    def __iter__(self) -> Iterator[float]:
        """The entries in order, as floats."""

    @property
    def shape(self) -> tuple[int]:
        """(n,), as for the array numpy.asarray(c) gives."""

    def __copy__(self) -> Configuration:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Configuration:
        """An independent copy (the same as __copy__)."""

# ---- model

@final
class Model:
    """A kinematic tree of joints carrying rigid bodies, with named frames.

    Joint 0 is the world joint "__WORLD__" and frame 0 the world frame "__WORLD_FRAME__"; a
    joint's parent always precedes it. Per-joint lists (joint_names, joint_parents,
    joint_placements, joint_models, inertias) have njoints entries, index = joint id.
    """

    def __new__(cls) -> Model:
        """An empty model: only the world joint and the world frame, standard gravity."""

    def add_joint(
        self, parent_id: SupportsIndex, joint_model: JointModel, placement: SE3, name: str
    ) -> int:
        """Appends a joint under joint `parent_id`; `placement` is the joint frame's rest
        placement in the parent joint's frame. Returns the new joint id (ValueError on an
        unknown parent or a taken name). The joint carries no inertia until frames add some."""

    def add_frame(self, frame: Frame, append_inertia: bool) -> int:
        """Appends `frame` and returns its id; a frame of the same name and type already present
        is returned instead. With append_inertia the frame's inertia (in the frame) is merged
        into the body of its parent joint. ValueError on an unknown parent joint."""

    def get_joint_id(self, name: str) -> int | None:
        """Id of the joint called `name`, or None."""

    def get_frame_id(self, name: str, frame_type: FrameType | None = None) -> int | None:
        """Id of the first frame called `name` (of `frame_type`, when given), or None."""

    def create_data(self) -> Data:
        """A new workspace sized for this model (the same as Data(model))."""

    @property
    def name(self) -> str:
        """The robot's name (from the URDF <robot name=...>; "" for a model built by hand)."""

    @name.setter
    def name(self, value: str, /) -> None: ...
    @property
    def nq(self) -> int:
        """Length of a configuration q."""

    @property
    def nv(self) -> int:
        """Length of a velocity, acceleration or effort vector."""

    @property
    def njoints(self) -> int:
        """Number of joints, the world joint included."""

    @property
    def nframes(self) -> int:
        """Number of frames, the world frame included."""

    @property
    def gravity(self) -> _Array:
        """Gravity acceleration in the world frame, a (3,) array in m/s^2 (a copy). Assign 3
        finite numbers to change it (ValueError otherwise, model unchanged)."""

    @gravity.setter
    def gravity(self, value: _ArrayIn, /) -> None: ...
    @property
    def lower_position_limits(self) -> _Array:
        """Every joint's lower position bound in q order, an (nq,) array (a copy: assign a whole
        array to change them; ValueError on a wrong length or a bound above its upper bound)."""

    @lower_position_limits.setter
    def lower_position_limits(self, value: _ArrayIn, /) -> None: ...
    @property
    def upper_position_limits(self) -> _Array:
        """Every joint's upper position bound in q order, an (nq,) array (a copy: assign a whole
        array to change them; ValueError on a wrong length or a bound below its lower bound)."""

    @upper_position_limits.setter
    def upper_position_limits(self, value: _ArrayIn, /) -> None: ...
    @property
    def velocity_limits(self) -> _Array:
        """Every joint's speed bound in v order, an (nv,) array (a copy: assign a whole array to
        change them; ValueError on a wrong length or a negative or NaN value)."""

    @velocity_limits.setter
    def velocity_limits(self, value: _ArrayIn, /) -> None: ...
    @property
    def effort_limits(self) -> _Array:
        """Every joint's effort bound in v order, an (nv,) array (a copy: assign a whole array to
        change them; ValueError on a wrong length or a negative or NaN value)."""

    @effort_limits.setter
    def effort_limits(self, value: _ArrayIn, /) -> None: ...
    @property
    def joint_names(self) -> list[str]:
        """Joint names by joint id ("__WORLD__" first)."""

    @property
    def joint_parents(self) -> list[int]:
        """Parent joint id of each joint (the world joint is its own parent, 0)."""

    @property
    def joint_placements(self) -> list[SE3]:
        """Rest placement of each joint frame in its parent joint's frame (copies)."""

    @property
    def joint_models(self) -> list[JointModel]:
        """The kind, sizes and axis of each joint (copies)."""

    @property
    def inertias(self) -> list[Inertia]:
        """Inertia of the body each joint carries, in that joint's frame (copies)."""

    @property
    def frames(self) -> list[Frame]:
        """Every frame by frame id (copies)."""

    @property
    def mimic_joints(self) -> list[tuple[int, int, float, float]]:
        """(mimicking joint id, reference joint id, multiplier, offset) of each joint that
        follows another, in reading order (read-only). Such a joint has no coordinate: nq, nv,
        the limits and every algorithm's q, v, results and Jacobian columns are the reduced
        ones, its motion entering the reference's columns scaled by the multiplier. Batch
        functions refuse such a model."""

    def __copy__(self) -> Model:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Model:
        """An independent copy (the same as __copy__)."""

@final
class Data:
    """The workspace of the algorithms for one model: pass it with that model. Holds the world
    placements of the joints after forward_kinematics (and the algorithms that run it)."""

    def __new__(cls, model: Model) -> Data:
        """A workspace sized for `model`; joint placements start as identities."""

    @property
    def joint_placements(self) -> list[SE3]:
        """World placement of each joint frame by joint id, from the last forward kinematics."""

    @property
    def oMi(self) -> list[SE3]:
        """World placement of each joint frame by joint id; an alias of joint_placements."""

    def __copy__(self) -> Data:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Data:
        """An independent copy (the same as __copy__)."""

@final
class Frame:
    """A named frame rigidly attached to a joint."""

    def __new__(
        cls,
        name: str,
        parent_joint: SupportsIndex,
        parent_frame: SupportsIndex,
        placement: SE3,
        frame_type: FrameType,
        inertia: Inertia,
    ) -> Frame:
        """A frame on joint `parent_joint`, placed by `placement` in that joint's frame;
        `parent_frame` is informational; `inertia` is the body the frame describes, in the
        frame (merged into the joint by Model.add_frame(frame, True))."""

    @property
    def name(self) -> str:
        """The frame's name."""

    @property
    def parent_joint(self) -> int:
        """Id of the joint carrying the frame."""

    @property
    def parent_frame(self) -> int:
        """Id of the frame it was declared under (informational)."""

    @property
    def placement(self) -> SE3:
        """Placement of the frame in its parent joint's frame."""

    @property
    def frame_type(self) -> FrameType:
        """The kind of frame."""

    @property
    def inertia(self) -> Inertia:
        """Inertia of the body the frame describes, in the frame (zero for non-body frames)."""

    def __copy__(self) -> Frame:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Frame:
        """An independent copy (the same as __copy__)."""

@final
class FrameType:
    """Kinds of frame: class attributes, equal and hashed by kind; repr "FrameType.Body",
    int() the code, .name "Body"."""

    Operational: ClassVar[FrameType]
    """A frame of interest given by the user."""
    Joint: ClassVar[FrameType]
    """The frame of a joint."""
    Fixed: ClassVar[FrameType]
    """The frame of a fixed joint (welded to its parent's body)."""
    Body: ClassVar[FrameType]
    """The frame of a link (body)."""
    Sensor: ClassVar[FrameType]
    """The frame of a sensor."""

    def __int__(self) -> int:
        """The kind's code: Operational 0, Joint 1, Fixed 2, Body 3, Sensor 4."""

    @property
    def name(self) -> str:
        """The kind's name, e.g. "Body"."""

    def __eq__(self, value: object, /) -> bool:
        """Equal when the kinds are equal."""

    def __hash__(self) -> int:
        """Hashed by kind: equal kinds hash alike."""

# ---- joints

@final
class JointModel:
    """The kind of a joint and its motion: create with JointModelRX/RY/RZ or
    JointModelFloating/Spherical/Planar, or read from Model.joint_models."""

    @property
    def joint_type(self) -> JointType:
        """The joint's kind."""

    @property
    def nq(self) -> int:
        """Number of configuration entries of the joint."""

    @property
    def nv(self) -> int:
        """Number of velocity entries of the joint."""

    @property
    def axis(self) -> _Array | None:
        """The axis a revolute, continuous or prismatic joint turns about or slides along, as
        given, a (3,) array in the joint frame; None for other joints."""

    def __copy__(self) -> JointModel:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> JointModel:
        """An independent copy (the same as __copy__)."""

@final
class JointType:
    """Kinds of joint: class attributes, equal and hashed by kind; repr "JointType.Revolute",
    int() the code, .name "Revolute"."""

    Continuous: ClassVar[JointType]
    """Unbounded rotation about an axis (nq = nv = 1)."""
    Fixed: ClassVar[JointType]
    """No motion (nq = nv = 0)."""
    Prismatic: ClassVar[JointType]
    """Translation along an axis (nq = nv = 1)."""
    Revolute: ClassVar[JointType]
    """Bounded rotation about an axis (nq = nv = 1)."""
    Floating: ClassVar[JointType]
    """Free motion (nq = 7, nv = 6); see JointModelFloating."""
    Spherical: ClassVar[JointType]
    """Free rotation about a point (nq = 4, nv = 3); see JointModelSpherical."""
    Planar: ClassVar[JointType]
    """Motion in the x-y plane with rotation about z (nq = 4, nv = 3); see JointModelPlanar."""

    def __int__(self) -> int:
        """The kind's code: Continuous 0, Fixed 1, Prismatic 2, Revolute 3, Floating 4,
        Spherical 5, Planar 6."""

    @property
    def name(self) -> str:
        """The kind's name, e.g. "Revolute"."""

    def __eq__(self, value: object, /) -> bool:
        """Equal when the kinds are equal."""

    def __hash__(self) -> int:
        """Hashed by kind: equal kinds hash alike."""

def JointModelRX() -> JointModel:
    """A revolute joint turning about the x axis of its frame."""

def JointModelRY() -> JointModel:
    """A revolute joint turning about the y axis of its frame."""

def JointModelRZ() -> JointModel:
    """A revolute joint turning about the z axis of its frame."""

# ---- geometry

@final
class GeometryModel:
    """The geometry objects (collision or visual) hung on a model's joints."""

    def __new__(cls) -> GeometryModel:
        """An empty geometry model."""

    def add_geometry_object(self, object: GeometryObject) -> int:
        """Appends a copy of `object`; returns its index."""

    def get_geometry_id(self, name: str) -> int | None:
        """Index of the object called `name`, or None."""

    def create_data(self, data: Data) -> GeometryData:
        """World placements of the objects from the joint placements in `data`
        (the same as GeometryData(data, self))."""

    @property
    def ngeoms(self) -> int:
        """Number of objects."""

    @property
    def geometry_objects(self) -> list[GeometryObject]:
        """The objects by index (copies)."""

    @property
    def collision_pairs(self) -> list[tuple[int, int]]:
        """The pairs (i, j), i < j, of object indices the collision queries check."""

    def add_collision_pair(self, i: int, j: int) -> None:
        """Checks objects i and j for collision (IndexError out of range, ValueError i == j)."""

    def remove_collision_pair(self, i: int, j: int) -> None:
        """Stops checking objects i and j; nothing when they were not checked."""

    def add_all_collision_pairs(self, skip_adjacent: bool = True) -> None:
        """Every pair of objects on different joints, without parent-child joints' pairs
        when skip_adjacent."""

    def remove_collision_pairs_from_srdf(
        self, path: str | os.PathLike[str], strict: bool = True
    ) -> None:
        """Removes the <disable_collisions link1 link2> pairs of an SRDF file."""

    def use_convex_hulls(self, enabled: bool) -> None:
        """Whether the queries take meshes as their convex hulls (faster, approximate)."""

    def __copy__(self) -> GeometryModel:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> GeometryModel:
        """An independent copy (the same as __copy__)."""

@final
class GeometryData:
    """World placements of a geometry model's objects, computed from a Data's joint
    placements."""

    def __new__(cls, data: Data, geom_model: GeometryModel) -> GeometryData:
        """Places every object of `geom_model` with the joint placements of `data`
        (run forward_kinematics first). ValueError when an object's joint is not in `data`."""

    def get_object_placement(self, object_index: SupportsIndex) -> SE3:
        """World placement of object `object_index` (KeyError when there is no such object)."""

    def update_geometry_data(self, data: Data, geom_model: GeometryModel) -> None:
        """Recomputes every placement from the joint placements now in `data`."""

@final
class GeometryObject:
    """A shape hung on a joint: collision or visual geometry."""

    def __new__(
        cls,
        name: str,
        parent_joint: SupportsIndex,
        parent_frame: SupportsIndex,
        geometry: vortan.Sphere | vortan.Cuboid | vortan.Capsule | vortan.Cone | vortan.Cylinder,
        placement: SE3,
        /,
    ) -> GeometryObject:
        """An object on joint `parent_joint` (`parent_frame` is informational), placed by
        `placement` in the joint's frame; exactly these five positional arguments."""

    @property
    def name(self) -> str:
        """The object's name."""

    @property
    def parent_joint(self) -> int:
        """Id of the joint whose motion carries the object."""

    @property
    def parent_frame(self) -> int:
        """Id of the frame it was declared under (informational)."""

    @property
    def disable_collision(self) -> bool:
        """Whether collision checks skip the object."""

    @property
    def geometry(self) -> vortan.Shape:
        """The object's shape, in the object's frame."""

    @property
    def placement(self) -> SE3:
        """Placement of the object's frame in its parent joint's frame."""

    @property
    def mesh_color(self) -> _Array:
        """RGBA colour, a (4,) array of numbers in [0, 1] (a copy; assign 4 numbers to change
        it)."""

    @mesh_color.setter
    def mesh_color(self, value: _ArrayIn, /) -> None: ...
    def __copy__(self) -> GeometryObject:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> GeometryObject:
        """An independent copy (the same as __copy__)."""

# ---- configurations of a model

def neutral(model: Model) -> Configuration:
    """The neutral configuration q (nq,): zero for every joint."""

def random_configuration(model: Model, seed: SupportsIndex | None = None) -> Configuration:
    """A configuration q (nq,) drawn uniformly within the position limits. For revolute and
    prismatic joints an infinite bound reads as -2 pi or 2 pi; where that range would be empty
    (a finite bound at or beyond 2 pi on the infinite side) the window of 2 pi from the finite
    bound is used. Floating and planar positions default to [-1, 1) m. The same q for the same
    int `seed` in [0, 2**64), a fresh one each call for seed=None. ValueError ("cannot sample
    empty range") when a lower bound is not below its upper bound."""

# ---- URDF

def build_models_from_urdf(
    filepath: _Path,
    package_dir: _Path | None = None,
    packages: Mapping[str, _Path] | None = None,
    check_meshes: bool = True,
    root_joint: JointModel | None = None,
    mimic: bool = False,
) -> tuple[Model, GeometryModel, GeometryModel]:
    """Reads a URDF file: (model, collision_model, visual_model).

    Mesh file names: a relative name resolves against `package_dir` (there is no default: a
    relative name without it is a ValueError, not the file's folder); an absolute one is used
    as written; "package://NAME/rest" resolves to the folder of NAME in `packages` (package
    name to folder), else to the first ROS_PACKAGE_PATH entry whose last component is NAME
    (`package_dir` plays no part there). With check_meshes=False mesh files need not exist and
    an unresolved reference is kept as written. `root_joint` (e.g. JointModelFloating()), when
    given, joins each root link to the world instead of welding it. With mimic=True each joint
    with a <mimic joint multiplier offset> follows its reference, q = multiplier * q_ref +
    offset, and has no coordinate of its own (see Model.mimic_joints); otherwise <mimic> is
    ignored. ValueError on a malformed description, naming the joint for a mimic of an unknown
    joint, a loop of mimics or a joint other than revolute or prismatic.
    """

def build_models_from_urdf_string(
    xml: str,
    package_dir: _Path | None = None,
    packages: Mapping[str, _Path] | None = None,
    check_meshes: bool = True,
    root_joint: JointModel | None = None,
    mimic: bool = False,
) -> tuple[Model, GeometryModel, GeometryModel]:
    """Reads URDF text in memory with the same rules and errors as build_models_from_urdf:
    (model, collision_model, visual_model). Relative mesh names resolve against `package_dir`
    (no default: the text has no folder); "package://NAME/..." through `packages`, then the
    ROS_PACKAGE_PATH entries named NAME."""

# ---- spatial algebra

@final
class Inertia:
    """Mass distribution of one rigid body, in the body's frame."""

    def __new__(cls, mass: float, com: _ArrayIn, inertia: _ArrayIn) -> Inertia:
        """`mass` in kg, `com` the centre of mass as a (3,) array in the body frame, `inertia`
        the rotational inertia about the centre of mass as a symmetric (3, 3) array, body
        axes."""

    @staticmethod
    def FromSphere(mass: float, radius: float) -> Inertia:
        """A solid sphere of `mass` and `radius` centred at the frame origin (ValueError unless
        both are positive)."""

    @staticmethod
    def zeros() -> Inertia:
        """Zero mass, centre of mass and rotational inertia."""

    def __add__(self, value: Inertia, /) -> Inertia:
        """The two bodies rigidly joined (both in the same frame)."""

    def __radd__(self, value: Inertia, /) -> Inertia: ...
    @property
    def mass(self) -> float:
        """Mass in kg."""

    @property
    def com(self) -> _Array:
        """Centre of mass, a (3,) array in the body frame."""

    @property
    def lever(self) -> _Array:
        """Centre of mass, a (3,) array in the body frame; an alias of com."""

    @property
    def inertia(self) -> _Array:
        """Rotational inertia about the centre of mass, a symmetric (3, 3) array, body axes."""

    def __copy__(self) -> Inertia:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Inertia:
        """An independent copy (the same as __copy__)."""

@final
class SE3:
    """A rigid placement: rotation R (3, 3) and translation p (3,), mapping a point x of the
    child frame to R x + p in the parent frame."""

    def __new__(cls, rotation: _ArrayIn, translation: _ArrayIn) -> SE3:
        """From an orthogonal (3, 3) rotation and a (3,) translation (ValueError otherwise)."""

    @staticmethod
    def Identity() -> SE3:
        """The identity placement."""

    @staticmethod
    def Random() -> SE3:
        """A random rotation and a translation with entries in [-1, 1]."""

    def inverse(self) -> SE3:
        """The inverse placement (parent in child)."""

    def copy(self) -> SE3:
        """An independent copy."""

    def __mul__(self, value: SE3, /) -> SE3:
        """Composition: (a * b) maps b's child frame into a's parent frame."""

    def __rmul__(self, value: SE3, /) -> SE3: ...
    @property
    def rotation(self) -> _Array:
        """The rotation, a (3, 3) array (a copy)."""

    @property
    def translation(self) -> _Array:
        """The translation, a (3,) array (a copy; assign a (3,) array to change it)."""

    @translation.setter
    def translation(self, value: _ArrayIn, /) -> None: ...
    @property
    def homogeneous(self) -> _Array:
        """The (4, 4) homogeneous matrix [[R, p], [0, 0, 0, 1]]."""

    @staticmethod
    def interpolate(M0: SE3, M1: SE3, t: float) -> SE3:
        """M0 exp6(t log6(M0^-1 M1)): M0 at t = 0, M1 at t = 1, moving at a constant twist in
        M0's moving axes between (the shorter turn); t finite, any value extrapolates."""

    def __copy__(self) -> SE3:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> SE3:
        """An independent copy (the same as __copy__)."""

@final
class Vector3D:
    """A 3-vector (x, y, z)."""

    def __new__(cls, x: float, y: float, z: float) -> Vector3D: ...
    @staticmethod
    def zeros() -> Vector3D:
        """(0, 0, 0)."""

    @staticmethod
    def ones() -> Vector3D:
        """(1, 1, 1)."""

    def to_numpy(self) -> _Array:
        """The entries as a (3,) array."""

    def vector(self) -> _Array:
        """The entries as a (3,) array; the same as to_numpy()."""

    def norm(self) -> float:
        """Euclidean length."""

    def __add__(self, value: Vector3D, /) -> Vector3D: ...
    def __radd__(self, value: Vector3D, /) -> Vector3D: ...
    def __sub__(self, value: Vector3D, /) -> Vector3D: ...
    def __rsub__(self, value: Vector3D, /) -> Vector3D: ...
    def __mul__(self, value: Vector3D, /) -> Vector3D:
        """Entry-wise product."""

    def __rmul__(self, value: Vector3D, /) -> Vector3D: ...
    def __copy__(self) -> Vector3D:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Vector3D:
        """An independent copy (the same as __copy__)."""

@final
class Vector6D:
    """A spatial motion six-vector, entries in the order given: (x, y, z, w, v, u), angular
    part first, then linear (the layout of every six-vector here)."""

    def __new__(cls, x: float, y: float, z: float, w: float, v: float, u: float) -> Vector6D: ...
    def __copy__(self) -> Vector6D:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Vector6D:
        """An independent copy (the same as __copy__)."""

@final
class Symmetric3:
    """A symmetric 3x3 matrix, given by its upper triangle."""

    def __new__(
        cls, m11: float, m22: float, m33: float, m12: float, m13: float, m23: float
    ) -> Symmetric3: ...
    @staticmethod
    def Zero() -> Symmetric3:
        """The zero matrix."""

    @staticmethod
    def Identity() -> Symmetric3:
        """The identity matrix."""

    def to_numpy(self) -> _Array:
        """The full (3, 3) array."""

    def matrix(self) -> _Array:
        """The full (3, 3) array; the same as to_numpy()."""

    def __add__(self, value: Symmetric3, /) -> Symmetric3: ...
    def __radd__(self, value: Symmetric3, /) -> Symmetric3: ...
    def __sub__(self, value: Symmetric3, /) -> Symmetric3: ...
    def __rsub__(self, value: Symmetric3, /) -> Symmetric3: ...
    @overload
    def __mul__(self, value: float, /) -> Symmetric3:
        """The matrix scaled by a number."""

    @overload
    def __mul__(self, value: Vector3D, /) -> Vector3D:
        """The matrix times a 3-vector."""

    def __rmul__(self, value: float, /) -> Symmetric3:
        """The matrix scaled by a number."""

    def __getitem__(self, key: tuple[SupportsIndex, SupportsIndex], /) -> float:
        """Entry (row, column), each in 0..2 (IndexError otherwise)."""

    def __copy__(self) -> Symmetric3:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> Symmetric3:
        """An independent copy (the same as __copy__)."""

# ---- algorithms

def forward_kinematics(model: Model, data: Data, q: _ArrayIn) -> None:
    """Computes the world placement of every joint at q (nq,) into data.joint_placements."""

def forward_dynamics(
    model: Model, data: Data, q: _ArrayIn, v: _ArrayIn, tau: _ArrayIn
) -> Configuration:
    """Joint accelerations a (nv,) for q (nq,), v (nv,) and efforts tau (nv,) under the model's
    gravity, by the articulated-body algorithm."""

def aba(model: Model, data: Data, q: _ArrayIn, v: _ArrayIn, tau: _ArrayIn) -> Configuration:
    """Joint accelerations a (nv,) for q (nq,), v (nv,) and efforts tau (nv,) under the model's
    gravity (articulated-body algorithm); the same as forward_dynamics."""

def inverse_dynamics(
    model: Model, data: Data, q: _ArrayIn, v: _ArrayIn, a: _ArrayIn
) -> Configuration:
    """Joint efforts tau (nv,) that give accelerations a (nv,) at q (nq,) and v (nv,) under the
    model's gravity, by the recursive Newton-Euler algorithm."""

def rnea(model: Model, data: Data, q: _ArrayIn, v: _ArrayIn, a: _ArrayIn) -> Configuration:
    """Joint efforts tau (nv,) that give accelerations a (nv,) at q (nq,) and v (nv,) under the
    model's gravity (recursive Newton-Euler); the same as inverse_dynamics."""

def crba(model: Model, data: Data, q: _ArrayIn) -> _Array:
    """The joint-space inertia matrix M(q), a symmetric (nv, nv) array, by the composite
    rigid-body algorithm; q is (nq,)."""

def mass_matrix(model: Model, data: Data, q: _ArrayIn) -> _Array:
    """The joint-space inertia matrix M(q), a symmetric (nv, nv) array; the same as crba."""

def nonlinear_effects(model: Model, data: Data, q: _ArrayIn, v: _ArrayIn) -> Configuration:
    """Coriolis, centrifugal and gravity efforts (nv,) for q (nq,) and v (nv,): rnea with a = 0."""

def generalized_gravity(model: Model, data: Data, q: _ArrayIn) -> Configuration:
    """Gravity efforts (nv,) at q (nq,): the gradient of the potential energy."""

def kinetic_energy(model: Model, data: Data, q: _ArrayIn, v: _ArrayIn) -> float:
    """Kinetic energy of every body for q (nq,) and v (nv,), in J."""

def potential_energy(model: Model, data: Data, q: _ArrayIn) -> float:
    """Gravitational potential energy of every body at q (nq,), in J (zero at the world
    origin)."""

# ---- frames and centre of mass

def frame_placement(
    model: Model, data: Data, frame_id: SupportsIndex, q: _ArrayIn | None = None
) -> SE3:
    """World placement of frame `frame_id` (IndexError on an id out of range).

    With q (nq,), runs forward_kinematics on q first. Without it, the answer comes from the
    joint placements of the last forward_kinematics on this `data` (of a fresh Data, the
    neutral placements: identity joint motions)."""

def frame_placements(model: Model, data: Data, q: _ArrayIn | None = None) -> _Array:
    """World placements of every frame, an (nframes, 4, 4) array of homogeneous matrices
    indexed by frame id.

    With q (nq,), runs forward_kinematics on q first. Without it, the answer comes from the
    joint placements of the last forward_kinematics on this `data`."""

def frame_jacobian(
    model: Model,
    data: Data,
    q: _ArrayIn,
    frame_id: SupportsIndex,
    kind: _JacobianKind = "geometric",
) -> _Array:
    """Jacobian of frame `frame_id` at q (nq,), a (6, nv) array with rows (angular; linear):
    "geometric" (world axes, at the frame origin), "body" (frame axes) or "spatial" (world
    axes, at the world origin). Runs forward_kinematics on q."""

def frame_velocity(
    model: Model,
    data: Data,
    q: _ArrayIn,
    v: _ArrayIn,
    frame_id: SupportsIndex,
    kind: _JacobianKind = "geometric",
) -> _Array:
    """Twist (angular; linear) of frame `frame_id` of the given kind for q (nq,) and v (nv,),
    a (6,) array equal to frame_jacobian(...) @ v."""

def frame_acceleration(
    model: Model,
    data: Data,
    q: _ArrayIn,
    v: _ArrayIn,
    a: _ArrayIn,
    frame_id: SupportsIndex,
    kind: _JacobianKind = "geometric",
) -> _Array:
    """Time derivative (angular; linear) of frame_velocity of the given kind along q (nq,),
    v (nv,), a (nv,), a (6,) array; for "geometric" the classical acceleration of the frame
    origin."""

def frame_jacobian_time_variation(
    model: Model,
    data: Data,
    q: _ArrayIn,
    v: _ArrayIn,
    frame_id: SupportsIndex,
    kind: _JacobianKind = "geometric",
) -> _Array:
    """dJ/dt of frame_jacobian of the given kind along q (nq,) and v (nv,), a (6, nv) array with
    rows (angular; linear): frame_acceleration = J @ a + dJ/dt @ v."""

def center_of_mass(model: Model, data: Data, q: _ArrayIn) -> _Array:
    """World centre of mass of every body at q (nq,), a (3,) array, bodies welded to the world
    included (centroidal_momentum's centre counts the moving bodies only). Runs
    forward_kinematics on q; ValueError when the model has no mass."""

def center_of_mass_jacobian(model: Model, data: Data, q: _ArrayIn) -> _Array:
    """Jacobian of the world centre of mass at q (nq,), a (3, nv) array. Runs
    forward_kinematics on q."""

def total_mass(model: Model) -> float:
    """Mass of every body, those welded to the world included, in kg."""

# ---- joints with several axes and the configuration space

def JointModelFloating() -> JointModel:
    """A joint with six degrees of freedom. q (7,) = (x, y, z, qx, qy, qz, qw): the position of
    the child frame in the parent frame, then its orientation as a unit quaternion, scalar last
    (from a scalar-first (w, x, y, z) quaternion take q[[1, 2, 3, 0]]). v (6,) = the child
    frame's twist in its own axes, angular part first."""

def JointModelSpherical() -> JointModel:
    """A ball joint. q (4,) = the unit quaternion (qx, qy, qz, qw), scalar last; v (3,) = the
    angular velocity in the child frame's axes."""

def JointModelPlanar() -> JointModel:
    """Motion in the joint frame's x-y plane with rotation about its z axis. q (4,) = (x, y,
    cos theta, sin theta); v (3,) = (theta rate, x rate, y rate) in the moving frame. The pair
    need not be unit, but a pair of norm zero or not finite is refused like such a quaternion
    (ValueError "joint 'base' has a (cos, sin) pair of norm 0")."""

def integrate(model: Model, q: _ArrayIn, v: _ArrayIn) -> _Array:
    """q (nq,) moved by the velocity v (nv,) for unit time (pass v * dt), an (nq,) array:
    quaternions by the exponential map, (cos, sin) pairs by rotation, the rest by addition."""

def difference(model: Model, q0: _ArrayIn, q1: _ArrayIn) -> _Array:
    """The velocity v, an (nv,) array, with integrate(model, q0, v) == q1; q0, q1 are (nq,)."""

def interpolate(model: Model, q0: _ArrayIn, q1: _ArrayIn, t: float) -> _Array:
    """integrate(model, q0, t * difference(model, q0, q1)), an (nq,) array: q0 at t = 0, q1 at
    t = 1."""

def normalize(model: Model, q: _ArrayIn) -> _Array:
    """q (nq,) with unit quaternions and unit (cos, sin) pairs, a new (nq,) array; ValueError
    for a quaternion or planar (cos, sin) pair of norm zero or not finite."""

def centroidal_momentum(model: Model, data: Data, q: _ArrayIn, v: _ArrayIn) -> _Array:
    """The momentum for q (nq,) and v (nv,), a (6,) array in world axes: the angular momentum
    about the centre of mass of the moving bodies, then the linear momentum. Bodies welded to
    the world do not count here, unlike in center_of_mass, which counts every body."""

# Derivatives with respect to q are taken in the tangent space: column k is
# d/de f(integrate(model, q, e * unit_k)) at e = 0, so they have nv columns.

def rnea_derivatives(
    model: Model, data: Data, q: _ArrayIn, v: _ArrayIn, a: _ArrayIn
) -> tuple[_Array, _Array, _Array]:
    """(dtau_dq, dtau_dv, dtau_da) of rnea at q (nq,), v (nv,), a (nv,), each (nv, nv); dq in
    the tangent space (column k: d/de rnea(integrate(q, e * unit_k), v, a)); dtau_da is the mass
    matrix."""

def aba_derivatives(
    model: Model, data: Data, q: _ArrayIn, v: _ArrayIn, tau: _ArrayIn
) -> tuple[_Array, _Array, _Array]:
    """(dqdd_dq, dqdd_dv, dqdd_dtau) of aba at q (nq,), v (nv,), tau (nv,), each (nv, nv); dq in
    the tangent space; dqdd_dtau is the inverse mass matrix."""

def inverse_mass_matrix(model: Model, data: Data, q: _ArrayIn) -> _Array:
    """The inverse of the joint-space inertia matrix M(q), an (nv, nv) array, by a recursive
    algorithm (no factorisation of M); q is (nq,)."""

def integrate_derivatives(model: Model, q: _ArrayIn, v: _ArrayIn) -> tuple[_Array, _Array]:
    """(d_dq, d_dv) of integrate(model, q, v), each (nv, nv), in the tangent spaces at the
    result (rows) and at q (columns)."""

def difference_derivatives(model: Model, q0: _ArrayIn, q1: _ArrayIn) -> tuple[_Array, _Array]:
    """(d_dq0, d_dq1) of difference(model, q0, q1), each (nv, nv), q0 and q1 perturbed in their
    tangent spaces."""

def step_derivatives(
    model: Model, data: Data, q: _ArrayIn, v: _ArrayIn, tau: _ArrayIn, dt: float
) -> tuple[_Array, _Array]:
    """(A, B) of one semi-implicit Euler step v' = v + dt aba(q, v, tau), q' = integrate(q,
    dt v') for the state x = (q in the tangent space, v): A = dx'/dx (2nv, 2nv), B = dx'/dtau
    (2nv, nv), the q rows measured as difference(q'_nominal, q'_perturbed); dt > 0."""
def compute_distances(
    model: Model,
    data: Data,
    geometry_model: GeometryModel,
    geometry_data: GeometryData,
    q: _ArrayIn,
) -> tuple[_Array, _Array, _Array]:
    """Signed distances of the collision pairs after forward kinematics on q: (distances (P,),
    points (P, 2, 3), normals (P, 3)); negative when a pair overlaps."""

def compute_collisions(
    model: Model,
    data: Data,
    geometry_model: GeometryModel,
    geometry_data: GeometryData,
    q: _ArrayIn,
    stop_at_first: bool = False,
) -> NDArray[np.bool_]:
    """Whether each collision pair overlaps after forward kinematics on q, (P,) bool; with
    stop_at_first, the pairs after the first hit stay False."""
# ---- rotations and rigid motions
#
# Rotation vectors w (3,) turn |w| radians about w / |w|; twists (6,) are (angular; linear) in
# the moving frame's axes. The Jacobians are right Jacobians (perturbations in the moving
# frame's axes), the convention of integrate and difference. All are exact at angle 0 and pi.
# Non-finite values, wrong shapes and matrices that are not rotations raise ValueError.

def exp3(w: _ArrayIn) -> _Array:
    """The rotation matrix (3, 3) of the rotation vector w (3,)."""

def log3(R: _ArrayIn) -> _Array:
    """The rotation vector (3,) of the rotation matrix R (3, 3), of norm at most pi:
    exp3(log3(R)) == R."""

def exp6(twist: _ArrayIn) -> SE3:
    """The SE3 reached by moving along the constant twist (6,) for unit time."""

def log6(M: SE3 | _ArrayIn) -> _Array:
    """The twist (6,), angular part first, with exp6(log6(M)) == M; M is an SE3 or a (4, 4)
    homogeneous matrix."""

def jexp3(w: _ArrayIn) -> _Array:
    """The right Jacobian (3, 3) of exp3: exp3(w + dw) = exp3(w) exp3(jexp3(w) dw) to first
    order."""

def jlog3(R: _ArrayIn) -> _Array:
    """The Jacobian (3, 3) of log3 for a turn in R's own axes: log3(R exp3(dw)) = log3(R) +
    jlog3(R) dw to first order; the inverse of jexp3(log3(R))."""

def jexp6(twist: _ArrayIn) -> _Array:
    """The right Jacobian (6, 6) of exp6: exp6(x + dx) = exp6(x) exp6(jexp6(x) dx) to first
    order."""

def jlog6(M: SE3 | _ArrayIn) -> _Array:
    """The Jacobian (6, 6) of log6 for a motion in M's own axes: log6(M exp6(d)) = log6(M) +
    jlog6(M) d to first order; the inverse of jexp6(log6(M))."""

def rpy_to_matrix(r: float, p: float, y: float) -> _Array:
    """The rotation matrix (3, 3) Rz(y) Ry(p) Rx(r) of roll r, pitch p and yaw y (radians) about
    the fixed x, y and z axes, as in URDF origins."""

def matrix_to_rpy(R: _ArrayIn) -> _Array:
    """(roll, pitch, yaw), a (3,) array, with rpy_to_matrix(r, p, y) == R: roll and yaw in
    [-pi, pi], pitch in [-pi/2, pi/2]; at pitch +-pi/2 the yaw is 0."""

def quaternion_to_matrix(xyzw: _ArrayIn) -> _Array:
    """The rotation matrix (3, 3) of the quaternion (x, y, z, w), scalar last like joint
    configurations; it is scaled to unit norm first (a zero quaternion raises ValueError)."""

def matrix_to_quaternion(R: _ArrayIn) -> _Array:
    """The unit quaternion (x, y, z, w), scalar last, of the rotation matrix R, with w >= 0."""

# ---- inverse kinematics

def inverse_kinematics(
    model: Model,
    frame_id: SupportsIndex,
    target: SE3 | _ArrayIn,
    q0: _ArrayIn | None = None,
    *,
    position_only: bool = False,
    tolerance: float = 1e-06,
    max_iterations: SupportsIndex = 200,
    damping: float = 1e-06,
    restarts: SupportsIndex = 0,
    seed: SupportsIndex | None = None,
) -> IKResult:
    """A configuration placing frame `frame_id` at `target`: an SE3 or a (4, 4) homogeneous
    matrix; with position_only, also a (3,) position (the frame's orientation is then free).

    Damped least squares (Levenberg-Marquardt) in the tangent space: each step solves
    (G G^T + lambda I) y = e for the error e and its Jacobian G, moves q by G^T y through
    integrate and brings it back inside the position limits (a revolute angle by whole turns
    when that fits, otherwise clamped), so every configuration tried, and the answer, is within
    them; a coordinate that a step would carry past a bound is held at it, the others taking
    over its share. lambda = nu (norm(e)^2 + damping), nu starting at 1, shrinking after each
    step that lowers norm(e) and growing after one that does not. The first run starts from q0,
    brought inside the limits; when None, from the neutral configuration with every angle or
    position bounded on both sides at the middle of its range. A run ends on success (norm(error) <=
    tolerance), after max_iterations steps, or when it stalls; then, up to `restarts` times,
    another run starts from a random configuration drawn from `seed` as random_configuration
    does. Floating, spherical, planar and continuous joints move through their own integrate.

    Unreachable targets give success=False with the best q found and its error. The GIL is
    released while solving. ValueError on a non-finite or invalid target, a q0 of the wrong
    size or not finite, tolerance <= 0 or damping < 0; IndexError on a bad frame id."""

@final
class IKResult:
    """The answer of inverse_kinematics."""

    @property
    def q(self) -> _Array:
        """The configuration found, (nq,), within the position limits."""

    @property
    def success(self) -> bool:
        """True when norm(error) <= tolerance."""

    @property
    def error(self) -> _Array:
        """What remains: log6(oMf(q)^-1 target), (6,) in the frame's axes (angular first); for
        position_only, target - frame origin, (3,) in world axes."""

    @property
    def iterations(self) -> int:
        """The steps taken, over every run."""

    def __copy__(self) -> IKResult:
        """An independent copy."""

    def __deepcopy__(self, memo: object) -> IKResult:
        """An independent copy."""
