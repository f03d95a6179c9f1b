"""kinetra.batch: the algorithms over a leading axis of states."""
import glob
import os
import sys
import threading

import numpy as np
import pytest

import kinetra
from kinetra import batch

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ARM = os.path.join(ROOT, "examples", "robots", "kinetra_arm")


@pytest.fixture(scope="module")
def arm():
    model, _, _ = kinetra.build_models_from_urdf(os.path.join(ARM, "kinetra_arm.urdf"),
                                                 package_dir=ARM)
    return model


def states(model, n, seed=0):
    rng = np.random.default_rng(seed)
    return (rng.uniform(-2, 2, (n, model.nq)), rng.uniform(-3, 3, (n, model.nv)),
            rng.uniform(-5, 5, (n, model.nv)))


def single(name, model, data, *row):
    """The single-state function's result for one row, as an array."""
    if name == "forward_kinematics":
        kinetra.forward_kinematics(model, data, *row)
        return np.array([p.homogeneous for p in data.joint_placements])
    if name == "integrate":  # takes no workspace
        return np.asarray(kinetra.integrate(model, *row))
    result = getattr(kinetra, name)(model, data, *row)
    return np.asarray(result.to_numpy() if hasattr(result, "to_numpy") else result)


FUNCTIONS = {  # name: how many of (q, v, a) it takes
    "forward_kinematics": 1, "rnea": 3, "aba": 3, "crba": 1, "nonlinear_effects": 2,
    "generalized_gravity": 1, "kinetic_energy": 2, "potential_energy": 1, "center_of_mass": 1,
    "integrate": 2,
}


@pytest.mark.parametrize("threads", [1, 2, None, 10**6])
@pytest.mark.parametrize("name", FUNCTIONS)
def test_rows_are_the_single_state_results_bit_for_bit(arm, name, threads):
    inputs = states(arm, 203)[:FUNCTIONS[name]]
    result = getattr(batch, name)(arm, *inputs, threads=threads)
    assert result.dtype == np.float64 and result.flags.c_contiguous
    data = arm.create_data()
    expected = np.array([single(name, arm, data, *(x[i] for x in inputs)) for i in range(203)])
    assert result.shape == expected.shape
    assert np.array_equal(result, expected)


LAYOUTS = {
    "fortran": lambda x: np.asfortranarray(x),
    "strided": lambda x: np.repeat(x, 2, axis=1)[:, ::2],
    "negative step": lambda x: x[::-1].copy()[::-1],
    "list": lambda x: x.tolist(),
    "float32": lambda x: x.astype(np.float32),
    "int": lambda x: np.rint(x).astype(np.int64),
    "big endian": lambda x: x.astype(">f8"),
}


@pytest.mark.parametrize("layout", LAYOUTS)
def test_any_layout_of_float64_values(arm, layout):
    q, v, a = states(arm, 20)
    converted = [LAYOUTS[layout](x) for x in (q, v, a)]
    expected = batch.rnea(arm, *(np.asarray(x, dtype=np.float64) for x in converted))
    assert np.array_equal(batch.rnea(arm, *converted), expected)


def test_out_is_written_in_place_and_returned(arm):
    q, v, a = states(arm, 50)
    out = np.empty((50, arm.nv))
    assert batch.aba(arm, q, v, a, out=out) is out
    assert np.array_equal(out, batch.aba(arm, q, v, a))
    # the same rows as an input: each row is read before it is written
    expected = batch.rnea(arm, q, v, a)
    assert batch.rnea(arm, q, v, a, out=a) is a
    assert np.array_equal(a, expected)


def test_out_sharing_memory_other_than_row_for_row(arm):
    q, v, _ = states(arm, 30)
    buffer = np.concatenate([v, np.zeros((1, arm.nv))])
    expected = batch.nonlinear_effects(arm, q, buffer[:-1])
    assert np.array_equal(batch.nonlinear_effects(arm, q, buffer[:-1], out=buffer[1:]), expected)


def test_a_single_state_and_empty_batches(arm):
    q, v, a = states(arm, 1)
    assert np.array_equal(batch.rnea(arm, q[0], v[0], a[0]), batch.rnea(arm, q, v, a))
    assert batch.crba(arm, np.empty((0, arm.nq))).shape == (0, arm.nv, arm.nv)
    assert batch.kinetic_energy(arm, np.empty((0, arm.nq)), np.empty((0, arm.nv))).shape == (0,)
    out = np.empty((0, arm.nv))
    assert batch.generalized_gravity(arm, np.empty((0, arm.nq)), out=out) is out


