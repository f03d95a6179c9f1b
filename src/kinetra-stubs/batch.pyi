"""The algorithms over a leading axis of N states, computed on a shared thread pool with the GIL
released; results equal those of the single-state calls, row for row.

Every state argument is an array of shape (N, width) (q: width nq; v, a, tau: width nv), or a
single state of shape (width,) counted as N = 1 (the result keeps its leading axis of length 1);
anything NumPy converts to float64 without loss is accepted. There is no Data argument: each
thread keeps its own workspace. `out`, when given, is a C-contiguous, aligned, writeable
float64 array of the result's shape, written in place and returned. `threads` is the number of
threads to use (at least 1); None uses every CPU the process may run on.

Every row of q is checked before any row is written: a refused value raises ValueError naming the
first row refused ("row 700: joint 'root_joint' has a quaternion of norm 0") and leaves `out` as it
was. A result that holds no numbers returns at once, whatever N. A long call stops between chunks
of rows when a signal handler raises (KeyboardInterrupt for Ctrl-C); that exception propagates and
`out` is left partly written (rollout's `out` as it was).

rnea, aba, nonlinear_effects and generalized_gravity take `exact`: True (the default) computes
each row by the single-state algorithm, bit for bit its result; False computes several states per
instruction in the processor's vector lanes (four with AVX2 and FMA, two otherwise; row by row on
processors other than x86-64), with the same checks, errors and `out` handling. Its rows differ
from the single-state results y only by rounding: max(abs(x - y)) <= 1e-12 max(1, max(abs(y)))
row by row for the efforts; for aba's accelerations through the efforts they take,
max(abs(M (x - y))) <= 1e-12 max(1, max(abs(M) abs(y))) with M = crba(q) and abs taken entry by
entry, since an ill-conditioned M magnifies any two roundings of its solve alike.
"""

from collections.abc import Sequence
from typing import Literal, SupportsIndex, TypeAlias

import numpy as np
from numpy.typing import ArrayLike, NDArray

from kinetra import GeometryModel, Model

# a result array; `out` and `threads` as described above
_Array: TypeAlias = NDArray[np.float64]
_Out: TypeAlias = _Array | None
_Threads: TypeAlias = SupportsIndex | None

__all__ = [
    "forward_kinematics",
    "rnea",
    "aba",
    "crba",
    "nonlinear_effects",
    "generalized_gravity",
    "kinetic_energy",
    "potential_energy",
    "center_of_mass",
    "integrate",
    "frame_placements",
    "frame_jacobian",
    "rollout",
    "rnea_derivatives",
    "aba_derivatives",
    "step_derivatives",
    "compute_collisions",
    "compute_distances",
    "inverse_kinematics",
]

def forward_kinematics(
    model: Model, q: ArrayLike, out: _Out = None, threads: _Threads = None
) -> _Array:
    """World placements of every joint for each q (N, nq), as homogeneous matrices:
    (N, njoints, 4, 4), indexed by joint id."""

def rnea(
    model: Model,
    q: ArrayLike,
    v: ArrayLike,
    a: ArrayLike,
    out: _Out = None,
    threads: _Threads = None,
    exact: bool = True,
) -> _Array:
    """Joint efforts by recursive Newton-Euler for each state (q, v, a): (N, nv). `exact`: False
    computes several states per instruction, within the rounding stated above."""

def aba(
    model: Model,
    q: ArrayLike,
    v: ArrayLike,
    tau: ArrayLike,
    out: _Out = None,
    threads: _Threads = None,
    exact: bool = True,
) -> _Array:
    """Joint accelerations by the articulated-body algorithm for each state (q, v, tau):
    (N, nv). `exact`: False computes several states per instruction, within the rounding stated
    above."""

def crba(model: Model, q: ArrayLike, out: _Out = None, threads: _Threads = None) -> _Array:
    """Joint-space inertia matrix for each q: (N, nv, nv), each symmetric."""

def nonlinear_effects(
    model: Model,
    q: ArrayLike,
    v: ArrayLike,
    out: _Out = None,
    threads: _Threads = None,
    exact: bool = True,
) -> _Array:
    """Coriolis, centrifugal and gravity efforts for each state (q, v): (N, nv)."""

def generalized_gravity(
    model: Model,
    q: ArrayLike,
    out: _Out = None,
    threads: _Threads = None,
    exact: bool = True,
) -> _Array:
    """Gravity efforts for each q: (N, nv)."""

def kinetic_energy(
    model: Model,
    q: ArrayLike,
    v: ArrayLike,
    out: _Out = None,
    threads: _Threads = None,
) -> _Array:
    """Kinetic energy of every body for each state (q, v), in J: (N,)."""

def potential_energy(
    model: Model, q: ArrayLike, out: _Out = None, threads: _Threads = None
) -> _Array:
    """Gravitational potential energy of every body for each q, in J: (N,)."""

def center_of_mass(
    model: Model, q: ArrayLike, out: _Out = None, threads: _Threads = None
) -> _Array:
    """World centre of mass of every body for each q: (N, 3)."""

