"""The argument, borrowing and error conventions every class and function follows."""
import numpy as np
import pytest

import kinetra
from kinetra import SE3, Symmetric3, Vector3D


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class Real:
    def __float__(self):
        return 2.5


def test_float_accepts_int_index_and_dunder_float():
    assert Vector3D(1, Index(2), Real()).to_numpy().tolist() == [1.0, 2.0, 2.5]


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: Vector3D(1, 2, 3, 4), "Vector3D.__new__() takes 3 positional arguments but 4 were given"),
        (lambda: Vector3D(1, 2, w=3), "Vector3D.__new__() got an unexpected keyword argument 'w'"),
        (lambda: Vector3D(1, 2, x=3), "Vector3D.__new__() got multiple values for argument 'x'"),
        (lambda: Vector3D(), "Vector3D.__new__() missing 3 required positional arguments: 'x', 'y', and 'z'"),
        (lambda: Vector3D(1), "Vector3D.__new__() missing 2 required positional arguments: 'y' and 'z'"),
        (lambda: SE3.Identity(1), "SE3.Identity() takes 0 positional arguments but 1 was given"),
        (lambda: SE3.Identity().inverse(1), "SE3.inverse() takes 0 positional arguments but 1 was given"),
    ],
)
def test_call_errors(call, message):
    with pytest.raises(TypeError) as error:
        call()
    assert str(error.value) == message


@pytest.mark.parametrize(
    "value, message",
    [
        (["1", "2", "3"], "argument 'translation': 'list' object cannot be converted to 'PyArray<T, D>'"),
        (np.zeros(3, dtype=complex), "argument 'translation': 'ndarray' object cannot be converted to 'PyArray<T, D>'"),
        (np.zeros(3, dtype=object), "argument 'translation': 'ndarray' object cannot be converted to 'PyArray<T, D>'"),
        (np.zeros((3, 1)), "argument 'translation': 'ndarray' object cannot be converted to 'PyArray<T, D>'"),
    ],
)
def test_arrays_convert_only_without_loss(value, message):
    with pytest.raises(TypeError) as error:
        SE3(np.eye(3), value)
    assert str(error.value) == message


def test_docstrings_carry_text_signatures():
    assert SE3.__text_signature__ == "(rotation, translation)"
    assert SE3.__doc__ == "Python wrapper for the SE(3) group."
    assert SE3.inverse.__text_signature__ == "($self)"
    assert Symmetric3.__text_signature__ == "(m11, m22, m33, m12, m13, m23)"
    assert not Vector3D.__doc__ and Vector3D.__text_signature__ == "(x, y, z)"
    assert kinetra.Configuration.__doc__ == "Python wrapper for the `Configuration` struct."


def test_results_are_fresh_objects():
    m = SE3.Identity()
    r = m.rotation
    r[0, 0] = 5
    assert m.rotation[0, 0] == 1
    assert m.inverse() is not m.inverse()