def test_one_coordinate_needs_two_axes():
    model = kinetra.Model()
    model.add_joint(0, kinetra.JointModelRY(), kinetra.SE3.Identity(), "j")
    assert batch.generalized_gravity(model, np.zeros((3, 1))).shape == (3, 1)
    with pytest.raises(ValueError, match=r"^q must be an array of shape \(N, 1\), got \(3,\)$"):
        batch.generalized_gravity(model, np.zeros(3))


BAD = [
    (lambda q, v, a: dict(q=q, v=v[:99], a=a), ValueError, "q has 100 states but v has 99"),
    (lambda q, v, a: dict(q=q[:, :5], v=v, a=a), ValueError,
     "Parameter 'q' expected configuration size 6, but got 5"),
    (lambda q, v, a: dict(q=q, v=v, a=a[:, :7].repeat(2, axis=1)), ValueError,
     "Parameter 'a' expected configuration size 6, but got 12"),
    (lambda q, v, a: dict(q=q[None], v=v, a=a), ValueError,
     "q must be an array of shape (N, 6), got (1, 100, 6)"),
    (lambda q, v, a: dict(q=q[0, 0], v=v, a=a), ValueError,
     "q must be an array of shape (N, 6), got ()"),
    (lambda q, v, a: dict(q=q + 1j, v=v, a=a), TypeError,
     "argument 'q': Cannot cast array data from dtype('complex128') to dtype('float64') "
     "according to the rule 'safe'"),
    (lambda q, v, a: dict(q=q, v=v, a=a, threads=0), ValueError,
     "threads must be at least 1, got 0"),
    (lambda q, v, a: dict(q=q, v=v, a=a, threads=1.5), TypeError,
     "argument 'threads': 'float' object cannot be interpreted as an integer"),
    (lambda q, v, a: dict(q=q, v=v, a=a, out=np.zeros((100, 7))), ValueError,
     "out must have shape (100, 6), got (100, 7)"),
    (lambda q, v, a: dict(q=q, v=v, a=a, out=np.zeros((100, 6), np.float32)), TypeError,
     "out must have dtype float64, got float32"),
    (lambda q, v, a: dict(q=q, v=v, a=a, out=np.zeros((6, 100)).T), ValueError,
     "out must be a C-contiguous, aligned and writeable array"),
    (lambda q, v, a: dict(q=q, v=v, a=a, out=[[0.0] * 6] * 100), TypeError,
     "out must be a numpy.ndarray, got list"),
]


@pytest.mark.parametrize("make, error, message", BAD)
def test_bad_input_is_refused_before_any_work(arm, make, error, message):
    q, v, a = states(arm, 100)
    kwargs = make(q, v, a)
    out = kwargs.get("out")
    if out is None:
        kwargs["out"] = out = np.full((100, arm.nv), 7.0)
    before = np.array(out, copy=True) if isinstance(out, np.ndarray) else None
    with pytest.raises(error) as info:
        batch.rnea(arm, **kwargs)
    assert str(info.value) == message
    if before is not None:
        assert np.array_equal(out, before)


def test_model_cannot_change_during_a_call(arm):
    """Another thread that tries to change the model while a call runs without the GIL gets
    the borrow error; the call's results are those of the unchanged model."""
    q, v, a = states(arm, 300_000)
    expected = batch.rnea(arm, q[:1000], v[:1000], a[:1000], threads=1)
    refused, stop = [], threading.Event()

    def mutate():
        while not stop.is_set():
            try:
                arm.name = "renamed"
            except RuntimeError as e:
                refused.append(str(e))

    mutator = threading.Thread(target=mutate)
    mutator.start()
    try:
        for threads in (1, 2):
            result = batch.rnea(arm, q, v, a, threads=threads)
            assert np.array_equal(result[:1000], expected)
    finally:
        stop.set()
        mutator.join()
    assert refused and set(refused) == {"Already borrowed"}


