"""Runs every algorithm and every error path many times and reports the growth of resident memory.

    python benchmarks/leak_check.py                     # 10^6 calls per case
    python benchmarks/leak_check.py --iterations 20000  # the short run of CI

Each case is warmed up first (allocator pools, caches), then run; the exit status is 1 when any
case grows by more than --limit-mib.
"""
import argparse
import os
import sys
import tempfile

import numpy as np

import kinetra

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ARM = os.path.join(ROOT, "examples", "robots", "kinetra_arm")


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def refused(call, *args, **keywords):
    """A call that must raise; the exception is dropped."""
    def run():
        try:
            call(*args, **keywords)
        except (TypeError, ValueError, IndexError, OverflowError, RuntimeError):
            return
        raise AssertionError(f"{call.__name__}{args!r} did not raise")
    return run


def chain(joints):
    """Revolute joints in a row, each carrying a ball: large enough that its mass matrix is
    handed to the array, not copied."""
    model = kinetra.Model()
    for i in range(1, joints + 1):
        model.add_joint(i - 1, kinetra.JointModelRY(), kinetra.SE3.Identity(), f"j{i}")
        model.add_frame(kinetra.Frame(f"b{i}", i, 0, kinetra.SE3.Identity(),
                                      kinetra.FrameType.Body, kinetra.Inertia.FromSphere(1.0, 0.1)),
                        True)
    return model


