"""States per second of kinetra.batch beside Python loops of single-state calls and MuJoCo.

For each robot and algorithm: kinetra.batch on 1 and 2 threads over N states, a Python loop of
kinetra's single-state function, a Python loop of the matching MuJoCo call (mj_inverse for
rnea, mj_forward for aba, mj_fwdPosition with mj_fullM for crba, mj_kinematics, mj_comPos and
mj_jac for a frame Jacobian) and, for rollouts, mujoco.rollout. Loops run over a tenth of the
states and are reported per state like the rest. Then rnea and aba with exact=False (several
states per instruction) beside exact=True, on one thread. Best of three runs each.

    python3 benchmarks/batch.py [--states N] [--robots DIR]
"""
import argparse
import os
import sys
import time
from pathlib import Path

import numpy as np

import kinetra
from kinetra import batch

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "validation"))
from compare_mujoco import Robot, load_both  # noqa: E402

ROBOTS = {"panda_arm_hand": "panda.urdf", "humanoid_g1": "g1_29dof.urdf"}
STEPS = 10  # rollout steps per state
DT = 1e-3


def best_rate(run, states, repeat=3):
    """States per second of the fastest of `repeat` runs of run(), which handles `states`."""
    best = min(timed(run) for _ in range(repeat))
    return states / best


def timed(run):
    start = time.perf_counter()
    run()
    return time.perf_counter() - start


def kinetra_loop(function, model, inputs, count):
    data = model.create_data()
    single = getattr(kinetra, function)

    def run():
        for i in range(count):
            single(model, data, *(x[i] for x in inputs))
    return run


class Mujoco:
    def __init__(self, model):
        import mujoco

        self.mujoco = mujoco
        self.model = model
        self.data = mujoco.MjData(model)
        self.mass = np.zeros((model.nv, model.nv))
        self.jacobian = np.zeros((2, 3, model.nv))

    def states(self, rng, n):
        return (rng.uniform(-1, 1, (n, self.model.nq)), rng.uniform(-1, 1, (n, self.model.nv)),
                rng.uniform(-1, 1, (n, self.model.nv)))

    def loop(self, function, qpos, qvel, other, count):
        m, d, mj = self.model, self.data, self.mujoco

        def rnea():
            for i in range(count):
                d.qpos[:], d.qvel[:], d.qacc[:] = qpos[i], qvel[i], other[i]
                mj.mj_inverse(m, d)

        def aba():
            for i in range(count):
                d.qpos[:], d.qvel[:], d.qfrc_applied[:] = qpos[i], qvel[i], other[i]
                mj.mj_forward(m, d)

        def crba():
            for i in range(count):
                d.qpos[:] = qpos[i]
                mj.mj_fwdPosition(m, d)
                mj.mj_fullM(m, d, self.mass)

        def frame_jacobian():
            body = m.nbody - 1
            for i in range(count):
                d.qpos[:] = qpos[i]
                mj.mj_kinematics(m, d)
                mj.mj_comPos(m, d)
                mj.mj_jacBody(m, d, self.jacobian[0], self.jacobian[1], body)

        return {"rnea": rnea, "aba": aba, "crba": crba, "frame_jacobian": frame_jacobian}[function]

    def rollout(self, qpos, qvel, tau, threads):
        from mujoco import rollout

        mj = self.mujoco
        m = self.model
        m.opt.timestep = DT
        m.opt.integrator = mj.mjtIntegrator.mjINT_RK4
        full_physics = mj.mjtState.mjSTATE_FULLPHYSICS
        state = np.zeros((len(qpos), mj.mj_stateSize(m, full_physics)))
        state[:, 1:1 + m.nq] = qpos
        state[:, 1 + m.nq:1 + m.nq + m.nv] = qvel
        datas = [mj.MjData(m) for _ in range(threads)]
        runner = rollout.Rollout(nthread=threads)
        # the efforts act as applied generalized forces, as kinetra's tau
        return lambda: runner.rollout([m] * len(qpos), datas, state, tau,
                                      control_spec=mj.mjtState.mjSTATE_QFRC_APPLIED,
                                      nstep=tau.shape[1])


