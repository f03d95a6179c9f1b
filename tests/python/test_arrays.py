"""Array arguments: what converts to float64, what is refused, and that shapes come first."""
import numpy as np
import pytest

import kinetra
from kinetra import SE3, Data, GeometryObject, Inertia, Model
from kinetra.vortan import Sphere

REFUSED = "argument '{}': '{}' object cannot be converted to 'PyArray<T, D>'"
# integer values: every layout below holds them exactly
QUARTER_TURN_Z = np.array([[0.0, -1.0, 0.0], [1.0, 0.0, 0.0], [0.0, 0.0, 1.0]])
Q, V, A = np.array([1.0, 0.0, -1.0]), np.array([0.0, 1.0, 2.0]), np.array([2.0, -1.0, 0.0])


def arm():
    model = Model()
    for i, joint in enumerate([kinetra.JointModelRX, kinetra.JointModelRY, kinetra.JointModelRZ]):
        model.add_joint(i, joint(), SE3(np.eye(3), np.array([0.0, 0.0, 1.0])), f"j{i}")
        body = kinetra.Frame(f"b{i}", i + 1, 0, SE3(np.eye(3), np.array([0.3, 0.1, 0.0])),
                             kinetra.FrameType.Body, Inertia.FromSphere(1.0, 0.2))
        model.add_frame(body, True)
    return model


def unaligned(x):
    raw = np.zeros(x.nbytes + 1, np.uint8)
    out = raw[1:].view(np.float64).reshape(x.shape)
    out[...] = x
    assert not out.flags.aligned
    return out


def as_tuples(x):
    return tuple(as_tuples(item) for item in x) if isinstance(x, list) else x


LAYOUTS = {
    "C": np.ascontiguousarray,
    "Fortran": np.asfortranarray,
    "strided": lambda x: np.repeat(x, 2, axis=-1)[..., ::2],
    "negative-step": lambda x: np.flip(np.flip(x).copy()),
    "non-native-byte-order": lambda x: x.astype(x.dtype.newbyteorder()),
    "unaligned": unaligned,
    "list": lambda x: x.tolist(),
    "tuple": lambda x: as_tuples(x.tolist()),
    "int": lambda x: x.astype(np.int32),
    "float32": lambda x: x.astype(np.float32),
}


def geometry_colour(colour):
    obj = GeometryObject("g", 0, 0, Sphere(0.1), SE3.Identity())
    obj.mesh_color = colour
    return obj.mesh_color


def set_on_arm(attribute, values):
    model = arm()
    setattr(model, attribute, values)
    return getattr(model, attribute)


def placements(q):
    model = arm()
    data = Data(model)
    kinetra.forward_kinematics(model, data, q)
    return [p.homogeneous for p in data.oMi]


# each call with the float64 arrays it takes
CALLS = {
    "rnea": (lambda q, v, a: kinetra.rnea(arm(), Data(arm()), q, v, a).to_numpy(), [Q, V, A]),
    "aba": (lambda q, v, a: kinetra.aba(arm(), Data(arm()), q, v, a).to_numpy(), [Q, V, A]),
    "crba": (lambda q: kinetra.crba(arm(), Data(arm()), q), [Q]),
    "kinetic_energy": (lambda q, v: kinetra.kinetic_energy(arm(), Data(arm()), q, v), [Q, V]),
    "forward_kinematics": (placements, [Q]),
    "frame_jacobian": (lambda *x: kinetra.frame_jacobian(arm(), Data(arm()), *x, 3), [Q]),
    "frame_velocity": (lambda *x: kinetra.frame_velocity(arm(), Data(arm()), *x, 3), [Q, V]),
    "frame_acceleration": (lambda *x: kinetra.frame_acceleration(arm(), Data(arm()), *x, 3), [Q, V, A]),
    "frame_jacobian_time_variation":
        (lambda *x: kinetra.frame_jacobian_time_variation(arm(), Data(arm()), *x, 3), [Q, V]),
    "center_of_mass": (lambda q: kinetra.center_of_mass(arm(), Data(arm()), q), [Q]),
    "center_of_mass_jacobian": (lambda q: kinetra.center_of_mass_jacobian(arm(), Data(arm()), q), [Q]),
    "position_limits": (lambda lower: set_on_arm("lower_position_limits", lower), [Q]),
    "velocity_limits": (lambda v: set_on_arm("velocity_limits", v), [V]),
    "gravity": (lambda g: set_on_arm("gravity", g), [A]),
    "SE3": (lambda r, t: SE3(r, t).homogeneous, [QUARTER_TURN_Z, np.array([1.0, 2.0, 3.0])]),
    "Inertia": (lambda c, i: Inertia(2.0, c, i).inertia, [np.array([0.0, 0.0, 1.0]),
                                                           np.diag([1.0, 2.0, 3.0])]),
    "mesh_color": (geometry_colour, [np.array([0.0, 1.0, 0.0, 1.0])]),
}