@pytest.mark.parametrize("kind", ["geometric", "body", "spatial"])
def test_frames_are_the_single_state_results(arm, kind):
    q, _, _ = states(arm, 40)
    data = arm.create_data()
    ids = [arm.nframes - 1, 0, 7]
    placements = batch.frame_placements(arm, q, ids, threads=2)
    every = batch.frame_placements(arm, q)
    jacobians = batch.frame_jacobian(arm, q, 7, kind=kind, threads=2)
    assert placements.shape == (40, 3, 4, 4) and every.shape == (40, arm.nframes, 4, 4)
    for i in range(40):
        kinetra.forward_kinematics(arm, data, q[i])
        single = kinetra.frame_placements(arm, data)
        assert np.array_equal(every[i], single) and np.array_equal(placements[i], single[ids])
        assert np.array_equal(jacobians[i], kinetra.frame_jacobian(arm, data, q[i], 7, kind))


@pytest.mark.parametrize("call, error, message", [
    (lambda m, q: batch.frame_jacobian(m, q, 18), IndexError,
     "frame id 18 is out of range for a model with 18 frames"),
    (lambda m, q: batch.frame_placements(m, q, [1, -1]), IndexError,
     "frame id -1 is out of range for a model with 18 frames"),
    (lambda m, q: batch.frame_jacobian(m, q, 3, kind="world"), ValueError,
     "kind must be 'geometric', 'body' or 'spatial', got 'world'"),
    (lambda m, q: batch.center_of_mass(kinetra.Model(), np.zeros((2, 0))), ValueError,
     "the model has no mass"),
])
def test_frame_refusals(arm, call, error, message):
    with pytest.raises(error) as info:
        call(arm, np.zeros((2, arm.nq)))
    assert str(info.value) == message


def test_calls_from_several_python_threads_at_once(arm):
    q, v, a = states(arm, 20_000)
    expected = batch.rnea(arm, q, v, a, threads=1)
    results = [None] * 4

    def work(k):
        results[k] = batch.rnea(arm, q, v, a, threads=2)

    workers = [threading.Thread(target=work, args=(k,)) for k in range(4)]
    for w in workers:
        w.start()
    for w in workers:
        w.join()
    assert all(np.array_equal(r, expected) for r in results)


def test_a_forked_child_gets_threads_of_its_own(arm):
    """The parent's pool threads do not exist in a forked child; its calls must not wait on
    them."""
    import multiprocessing

    q, v, a = states(arm, 5000)
    expected = batch.rnea(arm, q, v, a, threads=2)
    with multiprocessing.get_context("fork").Pool(1) as pool:
        result = pool.apply_async(batch.rnea, (arm, q, v, a), {"threads": 2}).get(timeout=60)
    assert np.array_equal(result, expected)


def test_semi_implicit_euler_is_the_loop_of_aba_steps(arm):
    q, v, _ = states(arm, 3)
    tau = np.random.default_rng(1).uniform(-5, 5, (3, 4, arm.nv))
    qs, vs = batch.rollout(arm, q, v, tau, 0.01, integrator="semi_implicit_euler")
    assert qs.shape == (3, 5, arm.nq) and vs.shape == (3, 5, arm.nv)
    data = arm.create_data()
    for i in range(3):
        qi, vi = q[i], v[i]
        for k in range(4):
            vi = vi + 0.01 * kinetra.aba(arm, data, qi, vi, tau[i, k]).to_numpy()
            qi = qi + 0.01 * vi  # the arm's joints all turn about an axis
            assert np.array_equal(qs[i, k + 1], qi) and np.array_equal(vs[i, k + 1], vi)


def test_rk4_keeps_the_energy_of_a_free_motion(arm):
    q, v, _ = states(arm, 4)
    v /= 10
    tau = np.zeros((4, 400, arm.nv))
    qs, vs = batch.rollout(arm, q, v, tau, 5e-4)
    energy = [batch.kinetic_energy(arm, qs[:, k], vs[:, k]) +
              batch.potential_energy(arm, qs[:, k]) for k in (0, 400)]
    assert np.allclose(energy[0], energy[1], rtol=0, atol=1e-8)
    one = batch.rollout(arm, q[2:3], v[2:3], tau[2:3], 5e-4, threads=1)
    assert np.array_equal(one[0][0], qs[2]) and np.array_equal(one[1][0], vs[2])


