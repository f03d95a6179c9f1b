import math

import numpy as np
import pytest

import kinetra
from kinetra import SE3, Inertia, Symmetric3, Vector3D, Vector6D


def rotation_z(angle):
    c, s = math.cos(angle), math.sin(angle)
    return np.array([[c, -s, 0.0], [s, c, 0.0], [0.0, 0.0, 1.0]])


# ---- Vector3D


def test_vector3d_arithmetic_and_numbers():
    a, b = Vector3D(1, 2, 3), Vector3D(4, 5, 6)
    assert (a + b).to_numpy().tolist() == [5, 7, 9]
    assert (a - b).vector().tolist() == [-3, -3, -3]
    assert (a * b).to_numpy().tolist() == [4, 10, 18]
    assert Vector3D(3, 4, 0).norm() == 5.0
    assert Vector3D.ones().to_numpy().tolist() == [1, 1, 1]
    assert Vector3D.zeros().to_numpy().tolist() == [0, 0, 0]


@pytest.mark.parametrize("other", [2, 2.0, "x", None, np.ones(3)])
def test_vector3d_refuses_foreign_operands(other):
    with pytest.raises(TypeError):
        Vector3D(1, 2, 3) * other
    with pytest.raises(TypeError):
        Vector3D(1, 2, 3) + other


@pytest.mark.parametrize(
    "values, text",
    [
        ((1, 2.5, -0.0), "Vector3D(1, 2.5, -0)"),
        ((0.1, 1e20, 1e-7), "Vector3D(0.1, 100000000000000000000, 0.0000001)"),
        ((math.nan, math.inf, -math.inf), "Vector3D(NaN, inf, -inf)"),
    ],
)
def test_vector3d_repr(values, text):
    assert repr(Vector3D(*values)) == text


def test_vector3d_argument_errors():
    with pytest.raises(TypeError, match=r"^argument 'z': must be real number, not str$"):
        Vector3D(1, 2, "3")
    with pytest.raises(TypeError, match=r"Vector3D.__new__\(\) missing 1 required positional"):
        Vector3D(1, 2)
    with pytest.raises(AttributeError):
        Vector3D(1, 2, 3).x = 1


def test_vector6d_is_plain():
    v = Vector6D(1, 2, 3, 4, 5, 6)
    assert repr(v).startswith("<builtins.Vector6D object at ")
    assert Vector6D.__doc__ == "Python wrapper for spatial motion vectors (`Vector6D`)."
    assert Vector6D.__text_signature__ == "(x, y, z, w, v, u)"


# ---- SE3


def test_se3_constructor_and_properties():
    R = rotation_z(0.3)
    t = np.array([1.0, 2.0, 3.0])
    m = SE3(R, t)
    np.testing.assert_array_equal(m.rotation, R)
    np.testing.assert_array_equal(m.translation, t)
    h = m.homogeneous
    np.testing.assert_array_equal(h[:3, :3], R)
    np.testing.assert_array_equal(h[:3, 3], t)
    np.testing.assert_array_equal(h[3], [0, 0, 0, 1])
    assert repr(SE3(np.eye(3), np.zeros(3))) == repr(SE3.Identity())


@pytest.mark.parametrize(
    "layout",
    [
        lambda a: a,
        lambda a: np.asfortranarray(a),
        lambda a: a.T.copy().T,
        lambda a: np.repeat(a, 2, axis=1)[:, ::2],
        lambda a: a[::-1][::-1],
    ],
    ids=["C", "Fortran", "transposed view", "strided", "negative step"],
)
def test_se3_reads_any_layout(layout):
    R = rotation_z(0.7)
    m = SE3(layout(R), layout(np.array([[1.0, 2.0, 3.0]]))[0])
    np.testing.assert_array_equal(m.rotation, R)
    np.testing.assert_array_equal(m.translation, [1, 2, 3])
    np.testing.assert_array_equal(SE3(R.T, np.zeros(3)).rotation, R.T)


@pytest.mark.parametrize(
    "rotation, translation, message",
    [
        (np.eye(3)[:, :2], np.zeros(3), "Expected a rotation of shape (3,3), got [3, 2]"),
        (np.zeros((3, 4)), np.zeros(3), "Expected a rotation of shape (3,3), got [3, 4]"),
        (np.eye(3), np.zeros(4), "Expected a translation of shape (3,), got 4."),
        (2 * np.eye(3), np.zeros(3), "The rotation matrix is not orthogonal."),
        (np.full((3, 3), np.nan), np.zeros(3), "The rotation matrix is not orthogonal."),
    ],
)
def test_se3_constructor_values(rotation, translation, message):
    with pytest.raises(ValueError) as error:
        SE3(rotation, translation)
    assert str(error.value).endswith(message)