def report(name, path, states, rng):
    kmodel, mmodel, _ = load_both(Robot(name, path.parent, path), rng)
    mujoco = Mujoco(mmodel)
    n, loop_n = states, max(1, states // 10)
    q = np.array([kinetra.random_configuration(kmodel).to_numpy() for _ in range(n)])
    v, a = rng.uniform(-1, 1, (2, n, kmodel.nv))
    qpos, qvel, other = mujoco.states(rng, loop_n)
    frame = kmodel.nframes - 1
    functions = {
        "rnea": ((q, v, a), {}),
        "aba": ((q, v, a), {}),
        "crba": ((q,), {}),
        "frame_jacobian": ((q,), {"frame_id": frame}),
    }
    print(f"\n{name}: nq {kmodel.nq}, nv {kmodel.nv}, {n} states (states per second)")
    print(f"  {'':<16}{'batch 1 thread':>16}{'batch 2 threads':>16}{'2 / 1':>7}"
          f"{'kinetra loop':>14}{'mujoco loop':>13}{'1 thread / mujoco':>19}")
    for function, (inputs, extra) in functions.items():
        if not hasattr(batch, function):
            print(f"  {function:<16}  (not in kinetra.batch)")
            continue
        f = getattr(batch, function)
        one = best_rate(lambda: f(kmodel, *inputs, threads=1, **extra), n)
        two = best_rate(lambda: f(kmodel, *inputs, threads=2, **extra), n)
        args = [x[:loop_n] for x in inputs] + list(extra.values())
        if function == "frame_jacobian":
            data = kmodel.create_data()
            looped = best_rate(lambda: [kinetra.frame_jacobian(kmodel, data, q[i], frame)
                                        for i in range(loop_n)], loop_n)
        else:
            looped = best_rate(kinetra_loop(function, kmodel, args, loop_n), loop_n)
        mj_rate = best_rate(mujoco.loop(function, qpos, qvel, other, loop_n), loop_n)
        print(f"  {function:<16}{one:>16,.0f}{two:>16,.0f}{two / one:>7.2f}{looped:>14,.0f}"
              f"{mj_rate:>13,.0f}{one / mj_rate:>18.1f}x")
    for function in ("rnea", "aba"):
        f, inputs = getattr(batch, function), functions[function][0]
        exact = best_rate(lambda: f(kmodel, *inputs, threads=1), n)
        lanes = best_rate(lambda: f(kmodel, *inputs, threads=1, exact=False), n)
        print(f"  {function} exact=False, 1 thread: {lanes:,.0f} states/s, "
              f"{lanes / exact:.2f}x exact=True")
    if hasattr(batch, "rollout"):
        rollout_n = max(1, n // STEPS)
        tau = rng.uniform(-1, 1, (rollout_n, STEPS, kmodel.nv))
        v0 = v[:rollout_n]
        for threads in (1, 2):
            rate = best_rate(lambda: batch.rollout(kmodel, q[:rollout_n], v0, tau, DT,
                                                   threads=threads), rollout_n * STEPS)
            qpos_r, qvel_r, _ = mujoco.states(rng, rollout_n)
            mj_rate = best_rate(mujoco.rollout(qpos_r, qvel_r, tau, threads),
                                rollout_n * STEPS)
            print(f"  rollout rk4, {threads} thread{'s' if threads > 1 else ''}: kinetra "
                  f"{rate:,.0f} steps/s, mujoco.rollout {mj_rate:,.0f} steps/s")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--states", type=int, default=10**5)
    parser.add_argument("--robots", default=str(ROOT.parent / "shared" / "robots"))
    args = parser.parse_args()
    rng = np.random.default_rng(0)
    for name, urdf in ROBOTS.items():
        path = Path(args.robots) / name / urdf
        if not path.exists():
            print(f"{path} not found: skipped")
            continue
        report(name, path, args.states, rng)


if __name__ == "__main__":
    main()