ROLLOUT_BAD = [
    (dict(dt=0.0), ValueError, "dt must be a positive finite number, got 0.0"),
    (dict(dt=-1), ValueError, "dt must be a positive finite number, got -1"),
    (dict(dt=float("nan")), ValueError, "dt must be a positive finite number, got nan"),
    (dict(dt=float("inf")), ValueError, "dt must be a positive finite number, got inf"),
    (dict(integrator="euler"), ValueError,
     "integrator must be 'rk4' or 'semi_implicit_euler', got 'euler'"),
    (dict(tau=np.zeros((5, 0, 6))), ValueError, "tau must hold at least one step, got 0"),
    (dict(tau=np.zeros((5, 6))), ValueError, "tau must be an array of shape (N, T, 6), got (5, 6)"),
    (dict(tau=np.zeros((4, 3, 6))), ValueError, "q0 has 5 states but tau has 4"),
    (dict(out=np.zeros((5, 4, 6))), TypeError, "out must be a pair of arrays (q, v), got ndarray"),
    (dict(out=(np.zeros((5, 4, 6)), np.zeros((5, 3, 6)))), ValueError,
     "out must have shape (5, 4, 6), got (5, 3, 6)"),
    (dict(out=(np.zeros((5, 4, 6)),) * 2), ValueError, "the arrays of out must not share memory"),
]


@pytest.mark.parametrize("change, error, message", ROLLOUT_BAD)
def test_rollout_refuses_bad_input(arm, change, error, message):
    q, v, _ = states(arm, 5)
    kwargs = dict(q0=q, v0=v, tau=np.zeros((5, 3, 6)), dt=0.01) | change
    with pytest.raises(error) as info:
        batch.rollout(arm, **kwargs)
    assert str(info.value) == message


def test_rollout_on_a_floating_base_steps_through_integrate():
    """Semi-implicit Euler is the loop of aba and integrate; the quaternion stays a unit one."""
    model = kinetra.Model()
    root = model.add_joint(0, kinetra.JointModelFloating(), kinetra.SE3.Identity(), "root")
    ball = model.add_joint(root, kinetra.JointModelSpherical(), kinetra.SE3.Random(), "ball")
    for joint in (root, ball):
        model.add_frame(kinetra.Frame(f"body{joint}", joint, 0, kinetra.SE3.Random(),
                                      kinetra.FrameType.Body, kinetra.Inertia.FromSphere(1.0, 0.2)),
                        True)
    q = np.array([kinetra.random_configuration(model).to_numpy() for _ in range(3)])
    v = np.random.default_rng(2).uniform(-1, 1, (3, model.nv))
    tau = np.random.default_rng(3).uniform(-1, 1, (3, 5, model.nv))
    qs, vs = batch.rollout(model, q, v, tau, 0.01, integrator="semi_implicit_euler")
    data = model.create_data()
    qi, vi = q[1], v[1]
    for k in range(5):
        vi = vi + 0.01 * kinetra.aba(model, data, qi, vi, tau[1, k]).to_numpy()
        qi = np.asarray(kinetra.integrate(model, qi, 0.01 * vi))
        assert np.array_equal(qs[1, k + 1], qi) and np.array_equal(vs[1, k + 1], vi)
    qs, _ = batch.rollout(model, q, v, tau, 0.01)
    assert np.allclose(np.linalg.norm(qs[:, :, 3:7], axis=2), 1.0, atol=1e-12)


def test_rollout_of_no_states_and_into_out(arm):
    qs, vs = batch.rollout(arm, np.empty((0, 6)), np.empty((0, 6)), np.empty((0, 3, 6)), 0.1)
    assert qs.shape == (0, 4, 6) and vs.shape == (0, 4, 6)
    q, v, _ = states(arm, 2)
    out = (np.empty((2, 3, 6)), np.empty((2, 3, 6)))
    result = batch.rollout(arm, q, v, np.ones((2, 2, 6)), 0.1, out=out)
    assert result[0] is out[0] and result[1] is out[1]
    assert np.array_equal(out[0][:, 0], q)


def test_module_entry():
    assert sys.modules["kinetra.batch"] is batch
    assert batch.__all__ == list(FUNCTIONS) + ["frame_placements", "frame_jacobian", "rollout",
                                              "rnea_derivatives", "aba_derivatives",
                                              "step_derivatives", "compute_collisions",
                                              "compute_distances", "inverse_kinematics"]
    assert batch.integrate.__text_signature__ == "(model, q, v, out=None, threads=None)"
    assert batch.rnea.__text_signature__ == "(model, q, v, a, out=None, threads=None, exact=True)"