def cases(folder):
    arm_path = os.path.join(ARM, "kinetra_arm.urdf")
    model, collision, _ = kinetra.build_models_from_urdf(arm_path, ARM)
    data = model.create_data()
    geometry_data = collision.create_data(data)
    other_data = kinetra.Model().create_data()
    q, v = np.full(model.nq, 0.3), np.full(model.nv, 0.5)
    bad_xml = os.path.join(folder, "bad.urdf")
    with open(bad_xml, "w") as file:
        file.write("<robot name='r'><link name='a&#0;'/></robot>")
    duplicate = os.path.join(folder, "duplicate.urdf")
    with open(duplicate, "w") as file:
        file.write("<robot name='r'><link name='a'/><link name='a'/></robot>")
    short = np.zeros(model.nq - 1)
    states = np.full((64, model.nq), 0.3)
    payload = model.__reduce__()[1][0]
    long_chain = chain(20)
    long_chain_data = long_chain.create_data()
    long_q = np.full(long_chain.nq, 0.3)
    collision.add_all_collision_pairs()
    objects = collision.geometry_objects
    shape1, shape2 = objects[0].geometry, objects[-1].geometry
    apart = kinetra.SE3(np.eye(3), np.array([0.0, 0.0, 1.0]))
    tip = model.nframes - 1
    goal = kinetra.frame_placement(model, model.create_data(), tip, np.full(model.nq, 0.2)
                                   ).homogeneous
    goals = np.repeat(goal[None], 4, axis=0)
    return {
        "forward_kinematics": lambda: kinetra.forward_kinematics(model, data, q),
        "rnea": lambda: kinetra.rnea(model, data, q, v, v),
        "aba": lambda: kinetra.aba(model, data, q, v, v),
        "crba": lambda: kinetra.crba(model, data, q),
        "crba 20 joints": lambda: kinetra.crba(long_chain, long_chain_data, long_q),
        "nonlinear_effects": lambda: kinetra.nonlinear_effects(model, data, q, v),
        "generalized_gravity": lambda: kinetra.generalized_gravity(model, data, q),
        "kinetic_energy": lambda: kinetra.kinetic_energy(model, data, q, v),
        "potential_energy": lambda: kinetra.potential_energy(model, data, q),
        "neutral": lambda: kinetra.neutral(model),
        "random_configuration": lambda: kinetra.random_configuration(model),
        "update_geometry_data": lambda: geometry_data.update_geometry_data(data, collision),
        "build_models_from_urdf": lambda: kinetra.build_models_from_urdf(arm_path, ARM),
        "error: rnea wrong size": refused(kinetra.rnea, model, data, short, v, v),
        "error: aba foreign data": refused(kinetra.aba, model, other_data, q, v, v),
        "error: crba wrong type": refused(kinetra.crba, model, data, None),
        "error: forward_kinematics wrong shape": refused(kinetra.forward_kinematics, model, data,
                                                       np.zeros((2, 2))),
        "error: get_joint_id wrong type": refused(model.get_joint_id, None),
        "error: SE3 wrong shape": refused(kinetra.SE3, np.zeros((2, 2)), np.zeros(3)),
        "error: GeometryObject bad": refused(kinetra.GeometryObject, None, None, None),
        "error: urdf missing file": refused(kinetra.build_models_from_urdf,
                                            os.path.join(folder, "absent.urdf")),
        "error: urdf bad reference": refused(kinetra.build_models_from_urdf, bad_xml),
        "error: urdf duplicate link": refused(kinetra.build_models_from_urdf, duplicate),
        "batch.rnea": lambda: kinetra.batch.rnea(model, states, states, states, threads=2),
        "batch.rollout": lambda: kinetra.batch.rollout(model, states[:2], states[:2],
                                                       states[:6].reshape(2, 3, -1), 1e-3),
        "pickle round trip": lambda: kinetra._from_bytes(payload),
        "error: batch.rnea wrong size": refused(kinetra.batch.rnea, model, states, states[:3],
                                                states),
        "error: corrupt payload": refused(kinetra._from_bytes, payload[:-3]),
        "rnea_derivatives": lambda: kinetra.rnea_derivatives(model, data, q, v, v),
        "aba_derivatives": lambda: kinetra.aba_derivatives(model, data, q, v, v),
        "step_derivatives": lambda: kinetra.step_derivatives(model, data, q, v, v, 1e-3),
        "inverse_mass_matrix": lambda: kinetra.inverse_mass_matrix(model, data, q),
        "batch.rnea_derivatives": lambda: kinetra.batch.rnea_derivatives(model, states, states,
                                                                         states, threads=2),
        "batch.aba_derivatives": lambda: kinetra.batch.aba_derivatives(model, states, states,
                                                                       states, threads=2),
        "batch.step_derivatives": lambda: kinetra.batch.step_derivatives(
            model, states, states, states, 1e-3, threads=2),
        "error: rnea_derivatives wrong size": refused(kinetra.rnea_derivatives, model, data,
                                                      short, v, v),
        "error: aba_derivatives foreign data": refused(kinetra.aba_derivatives, model,
                                                       other_data, q, v, v),
        "error: step_derivatives dt 0": refused(kinetra.step_derivatives, model, data, q, v, v,
                                                0.0),
        "error: inverse_mass_matrix wrong size": refused(kinetra.inverse_mass_matrix, model,
                                                         data, short),
        "error: batch.aba_derivatives wrong size": refused(kinetra.batch.aba_derivatives, model,
                                                           states, states[:3], states),
        "error: batch.step_derivatives dt < 0": refused(kinetra.batch.step_derivatives, model,
                                                        states, states, states, -1e-3),
        "vortan.distance": lambda: kinetra.vortan.distance(shape1, apart, shape2,
                                                           kinetra.SE3.Identity()),
        "compute_distances": lambda: kinetra.compute_distances(model, data, collision,
                                                               geometry_data, q),
        "compute_collisions": lambda: kinetra.compute_collisions(model, data, collision,
                                                                 geometry_data, q),
        "batch.compute_distances": lambda: kinetra.batch.compute_distances(model, collision,
                                                                           states, threads=2),
        "batch.compute_collisions": lambda: kinetra.batch.compute_collisions(model, collision,
                                                                             states, threads=2),
        "error: vortan.distance wrong type": refused(kinetra.vortan.distance, shape1, apart,
                                                     None, apart),
        "error: compute_distances foreign data": refused(kinetra.compute_distances, model,
                                                         other_data, collision, geometry_data, q),
        "error: compute_collisions wrong size": refused(kinetra.compute_collisions, model, data,
                                                        collision, geometry_data, short),
        "error: batch.compute_distances wrong size": refused(
            kinetra.batch.compute_distances, model, collision, states[:, :-1]),
        "inverse_kinematics": lambda: kinetra.inverse_kinematics(model, tip, goal, q,
                                                                 max_iterations=20),
        "batch.inverse_kinematics": lambda: kinetra.batch.inverse_kinematics(
            model, tip, goals, q, max_iterations=20, threads=2),
        "error: inverse_kinematics NaN target": refused(kinetra.inverse_kinematics, model, tip,
                                                        np.full((4, 4), np.nan)),
        "error: inverse_kinematics tolerance 0": refused(kinetra.inverse_kinematics, model, tip,
                                                         goal, None, tolerance=0.0),
        "error: batch.inverse_kinematics wrong size": refused(
            kinetra.batch.inverse_kinematics, model, tip, goals[:, :3]),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--iterations", type=int, default=1_000_000)
    parser.add_argument("--limit-mib", type=float, default=1.0)
    options = parser.parse_args()
    warm_up = max(1, options.iterations // 10)
    failed = []
    with tempfile.TemporaryDirectory() as folder:
        for name, call in cases(folder).items():
            for _ in range(warm_up):
                call()
            before = resident_bytes()
            for _ in range(options.iterations):
                call()
            growth = (resident_bytes() - before) / 2**20
            print(f"{name:42s} {options.iterations:>9d} calls  {growth:+8.3f} MiB", flush=True)
            if growth > options.limit_mib:
                failed.append(name)
    if failed:
        print(f"resident memory grew by more than {options.limit_mib} MiB: {', '.join(failed)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