def integrate(
    model: Model,
    q: ArrayLike,
    v: ArrayLike,
    out: _Out = None,
    threads: _Threads = None,
) -> _Array:
    """Each configuration q (N, nq) moved by its velocity v (N, nv) for unit time, as
    kinetra.integrate: (N, nq)."""

def frame_placements(
    model: Model,
    q: ArrayLike,
    frame_ids: Sequence[SupportsIndex] | None = None,
    out: _Out = None,
    threads: _Threads = None,
) -> _Array:
    """World placements of the frames `frame_ids` (every frame when None) for each q, as
    homogeneous matrices: (N, len(frame_ids), 4, 4)."""

def frame_jacobian(
    model: Model,
    q: ArrayLike,
    frame_id: SupportsIndex,
    kind: Literal["geometric", "body", "spatial"] = "geometric",
    out: _Out = None,
    threads: _Threads = None,
) -> _Array:
    """Jacobian of frame `frame_id` of `kind` for each q, rows (angular; linear) as in
    kinetra.frame_jacobian: (N, 6, nv)."""

def rollout(
    model: Model,
    q0: ArrayLike,
    v0: ArrayLike,
    tau: ArrayLike,
    dt: float,
    integrator: Literal["rk4", "semi_implicit_euler"] = "rk4",
    out: tuple[_Array, _Array] | None = None,
    threads: _Threads = None,
) -> tuple[_Array, _Array]:
    """Trajectories of T steps of length dt (> 0, s) from the states q0 (N, nq), v0 (N, nv)
    under the efforts tau (N, T, nv), tau[:, k] acting during step k, by aba and the
    configuration-space integration: (q, v) of shapes (N, T + 1, nq) and (N, T + 1, nv),
    starting with q0 and v0. `out`: None or a pair of arrays of those shapes, written only once
    every trajectory succeeded; a trajectory failing part way names its row and step
    ("row 3, step 6: ...")."""

def rnea_derivatives(
    model: Model,
    q: ArrayLike,
    v: ArrayLike,
    a: ArrayLike,
    out: tuple[_Array, _Array, _Array] | None = None,
    threads: _Threads = None,
) -> tuple[_Array, _Array, _Array]:
    """(dtau_dq, dtau_dv, dtau_da) of rnea for each state, each (N, nv, nv), as
    kinetra.rnea_derivatives (dq in the tangent space). `out`: None or a tuple of three arrays."""

def aba_derivatives(
    model: Model,
    q: ArrayLike,
    v: ArrayLike,
    tau: ArrayLike,
    out: tuple[_Array, _Array, _Array] | None = None,
    threads: _Threads = None,
) -> tuple[_Array, _Array, _Array]:
    """(dqdd_dq, dqdd_dv, dqdd_dtau) of aba for each state, each (N, nv, nv), as
    kinetra.aba_derivatives. `out`: None or a tuple of three arrays."""

def step_derivatives(
    model: Model,
    q: ArrayLike,
    v: ArrayLike,
    tau: ArrayLike,
    dt: float,
    out: tuple[_Array, _Array] | None = None,
    threads: _Threads = None,
) -> tuple[_Array, _Array]:
    """(A, B) of one semi-implicit Euler step of length dt (> 0) for each state, (N, 2nv, 2nv)
    and (N, 2nv, nv), as kinetra.step_derivatives. `out`: None or a pair of arrays."""
def compute_collisions(
    model: Model,
    geometry_model: GeometryModel,
    q: ArrayLike,
    out: NDArray[np.bool_] | None = None,
    threads: _Threads = None,
) -> NDArray[np.bool_]:
    """Whether each collision pair overlaps for each q (N, nq): (N, P) bool, rows equal to
    kinetra.compute_collisions."""

def compute_distances(
    model: Model, geometry_model: GeometryModel, q: ArrayLike, out: _Out = None,
    threads: _Threads = None
) -> _Array:
    """The signed distance of each collision pair for each q (N, nq): (N, P), rows equal to
    the distances of kinetra.compute_distances."""
def inverse_kinematics(
    model: Model,
    frame_id: SupportsIndex,
    targets: ArrayLike,
    q0: ArrayLike | None = None,
    *,
    position_only: bool = False,
    tolerance: float = 1e-06,
    max_iterations: SupportsIndex = 200,
    damping: float = 1e-06,
    restarts: SupportsIndex = 0,
    seed: SupportsIndex | None = None,
    threads: _Threads = None,
) -> tuple[_Array, NDArray[np.bool_], _Array, NDArray[np.int64]]:
    """kinetra.inverse_kinematics for each of N targets: (N, 4, 4) homogeneous matrices or,
    with position_only, (N, 3) positions. q0: None (the single call's start), one (nq,)
    configuration for every target, or (N, nq). Returns (q (N, nq), success (N,), error (N, 6)
    or (N, 3), iterations (N,)), the fields of IKResult row by row. Row i restarts from the
    generator of seed + i (seed drawn at random when None), so it equals the single call with
    seed=seed + i. Every target is checked before any is solved."""