@pytest.mark.parametrize("layout", LAYOUTS)
@pytest.mark.parametrize("call", CALLS)
def test_every_layout_reads_the_same_values(call, layout):
    function, arrays = CALLS[call]
    converted = [LAYOUTS[layout](x) for x in arrays]
    np.testing.assert_array_equal(function(*converted), function(*arrays))


@pytest.mark.parametrize(
    "q, type_name",
    [
        (None, "NoneType"),
        ("abc", "str"),
        (["a", "b", "c"], "list"),
        ([1j, 0, 0], "list"),
        ([None] * 3, "list"),
        ([2**70, 0, 0], "list"),
        ([1.0, [2.0], 3.0], "list"),  # ragged
        ([[1.0], [2.0, 3.0], [4.0]], "list"),  # ragged, its first elements give size 3
        (np.zeros(3, dtype=complex), "ndarray"),
        (np.zeros(3, dtype=object), "ndarray"),
        (np.array(["1", "2", "3"]), "ndarray"),
        (np.zeros(3, dtype="M8[s]"), "ndarray"),
        (Model(), "Model"),
    ],
)
def test_inputs_that_lose_meaning_are_refused(q, type_name):
    model = arm()
    with pytest.raises(TypeError) as error:
        kinetra.rnea(model, Data(model), q, V, A)
    assert str(error.value) == REFUSED.format("q", type_name)


HUGE = np.broadcast_to(np.int8(0), (2**40,))
HUGE_2D = np.broadcast_to(np.int8(0), (2**20, 2**20))


def set_colour(colour):
    GeometryObject("g", 0, 0, Sphere(0.1), SE3.Identity()).mesh_color = colour


def set_translation(translation):
    SE3.Identity().translation = translation


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: SE3(HUGE_2D, np.zeros(3)),
         "Invalid input size. Expected a rotation of shape (3,3), got [1048576, 1048576]"),
        (lambda: SE3(np.eye(3), HUGE),
         "Invalid input size. Expected a translation of shape (3,), got 1099511627776."),
        (lambda: SE3(np.eye(3), [0.0] * 10**6),
         "Invalid input size. Expected a translation of shape (3,), got 1000000."),
        (lambda: set_translation(HUGE),
         "Invalid input size. Expected a translation of shape (3,), got 1099511627776."),
        (lambda: Inertia(1.0, HUGE, np.eye(3)), "Input array must be one-dimensional with length 3."),
        (lambda: Inertia(1.0, np.zeros(3), HUGE_2D), "Input array must be of shape (3, 3)"),
        (lambda: set_colour(HUGE), "expected a NumPy array of length 4 for 'color', but got 1099511627776."),
        (lambda: kinetra.rnea(arm(), Data(arm()), [[0.0] * 10**6] * 3, V, A),
         "Error in inverse dynamics: Parameter 'q' expected configuration size 3, but got 3000000"),
        (lambda: kinetra.frame_velocity(arm(), Data(arm()), Q, HUGE, 3),
         "Error in frame velocity: Parameter 'v' expected configuration size 3, but got 1099511627776"),
        (lambda: kinetra.center_of_mass_jacobian(arm(), Data(arm()), [[0.0] * 10**6] * 3),
         "Error in center of mass Jacobian: Parameter 'q' expected configuration size 3, but got 3000000"),
        (lambda: set_on_arm("effort_limits", HUGE), "effort_limits: expected 3 values, got 1099511627776"),
        (lambda: set_on_arm("gravity", HUGE), "gravity: expected 3 finite numbers, got shape [1099511627776]"),
    ],
)
def test_shapes_are_checked_before_values_are_converted(call, message):
    # a copy of any of these would need a terabyte or fail with an empty MemoryError
    with pytest.raises(ValueError) as error:
        call()
    assert str(error.value) == message


@pytest.mark.parametrize(
    "geometry, quoted",
    [
        (np.zeros(10**7), "ndarray of shape (10000000,)"),
        ([0.0] * 10**7, "list of length 10000000: " + repr([0.0] * 300)[:1000] + "..."),
        ("x" * 10**7, "str of length 10000000: '" + "x" * 999 + "..."),
        ([[1] * 10**6], "list of length 1: " + ("[[" + "1, " * 400)[:1000] + "..."),
        ("x" * 998, repr("x" * 998)),
        ("x" * 999, "str of length 999: '" + "x" * 999 + "..."),
        (SE3.Identity(), repr(SE3.Identity())),
    ],
    ids=["ndarray", "list", "str", "nested", "repr_of_1000_whole", "repr_of_1001_cut", "se3_whole"],
)
def test_quoted_values_are_bounded(geometry, quoted):
    with pytest.raises(ValueError) as error:
        GeometryObject("g", 0, 0, geometry, SE3.Identity())
    assert str(error.value) == f"expected a shape for 'geometry', but got {quoted}."
