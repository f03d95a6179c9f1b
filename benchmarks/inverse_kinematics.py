"""Inverse kinematics beside PyBullet's calculateInverseKinematics on the same targets: time per
solve, success rate and final error, on the bundled arm and, when ../shared/robots is present,
the Panda and the iiwa.

Targets are the tool frame's placements at random configurations (seeded). kinetra solves each
with inverse_kinematics from its default start, without and with 5 restarts; PyBullet with
calculateInverseKinematics from the same start and 200 iterations, once given the joint limits
and once without them. Both answers are scored by kinetra's forward kinematics: success is a
frame error |log6(oMf^-1 target)| <= 1e-4 and a configuration within the joint limits; "within
1e-2" counts the answers whose error is at most 1e-2. Times are of the calls alone.

Usage: python3 benchmarks/inverse_kinematics.py [--count N]   (needs `pip install pybullet`)
"""
import argparse
import os
import re
import tempfile
import time

import numpy as np

import kinetra

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SHARED = os.environ.get("KINETRA_SHARED_ROBOTS", os.path.join(ROOT, "..", "shared", "robots"))
ROBOTS = [
    ("arm", os.path.join(ROOT, "examples", "robots", "kinetra_arm"), "kinetra_arm.urdf",
     "tool_tip_link"),
    ("panda", os.path.join(SHARED, "panda_arm_hand"), "panda.urdf", "panda_hand"),
    ("iiwa", os.path.join(SHARED, "iiwa_relative_meshes"), "model.urdf", None),
]
SUCCESS = 1e-4


def targets_of(model, frame_id, count):
    data = model.create_data()
    out = []
    for k in range(count):
        kinetra.forward_kinematics(model, data, kinetra.random_configuration(model, seed=k))
        out.append(kinetra.frame_placement(model, data, frame_id))
    return out


def score(model, frame_id, q, target):
    data = model.create_data()
    kinetra.forward_kinematics(model, data, q)
    placement = kinetra.frame_placement(model, data, frame_id)
    error = np.linalg.norm(kinetra.log6(placement.inverse() * target))
    inside = np.all(q >= model.lower_position_limits - 1e-9) and np.all(
        q <= model.upper_position_limits + 1e-9)
    return error, error <= SUCCESS and inside


def run_kinetra(model, frame_id, targets, restarts):
    answers, times = [], []
    for k, target in enumerate(targets):
        start = time.perf_counter()
        answers.append(kinetra.inverse_kinematics(model, frame_id, target, restarts=restarts,
                                                  seed=k).q)
        times.append(time.perf_counter() - start)
    return times, answers


def without_geometry(path):
    """The URDF without visual and collision elements: PyBullet needs no meshes here."""
    text = open(path).read()
    text = re.sub(r"<visual.*?</visual>", "", text, flags=re.S)
    text = re.sub(r"<collision.*?</collision>", "", text, flags=re.S)
    handle, name = tempfile.mkstemp(suffix=".urdf")
    with os.fdopen(handle, "w") as f:
        f.write(text)
    return name


def run_pybullet(model, frame_name, urdf, targets, null_space):
    """calculateInverseKinematics from the same start; with null_space, given the joint limits,
    ranges and the start as rest pose (its limit-aware form), otherwise plain."""
    import pybullet as p

    client = p.connect(p.DIRECT)
    path = without_geometry(urdf)
    body = p.loadURDF(path, useFixedBase=True, physicsClientId=client)
    os.unlink(path)
    movable, link = [], None
    for j in range(p.getNumJoints(body, physicsClientId=client)):
        info = p.getJointInfo(body, j, physicsClientId=client)
        if info[12].decode() == frame_name:
            link = j
        if info[2] != p.JOINT_FIXED:
            movable.append((j, info[1].decode(), info[8], info[9]))
    lower = [m[2] for m in movable]
    upper = [m[3] for m in movable]
    ranges = [u - l for l, u in zip(lower, upper)]
    neutral = kinetra.neutral(model).to_numpy()
    starts = np.cumsum([0] + [joint.nq for joint in model.joint_models])
    index = {name: starts[model.get_joint_id(name)] for _, name, _, _ in movable}
    rest = [float(neutral[index[name]]) for _, name, _, _ in movable]
    answers, times = [], []
    for target in targets:
        for (j, _, _, _), value in zip(movable, rest):
            p.resetJointState(body, j, value, physicsClientId=client)
        x, y, z, w = kinetra.matrix_to_quaternion(target.rotation)
        position = target.translation.tolist()
        limits = dict(lowerLimits=lower, upperLimits=upper, jointRanges=ranges,
                      restPoses=rest) if null_space else {}
        start = time.perf_counter()
        answers.append(p.calculateInverseKinematics(
            body, link, position, [x, y, z, w], maxNumIterations=200, residualThreshold=1e-6,
            physicsClientId=client, **limits))
        times.append(time.perf_counter() - start)
    p.disconnect(client)
    qs = []
    for values in answers:
        q = neutral.copy()
        for (_, name, _, _), value in zip(movable, values):
            q[index[name]] = value
        qs.append(q)
    return times, qs


def summary(model, frame_id, targets, qs):
    scores = [score(model, frame_id, q, t) for q, t in zip(qs, targets)]
    errors = np.array([e for e, _ in scores])
    near = np.mean([e <= 1e-2 for e in errors])
    return np.mean([ok for _, ok in scores]), near, np.median(errors), np.max(errors)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--count", type=int, default=200)
    args = parser.parse_args()
    # printed at the end: PyBullet writes warnings to the same stream without a newline
    lines = ["| robot | solver | median time (us) | mean time (us) | success (1e-4) | within 1e-2 "
             "| median error | max error |", "| --- | --- | --- | --- | --- | --- | --- | --- |"]
    for name, folder, urdf, frame in ROBOTS:
        if not os.path.isdir(folder):
            continue
        path = os.path.join(folder, urdf)
        model, _, _ = kinetra.build_models_from_urdf(path, package_dir=folder, check_meshes=False)
        frame_id = model.nframes - 1 if frame is None else model.get_frame_id(frame)
        frame_name = model.frames[frame_id].name
        targets = targets_of(model, frame_id, args.count)
        rows = []
        for restarts in (0, 5):
            times, qs = run_kinetra(model, frame_id, targets, restarts)
            rows.append((f"kinetra restarts={restarts}", times, qs))
        for null_space in (True, False):
            try:
                times, qs = run_pybullet(model, frame_name, path, targets, null_space)
            except ImportError:
                break
            rows.append(("pybullet " + ("with limits" if null_space else "plain"), times, qs))
        for solver, times, qs in rows:
            rate, near, median, worst = summary(model, frame_id, targets, qs)
            lines.append(f"| {name} | {solver} | {np.median(times) * 1e6:.0f} | "
                         f"{np.mean(times) * 1e6:.0f} | {100 * rate:.1f}% | {100 * near:.1f}% | "
                         f"{median:.1e} | {worst:.1e} |")
    print("\n" + "\n".join(lines))


if __name__ == "__main__":
    main()