@pytest.mark.parametrize("offset, accepted", [(5e-7, True), (2e-6, False)])
def test_se3_orthogonality_tolerance(offset, accepted):
    R = np.eye(3)
    R[0, 1] = offset
    if accepted:
        SE3(R, np.zeros(3))
    else:
        with pytest.raises(ValueError, match="not orthogonal"):
            SE3(R, np.zeros(3))
    SE3(np.diag([1.0, 1.0, -1.0]), np.zeros(3))  # reflections pass


@pytest.mark.parametrize(
    "rotation, translation, name",
    [
        (np.eye(3, dtype=complex), np.zeros(3), "rotation"),
        (np.eye(3).tolist()[0], np.zeros(3), "rotation"),
        (np.eye(3), [None] * 3, "translation"),
        (np.eye(3), np.zeros((1, 3)), "translation"),
    ],
)
def test_se3_argument_conversion(rotation, translation, name):
    with pytest.raises(TypeError) as error:
        SE3(rotation, translation)
    assert str(error.value).startswith(f"argument '{name}': '")
    assert str(error.value).endswith("' object cannot be converted to 'PyArray<T, D>'")


def test_se3_keywords_composition_and_inverse():
    a, b = SE3.Random(), SE3.Random()
    same = SE3(translation=a.translation, rotation=a.rotation)
    np.testing.assert_array_equal(same.homogeneous, a.homogeneous)
    np.testing.assert_allclose((a * b).homogeneous, a.homogeneous @ b.homogeneous, atol=1e-15)
    np.testing.assert_allclose((a * a.inverse()).homogeneous, np.eye(4), atol=1e-15)
    with pytest.raises(TypeError):
        a * 2


def test_se3_translation_setter():
    m = SE3.Identity()
    copy = m.copy()
    m.translation = np.array([1.0, 2.0, 3.0])
    np.testing.assert_array_equal(m.translation, [1, 2, 3])
    np.testing.assert_array_equal(copy.translation, [0, 0, 0])
    with pytest.raises(ValueError, match=r"^Invalid input size. Expected a translation of shape \(3,\), got 4.$"):
        m.translation = np.zeros(4)
    np.testing.assert_array_equal(m.translation, [1, 2, 3])
    with pytest.raises(AttributeError, match="can't delete attribute"):
        del m.translation
    with pytest.raises(AttributeError):
        m.rotation = np.eye(3)
    returned = m.translation
    returned[0] = 99
    assert m.translation[0] == 1


def test_se3_random_ranges():
    for _ in range(200):
        m = SE3.Random()
        assert np.all(m.translation >= -1) and np.all(m.translation < 1)
        angle = math.acos(np.clip((np.trace(m.rotation) - 1) / 2, -1, 1))
        assert angle <= math.sqrt(3) + 1e-12
    assert not np.array_equal(SE3.Random().translation, SE3.Random().translation)


def test_se3_repr_lists_columns():
    m = SE3(rotation_z(math.pi / 2), np.array([1e-5, 0.25, 1.5e16]))
    text = repr(m)
    assert text.startswith("SE3(Isometry { rotation: [[6.123233995736766e-17, 1.0, 0.0], [-1.0, ")
    assert text.endswith("translation: [1e-5, 0.25, 1.5e16] })")


# ---- Symmetric3


def test_symmetric3_matrix_indexing_and_operators():
    s = Symmetric3(1, 2, 3, 4, 5, 6)
    np.testing.assert_array_equal(s.matrix(), [[1, 4, 5], [4, 2, 6], [5, 6, 3]])
    assert s[1, 0] == s[0, 1] == 4.0
    assert (s + s).to_numpy()[2, 2] == 6
    assert (s - s).to_numpy().sum() == 0
    assert (2 * Symmetric3.Identity())[0, 0] == 2
    assert (Symmetric3.Identity() * 3)[1, 1] == 3
    assert (Symmetric3.Identity() * Vector3D(1, 2, 3)).to_numpy().tolist() == [1, 2, 3]
    assert Symmetric3.Zero().matrix().sum() == 0
    with pytest.raises(TypeError):
        Symmetric3.Identity() * "x"
    with pytest.raises(TypeError):
        Vector3D(1, 2, 3) * Symmetric3.Identity()