def test_dask_example_matches_in_process_results(arm, tmp_path):
    """The example on a local cluster of 2 processes writes what kinetra.batch gives here."""
    pytest.importorskip("dask.array")
    pytest.importorskip("distributed")
    zarr = pytest.importorskip("zarr")
    import subprocess

    store = str(tmp_path / "dataset.zarr")
    done = subprocess.run(
        [sys.executable, os.path.join(ROOT, "examples", "dataset_on_dask.py"), "--states",
         "10000", "--chunk", "3000", "--workers", "2", "--output", store],
        capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    assert "10000 states on 2 workers" in done.stdout
    group = zarr.open_group(store, mode="r")
    q, v, a = (group[name][:] for name in ("q", "v", "a"))
    assert q.shape == (10000, arm.nq)
    assert np.array_equal(group["tau"][:], batch.rnea(arm, q, v, a))
    assert np.array_equal(group["M"][:], batch.crba(arm, q))


NO_VALUES = {  # calls whose results hold no numbers, however many states they are given
    "rnea": lambda m, z: batch.rnea(m, z, z, z),
    "aba": lambda m, z: batch.aba(m, z, z, z),
    "crba": lambda m, z: batch.crba(m, z),
    "nonlinear_effects": lambda m, z: batch.nonlinear_effects(m, z, z),
    "generalized_gravity": lambda m, z: batch.generalized_gravity(m, z),
    "integrate": lambda m, z: batch.integrate(m, z, z),
    "frame_placements": lambda m, z: batch.frame_placements(m, z, frame_ids=[]),
    "frame_jacobian": lambda m, z: batch.frame_jacobian(m, z, 0),
    "rollout": lambda m, z: batch.rollout(m, z[:1], z[:1], np.empty((1, 10**12, 0)), 0.1),
}


@pytest.mark.parametrize("name", NO_VALUES)
def test_results_without_numbers_return_at_once(name):
    z = np.empty((10**15, 0))
    result = NO_VALUES[name](kinetra.Model(), z)
    assert all(r.size == 0 for r in (result if isinstance(result, tuple) else (result,)))


def pendulum():
    model = kinetra.Model()
    hinge = model.add_joint(0, kinetra.JointModelRY(), kinetra.SE3.Identity(), "hinge")
    model.add_frame(kinetra.Frame("bob", hinge, 0, kinetra.SE3.Identity(), kinetra.FrameType.Body,
                                  kinetra.Inertia.FromSphere(1.0, 0.1)), True)
    return model


class Alarm(Exception):
    pass


LONG_CALLS = {  # each takes seconds; (call, the part of `out` an interrupted call leaves alone)
    "rnea": (lambda m, x, out: batch.rnea(m, x, x, x, out=out, threads=1), lambda out: out[-1]),
    "rollout": (lambda m, x, out: batch.rollout(m, x[:1], x[:1], x.reshape(1, -1, 1), 1e-3,
                                                "semi_implicit_euler", out=out, threads=1),
                lambda out: np.concatenate([o.ravel() for o in out])),
}


@pytest.mark.parametrize("name", LONG_CALLS)
def test_a_signal_handler_that_raises_stops_a_long_call(name):
    import signal

    call, untouched = LONG_CALLS[name]
    model = pendulum()
    x = np.zeros((4 * 10**6, 1))
    out = np.full((4 * 10**6, 1), np.nan) if name == "rnea" else \
        tuple(np.full((1, 4 * 10**6 + 1, 1), np.nan) for _ in range(2))

    def alarm(*_):
        raise Alarm

    previous = signal.signal(signal.SIGALRM, alarm)
    signal.setitimer(signal.ITIMER_REAL, 0.05, 0.05)
    try:
        with pytest.raises(Alarm):
            call(model, x, out)
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, previous)
    assert np.isnan(untouched(out)).all()


def floating_arm():
    model, _, _ = kinetra.build_models_from_urdf(os.path.join(ARM, "kinetra_arm.urdf"),
                                                 package_dir=ARM,
                                                 root_joint=kinetra.JointModelFloating())
    return model


ROW_CALLS = {
    "rnea": lambda m, q, v, out: batch.rnea(m, q, v, v, out=out, threads=1),
    "aba": lambda m, q, v, out: batch.aba(m, q, v, v, out=out, threads=2),
    "integrate": lambda m, q, v, out: batch.integrate(m, q, v, out=out),
    "rnea in lanes": lambda m, q, v, out: batch.rnea(m, q, v, v, out=out, threads=2,
                                                     exact=False),
    "aba in lanes": lambda m, q, v, out: batch.aba(m, q, v, v, out=out, exact=False),
    "rollout": lambda m, q, v, out: batch.rollout(m, q, v, v[:, None], 0.01, out=out),
}


