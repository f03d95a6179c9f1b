"""Cost per call from Python of rnea, aba and crba on the shared humanoid_g1 with a floating base
(nv 35), beside MuJoCo on the same robot with a free joint, in the same run.

MuJoCo's model is the cross-check's (validation/compare_mujoco.py): no geometry, constraints
and passive forces off. Its calls are whole pipeline stages, each with the state written first:
rnea against mj_inverse, aba against mj_forward, crba against mj_fwdPosition then mj_fullM.

Usage: python3 benchmarks/floating_base_calls.py (needs mujoco: pip install mujoco)
"""
import os
import sys

import numpy as np

import kinetra
from python_calls import ROOT, best_ns

sys.path.insert(0, os.path.join(ROOT, "validation"))
import compare_mujoco  # noqa: E402


def calls(repeat=50_000):
    robots = os.environ.get("KINETRA_SHARED_ROBOTS", compare_mujoco.DEFAULT_ROBOTS)
    (robot,) = [r for r in compare_mujoco.find_robots(robots) if r.name == "humanoid_g1"]
    rng = np.random.default_rng(1)
    model, mj_model, _ = compare_mujoco.load_both(robot, rng, floating=True)
    joints = compare_mujoco.match_joints(model, mj_model)
    state = compare_mujoco.State(joints, rng, model.nq, mj_model.nq, model.nv)
    data = model.create_data()
    q, v, a = state.q, state.v, state.a

    import mujoco

    mj_data = mujoco.MjData(mj_model)
    qpos, qvel = state.qpos, state.velocity_map @ v
    qacc = state.velocity_map @ a + state.acceleration_bias(v)
    tau = state.velocity_map @ kinetra.rnea(model, data, q, v, a).to_numpy()
    full = np.zeros((mj_model.nv, mj_model.nv))

    def mj_inverse():
        mj_data.qpos[:], mj_data.qvel[:], mj_data.qacc[:] = qpos, qvel, qacc
        mujoco.mj_inverse(mj_model, mj_data)

    def mj_forward():
        mj_data.qpos[:], mj_data.qvel[:], mj_data.qfrc_applied[:] = qpos, qvel, tau
        mujoco.mj_forward(mj_model, mj_data)

    def mj_mass_matrix():
        mj_data.qpos[:] = qpos
        mujoco.mj_fwdPosition(mj_model, mj_data)
        mujoco.mj_fullM(mj_model, mj_data, full)

    pairs = {
        "rnea": (lambda: kinetra.rnea(model, data, q, v, a), mj_inverse),
        "aba": (lambda: kinetra.aba(model, data, q, v, tau), mj_forward),
        "crba": (lambda: kinetra.crba(model, data, q), mj_mass_matrix),
    }
    print(f"humanoid_g1, floating base (nq {model.nq}, nv {model.nv}), ns per call from Python:")
    print(f"  {'':<6} {'kinetra':>9} {'mujoco':>9}")
    for label, (ours, theirs) in pairs.items():
        print(f"  {label:<6} {best_ns(ours, repeat):9.0f} {best_ns(theirs, repeat):9.0f}")


if __name__ == "__main__":
    calls()
