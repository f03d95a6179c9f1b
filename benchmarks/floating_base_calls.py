"""Nanoseconds per call from Python of rnea, aba and crba on the shared humanoid_g1 with a floating
base (nv 35), beside MuJoCo on the same robot with a free joint, in the same run.

MuJoCo's model is the cross-check's (validation/compare_mujoco.py: no geometry, constraints and
passive forces off) and its calls are those of benchmarks/compare.py: rnea = mj_kinematics,
mj_comPos, mj_comVel, mj_rne; aba = mj_forward; crba = mj_crb, mj_fullM. Both engines are first
checked to agree at the state.

Usage: python3 benchmarks/floating_base_calls.py [--repeat N]  (needs mujoco: pip install mujoco)
"""
import argparse

import numpy as np

import kinetra
from compare import best_ns, mujoco_calls, validation


def engines():
    """kinetra's and MuJoCo's calls at one random state, and their worst disagreement."""
    import mujoco

    (robot,) = [r for r in validation.find_robots(validation.DEFAULT_ROBOTS)
                if r.name == "humanoid_g1"]
    rng = np.random.default_rng(1)
    model, m, _ = validation.load_both(robot, rng, floating=True)
    state = validation.State(validation.match_joints(model, m), rng, model.nq, m.nq, model.nv)
    data, d = model.create_data(), mujoco.MjData(m)
    q, v, a, to_mujoco = state.q, state.v, state.a, state.velocity_map
    tau = kinetra.rnea(model, data, q, v, a).to_numpy()
    d.qpos[:], d.qvel[:] = state.qpos, to_mujoco @ v
    d.qacc[:] = to_mujoco @ a + state.acceleration_bias(v)
    d.qfrc_applied[:] = to_mujoco @ tau
    theirs, rne, full = mujoco_calls(m, d)
    qacc = d.qacc.copy()
    theirs["rnea"]()
    theirs["crba"]()
    mujoco.mj_forward(m, d)
    worst = max(np.max(np.abs(to_mujoco.T @ rne - tau)),
                np.max(np.abs(to_mujoco.T @ full @ to_mujoco - kinetra.crba(model, data, q))),
                np.max(np.abs(to_mujoco.T @ (d.qacc - state.acceleration_bias(v)) - a)))
    d.qacc[:] = qacc  # mj_forward overwrote it
    ours = {
        "rnea": lambda: kinetra.rnea(model, data, q, v, a),
        "aba": lambda: kinetra.aba(model, data, q, v, tau),
        "crba": lambda: kinetra.crba(model, data, q),
    }
    calls = {label: (call, theirs[label]) for label, call in ours.items()}
    return model, calls, worst


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=5)
    args = parser.parse_args(argv)
    model, calls, worst = engines()
    print(f"humanoid_g1 with a floating base (nq {model.nq}, nv {model.nv}), CPU ns per call "
          f"from Python; worst difference between the engines {worst:.1e}")
    print(f"  {'':<6} {'kinetra':>9} {'mujoco':>9} {'mujoco/kinetra':>15}")
    for label, (ours, theirs) in calls.items():
        ours_ns, theirs_ns = best_ns(ours, args.repeat), best_ns(theirs, args.repeat)
        print(f"  {label:<6} {ours_ns:9.0f} {theirs_ns:9.0f} {theirs_ns / ours_ns:15.2f}")


if __name__ == "__main__":
    main()