@pytest.mark.parametrize("name", ROW_CALLS)
def test_a_refused_row_is_named_and_no_row_is_written(name):
    model = floating_arm()
    q = np.array([kinetra.neutral(model).to_numpy()] * 1000)
    v = np.zeros((1000, model.nv))
    q[700, 3:7] = 0.0
    width = model.nq if name == "integrate" else model.nv
    out = (np.full((1000, 2, model.nq), 7.0), np.full((1000, 2, model.nv), 7.0)) \
        if name == "rollout" else np.full((1000, width), 7.0)
    with pytest.raises(ValueError, match="^row 700: joint 'root_joint' has a quaternion of norm 0$"):
        ROW_CALLS[name](model, q, v, out)
    assert all((o == 7.0).all() for o in (out if isinstance(out, tuple) else (out,)))


def test_a_trajectory_failing_part_way_is_named_and_leaves_out_alone():
    model = floating_arm()
    q = np.array([kinetra.neutral(model).to_numpy()] * 4)
    v = np.zeros((4, model.nv))
    tau = np.zeros((4, 10, model.nv))
    tau[3, 5, 0] = np.nan
    out = (np.full((4, 11, model.nq), 7.0), np.full((4, 11, model.nv), 7.0))
    with pytest.raises(ValueError, match="^row 3, step 5: joint 'root_joint' has a quaternion "
                                         "of norm NaN$"):
        batch.rollout(model, q, v, tau, 0.01, "semi_implicit_euler", out=out)
    assert (out[0] == 7.0).all() and (out[1] == 7.0).all()


SHARED_ROBOTS = os.path.join(ROOT, "..", "shared", "robots")


def robot_model(name, floating):
    root = kinetra.JointModelFloating() if floating else None
    if name == "kinetra_arm":
        path, package_dir = os.path.join(ARM, "kinetra_arm.urdf"), ARM
    else:
        files = sorted(glob.glob(os.path.join(SHARED_ROBOTS, name, "*.urdf")))
        if not files:
            pytest.skip(f"{name} is not available")
        path, package_dir = files[0], None
    model, _, _ = kinetra.build_models_from_urdf(path, package_dir=package_dir, check_meshes=False,
                                                 root_joint=root)
    return model


@pytest.mark.parametrize("n", [1, 3, 5, 203])
@pytest.mark.parametrize("floating", [False, True])
@pytest.mark.parametrize("robot", ["kinetra_arm", "fetch_mobile_manipulator", "humanoid_g1",
                                   "iiwa_relative_meshes", "panda_arm_hand", "panda_with_meshes",
                                   "quadruped_a1", "r2d2_flexible"])
def test_rows_in_lanes_are_the_single_state_results_within_rounding(robot, floating, n):
    model = robot_model(robot, floating)
    rng = np.random.default_rng(n)
    q = np.array([kinetra.integrate(model, kinetra.neutral(model),
                                    rng.uniform(-np.pi, np.pi, model.nv)) for _ in range(n)])
    v, x = rng.uniform(-2, 2, (2, n, model.nv))

    def bound(lanes, exact, mass=None):
        """max(abs(lanes - exact)) row by row against 1e-12 max(1, max(abs(exact))), through
        the efforts for accelerations; rows without numbers (massless bodies) alike."""
        assert np.array_equal(np.isfinite(lanes), np.isfinite(exact))
        rows = np.isfinite(exact).all(axis=1)
        lanes, exact = lanes[rows], exact[rows]
        if mass is None:
            error, scale = lanes - exact, np.abs(exact)
        else:
            mass = mass[rows]
            error = mass @ (lanes - exact)[..., None]
            scale = np.abs(mass) @ np.abs(exact)[..., None]
        assert (np.abs(error).max(axis=1) <= 1e-12 * np.maximum(1, scale.max(axis=1))).all()

    for name, inputs in (("rnea", (q, v, x)), ("nonlinear_effects", (q, v)),
                         ("generalized_gravity", (q,)), ("aba", (q, v, x))):
        function = getattr(batch, name)
        exact = function(model, *inputs)
        assert np.array_equal(function(model, *inputs, exact=True), exact, equal_nan=True)
        lanes = function(model, *inputs, threads=2, exact=False)
        assert lanes.shape == exact.shape and lanes.flags.c_contiguous
        bound(lanes, exact, batch.crba(model, q) if name == "aba" else None)
