"""Configuration as a one-dimensional array: length, indexing, slicing, iteration, arithmetic."""
import operator

import numpy as np
import pytest

import kinetra
from kinetra import Configuration, Model

MISMATCH = "Matrix addition/subtraction dimensions mismatch."


def sample(n, seed=0):
    """A configuration of n revolute joints, drawn with `seed`."""
    model = Model()
    for parent in range(n):
        model.add_joint(parent, kinetra.JointModelRX(), kinetra.SE3.Identity(), f"j{parent}")
    return kinetra.random_configuration(model, seed=seed)


@pytest.mark.parametrize("n", [0, 1, 5])
def test_reads_as_its_array(n):
    c = sample(n)
    values = c.to_numpy()
    assert len(c) == n and c.shape == (n,) == values.shape
    assert list(c) == values.tolist() and all(type(x) is float for x in c)
    for i in [*range(-n, n), *np.arange(n)]:  # Python and NumPy integers
        assert c[i] == values[i]
    for key in [slice(None), slice(1, None), slice(None, -1), slice(None, None, -2),
                slice(3, 1), slice(-100, 100, 3)]:
        part = c[key]
        assert type(part) is np.ndarray and part.dtype == np.float64
        np.testing.assert_array_equal(part, values[key])
        part[...] = 7.0  # a copy: the configuration keeps its values
    np.testing.assert_array_equal(c.to_numpy(), values)


@pytest.mark.parametrize("key, error, message", [
    (3, IndexError, "Configuration index out of range"),
    (-4, IndexError, "Configuration index out of range"),
    (2**70, IndexError, "cannot fit 'int' into an index-sized integer"),
    (1.0, TypeError, "Configuration indices must be integers or slices, not float"),
    ((0,), TypeError, "Configuration indices must be integers or slices, not tuple"),
    (slice(0, 1, 0), ValueError, "slice step cannot be zero"),
])
def test_bad_indices_are_refused(key, error, message):
    with pytest.raises(error) as raised:
        sample(3)[key]
    assert str(raised.value) == message


def test_negation_and_difference_are_configurations():
    a, b = sample(4, seed=1), sample(4, seed=2)
    for result, expected in [(-a, -a.to_numpy()), (a - b, a.to_numpy() - b.to_numpy())]:
        assert type(result) is Configuration
        np.testing.assert_array_equal(result.to_numpy(), expected)


@pytest.mark.parametrize("op", [operator.add, operator.sub])
def test_sizes_must_match_and_arrays_give_arrays(op):
    a, b = sample(3), sample(2)
    with pytest.raises(RuntimeError) as raised:
        op(a, b)
    assert str(raised.value) == MISMATCH
    array = np.arange(3.0)
    for result, expected in [(op(a, array), op(a.to_numpy(), array)),
                             (op(array, a), op(array, a.to_numpy()))]:
        assert type(result) is np.ndarray
        np.testing.assert_array_equal(result, expected)


@pytest.mark.parametrize("call", [lambda c: 2.0 * c, lambda c: c < c, lambda c: c - 1.0,
                                  lambda c: c + [1.0, 2.0]])
def test_other_operands_stay_refused(call):
    with pytest.raises(TypeError):
        call(sample(2))
