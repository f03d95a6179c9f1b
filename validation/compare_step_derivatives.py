"""Compares kinetra's analytical step_derivatives with MuJoCo's finite differences.

On each robot welded to the world, both engines take one semi-implicit Euler step of length dt
(MuJoCo's Euler integrator, no damping, constraints off) from the same random states; kinetra's
(A, B) from `step_derivatives` are compared with MuJoCo's `mjd_transitionFD` (centred
differences) after mapping the state and effort layouts (MuJoCo gets one motor per joint, so its
controls are the joint efforts). Each figure is the worst over all states of
max|kinetra - mujoco| / max|mujoco| over the entries of A, and of B.

    python3 validation/compare_step_derivatives.py [--robots DIR] [--states N] [--seed S]
"""

from __future__ import annotations

import argparse
import sys
from pathlib import Path

import numpy as np

sys.path.insert(0, str(Path(__file__).resolve().parent))
import compare_mujoco  # noqa: E402

DT = 1e-3
EPS = 1e-6
TOLERANCE = 1e-5


def with_motors(mmodel_text, kmodel, joints, free_joints=()):
    """MuJoCo's model of the robot with a motor of gear 1 on each matched joint, in order, and a
    free joint of each (name, body) in `free_joints`."""
    import mujoco

    mj_spec = mujoco.MjSpec.from_string(mmodel_text)
    for name, body in free_joints:
        mj_spec.body(body).add_freejoint(name=name)
    for joint in joints:
        motor = mj_spec.add_actuator()
        motor.trntype = mujoco.mjtTrn.mjTRN_JOINT
        motor.target = joint.name
        motor.gear[0] = 1.0
    model = mj_spec.compile()
    model.opt.gravity[:] = kmodel.gravity
    model.opt.integrator = mujoco.mjtIntegrator.mjINT_EULER
    model.opt.timestep = DT
    model.dof_damping[:] = 0.0
    model.dof_armature[:] = 0.0
    model.jnt_stiffness[:] = 0.0
    model.dof_frictionloss[:] = 0.0
    for flag in ("mjDSBL_CONSTRAINT", "mjDSBL_PASSIVE", "mjDSBL_SPRING", "mjDSBL_DAMPER"):
        if hasattr(mujoco.mjtDisableBit, flag):
            model.opt.disableflags |= int(getattr(mujoco.mjtDisableBit, flag))
    return model


def compare(robot, states, seed):
    import kinetra
    import mujoco

    rng = np.random.default_rng(seed)
    # the MuJoCo text load_both makes, reconciliations included, to add the motors to
    texts = []
    load_mujoco = compare_mujoco.load_mujoco
    compare_mujoco.load_mujoco = lambda text, *rest: texts.append(text) or load_mujoco(text, *rest)
    try:
        kmodel, mmodel, _ = compare_mujoco.load_both(robot, rng)
    finally:
        compare_mujoco.load_mujoco = load_mujoco
    if kmodel is None:
        return None
    joints = compare_mujoco.match_joints(kmodel, mmodel)
    model = with_motors(texts[0], kmodel, joints)
    data = mujoco.MjData(model)
    kdata = kmodel.create_data()
    nv = kmodel.nv
    worst_a = worst_b = 0.0
    for _ in range(states):
        state = compare_mujoco.State(joints, rng, kmodel.nq, model.nq, nv)
        tau = rng.uniform(-1.0, 1.0, nv)
        permutation = state.velocity_map  # qvel = P v for a fixed base
        data.qpos[:] = state.qpos
        data.qvel[:] = permutation @ state.v
        # actuator k drives joints[k], whose kinetra dof is joints[k].kinetra_v
        data.ctrl[:] = [tau[j.kinetra_v] for j in joints]
        a = np.zeros((2 * nv, 2 * nv))
        b = np.zeros((2 * nv, model.nu))
        mujoco.mjd_transitionFD(model, data, EPS, 1, a, b, None, None)
        ours_a, ours_b = kinetra.step_derivatives(kmodel, kdata, state.q, state.v, tau, DT)
        both = np.kron(np.eye(2), permutation)
        controls = np.zeros((nv, model.nu))
        for k, joint in enumerate(joints):
            controls[joint.kinetra_v, k] = 1.0
        worst_a = max(worst_a, compare_mujoco.relative(both @ ours_a @ both.T, a))
        worst_b = max(worst_b, compare_mujoco.relative(both @ ours_b @ controls, b))
    return kmodel.nq, nv, worst_a, worst_b


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--robots", default=str(compare_mujoco.DEFAULT_ROBOTS))
    parser.add_argument("--states", type=int, default=10)
    parser.add_argument("--seed", type=int, default=7)
    args = parser.parse_args(argv)
    print("robot  nq  nv  A  B")
    worst = 0.0
    for robot in compare_mujoco.find_robots(args.robots):
        result = compare(robot, args.states, args.seed)
        if result is None:
            print(f"{robot.name}  unsupported")
            continue
        nq, nv, a, b = result
        worst = max(worst, a, b)
        print(f"{robot.name}  {nq}  {nv}  {a:.1e}  {b:.1e}")
    return 0 if worst <= TOLERANCE else 1


if __name__ == "__main__":
    sys.exit(main())
