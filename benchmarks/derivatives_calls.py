"""Cost per state of the dynamics derivatives from Python, beside central differences of
kinetra's own rnea and aba and, when `mujoco` is installed, MuJoCo's mjd_transitionFD (centred,
Euler integrator) on the same robot and state.

Usage: python3 benchmarks/derivatives_calls.py
"""
import sys
import time
import timeit
from pathlib import Path

import numpy as np

import kinetra
from kinetra import batch

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "validation"))
import compare_mujoco  # noqa: E402
import compare_step_derivatives  # noqa: E402

ROBOTS = [("iiwa_relative_meshes", False), ("panda_arm_hand", False), ("humanoid_g1", False),
          ("humanoid_g1", True)]
DT = 1e-3


def per_call(f, repeat=5):
    """CPU time of one call: the process's own time, so that a busy machine counts less."""
    timer = timeit.Timer(f, timer=time.process_time)
    number = max(1, int(0.05 / max(timer.timeit(number=1), 1e-7)))
    return min(timer.repeat(number=number, repeat=repeat)) / number


def central_differences(model, data, f, q, v, x):
    """Central differences of f(model, data, q, v, x) in q (through integrate), v and x."""
    nv, h = model.nv, 1e-6
    for k in range(nv):
        e = np.zeros(nv)
        e[k] = h
        f(model, data, kinetra.integrate(model, q, e), v, x)
        f(model, data, kinetra.integrate(model, q, -e), v, x)
        f(model, data, q, v + e, x)
        f(model, data, q, v - e, x)
        f(model, data, q, v, x + e)
        f(model, data, q, v, x - e)


def mujoco_call(robot, floating):
    """mjd_transitionFD on MuJoCo's model of the robot at one state, or None."""
    try:
        import mujoco
    except ImportError:
        return None
    texts = []
    load = compare_mujoco.load_mujoco
    compare_mujoco.load_mujoco = lambda text, *rest: texts.append((text, rest)) or load(text, *rest)
    try:
        kmodel, mmodel, _ = compare_mujoco.load_both(robot, np.random.default_rng(0), floating)
    finally:
        compare_mujoco.load_mujoco = load
    joints = [j for j in compare_mujoco.match_joints(kmodel, mmodel) if j.kind != "free"]
    text, (_, free_joints) = texts[0]
    model = compare_step_derivatives.with_motors(text, kmodel, joints, free_joints)
    data = mujoco.MjData(model)
    mujoco.mj_resetData(model, data)
    data.qvel[:] = np.random.default_rng(1).uniform(-1, 1, model.nv)
    a = np.zeros((2 * model.nv, 2 * model.nv))
    b = np.zeros((2 * model.nv, model.nu))
    return lambda: mujoco.mjd_transitionFD(model, data, 1e-6, 1, a, b, None, None)


def main():
    robots = {r.name: r for r in compare_mujoco.find_robots(compare_mujoco.DEFAULT_ROBOTS)}
    print("robot | nv | rnea | rnea_derivatives | rnea FD | aba | aba_derivatives | aba FD | "
          "step_derivatives | batch step, 1 thread, per state | mjd_transitionFD (us)")
    for name, floating in ROBOTS:
        if name not in robots:
            continue
        model = compare_mujoco.load_kinetra(robots[name].urdf, robots[name].folder, floating)
        data = model.create_data()
        rng = np.random.default_rng(3)
        q = kinetra.random_configuration(model, 3).to_numpy()
        v, u = rng.uniform(-1, 1, model.nv), rng.uniform(-1, 1, model.nv)
        n = 256
        qs, vs, us = np.tile(q, (n, 1)), np.tile(v, (n, 1)), np.tile(u, (n, 1))
        out = (np.empty((n, 2 * model.nv, 2 * model.nv)), np.empty((n, 2 * model.nv, model.nv)))
        calls = [
            lambda: kinetra.rnea(model, data, q, v, u),
            lambda: kinetra.rnea_derivatives(model, data, q, v, u),
            lambda: central_differences(model, data, kinetra.rnea, q, v, u),
            lambda: kinetra.aba(model, data, q, v, u),
            lambda: kinetra.aba_derivatives(model, data, q, v, u),
            lambda: central_differences(model, data, kinetra.aba, q, v, u),
            lambda: kinetra.step_derivatives(model, data, q, v, u, DT),
        ]
        figures = [per_call(f) * 1e6 for f in calls]
        figures.append(per_call(lambda: batch.step_derivatives(model, qs, vs, us, DT, out=out,
                                                               threads=1)) / n * 1e6)
        mujoco = mujoco_call(robots[name], floating)
        figures.append(per_call(mujoco) * 1e6 if mujoco else float("nan"))
        base = " floating" if floating else ""
        print(f"{name}{base} | {model.nv} | " + " | ".join(f"{x:.2f}" for x in figures))


if __name__ == "__main__":
    main()