@pytest.mark.parametrize(
    "index, error, message",
    [
        ((3, 0), IndexError, "Index out of bounds"),
        ((0, 7), IndexError, "Index out of bounds"),
        ((-1, 0), OverflowError, None),
        ((0, 1, 2), ValueError, "expected tuple of length 2, but got tuple of length 3"),
        (0, TypeError, "argument 'index': 'int' object cannot be converted to 'PyTuple'"),
    ],
)
def test_symmetric3_bad_index(index, error, message):
    with pytest.raises(error) as raised:
        Symmetric3.Identity()[index]
    if message:
        assert str(raised.value) == message


def test_symmetric3_repr():
    assert repr(Symmetric3.Identity()) == (
        "Symmetric3(\n  [1.0000, 0.0000, 0.0000],\n  [0.0000, 1.0000, 0.0000],\n"
        "  [0.0000, 0.0000, 1.0000]\n)"
    )
    assert "0.6667" in repr(Symmetric3(2 / 3, 0, 0, 0, 0, 0))


# ---- Inertia


def test_inertia_from_sphere_and_repr():
    i = Inertia.FromSphere(2.0, 0.5)
    assert i.mass == 2.0
    np.testing.assert_array_equal(i.com, [0, 0, 0])
    np.testing.assert_array_equal(i.lever, i.com)
    np.testing.assert_allclose(i.inertia, 0.2 * np.eye(3))
    assert repr(i) == (
        "Inertia { mass: 2.0, com: Vector3D([[0.0, 0.0, 0.0]]), inertia: Symmetric3 "
        "{ data: [0.2, 0.2, 0.2, 0.0, 0.0, 0.0] } }"
    )


@pytest.mark.parametrize(
    "mass, radius, name", [(0.0, 1.0, "mass"), (1.0, -1.0, "x"), (-1.0, -1.0, "mass"),
                           (np.nan, 1.0, "mass"), (1.0, np.nan, "x")]
)
def test_inertia_from_sphere_errors(mass, radius, name):
    with pytest.raises(ValueError) as error:
        Inertia.FromSphere(mass, radius)
    assert str(error.value) == (
        f"Failed to create Inertia: InertiaError: Invalid parameter: '{name}' must be positive."
    )


def test_inertia_sum_of_two_point_masses():
    a = Inertia(1.0, np.array([1.0, 0, 0]), np.zeros((3, 3)))
    b = Inertia(1.0, np.array([-1.0, 0, 0]), np.zeros((3, 3)))
    total = a + b
    assert total.mass == 2.0
    np.testing.assert_allclose(total.com, [0, 0, 0])
    np.testing.assert_allclose(total.inertia, np.diag([0.0, 2.0, 2.0]))
    zero = Inertia.zeros() + Inertia.zeros()
    assert zero.mass == 0 and not np.any(zero.inertia)
    with pytest.raises(TypeError):
        a + 1
    assert Inertia(-1.0, np.zeros(3), np.eye(3)).mass == -1.0


@pytest.mark.parametrize(
    "com, inertia, message",
    [
        (np.zeros(4), np.eye(3), "Input array must be one-dimensional with length 3."),
        (np.zeros((1, 3)), np.eye(3), "Input array must be one-dimensional with length 3."),
        (np.zeros(3), np.eye(3).ravel(), "Input array must be of shape (3, 3)"),
        (np.zeros(3), np.array([[1, 1e-17, 0], [0, 1, 0], [0, 0, 1.0]]), "Input array must be symmetric"),
        (np.zeros(3), np.diag([np.nan, 1, 1]), "Input array must be symmetric"),
    ],
)
def test_inertia_constructor_values(com, inertia, message):
    with pytest.raises(ValueError) as error:
        Inertia(1.0, com, inertia)
    assert str(error.value) == message


def test_inertia_docstrings():
    assert Inertia.__doc__ == "A Python wrapper for the [`Inertia`] struct."
    assert Inertia.__text_signature__ == "(mass, com, inertia)"
    assert Inertia.zeros.__text_signature__ == "()"
    assert Inertia.lever.__doc__ == (
        "Returns the lever (center of mass) of the inertia.\n\nThis is an alias for the `com` property."
    )
