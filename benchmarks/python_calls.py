"""Cost per call of the algorithms from Python, on the bundled arm and a 30-joint tree, and of
the frame and centre-of-mass Jacobians on the shared iiwa arm and humanoid_g1 when present.

Usage: python3 benchmarks/python_calls.py
"""
import os
import timeit

import numpy as np

import kinetra

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def arm():
    folder = os.path.join(ROOT, "examples", "robots", "kinetra_arm")
    model, _, _ = kinetra.build_models_from_urdf(
        os.path.join(folder, "kinetra_arm.urdf"), folder)
    return model


def tree(joints=30):
    rng = np.random.default_rng(0)
    model = kinetra.Model()
    makers = [kinetra.JointModelRX, kinetra.JointModelRY, kinetra.JointModelRZ]
    for i in range(1, joints + 1):
        parent = int(rng.integers(0, i))
        placement = kinetra.SE3.Random()
        joint = model.add_joint(parent, makers[i % 3](), placement, f"j{i}")
        body = kinetra.Frame(f"b{i}", joint, 0, kinetra.SE3.Random(), kinetra.FrameType.Body,
                             kinetra.Inertia.FromSphere(1.0 + rng.random(), 0.1))
        model.add_frame(body, True)
    return model


def shared_robot(folder, file):
    """A robot of ../shared/robots (KINETRA_SHARED_ROBOTS overrides), or None when absent."""
    root = os.environ.get("KINETRA_SHARED_ROBOTS", os.path.join(ROOT, "..", "shared", "robots"))
    path = os.path.join(root, folder)
    if not os.path.isdir(path):
        return None
    model, _, _ = kinetra.build_models_from_urdf(os.path.join(path, file), path)
    return model


def best_ns(call, repeat):
    return min(timeit.repeat(call, number=repeat // 10, repeat=5)) / (repeat // 10) * 1e9


def report(name, model, repeat=200_000):
    data = model.create_data()
    q = kinetra.random_configuration(model).to_numpy()
    v = np.random.default_rng(1).standard_normal(model.nv)
    a = np.random.default_rng(2).standard_normal(model.nv)
    calls = {
        "forward_kinematics": lambda: kinetra.forward_kinematics(model, data, q),
        "rnea": lambda: kinetra.rnea(model, data, q, v, a),
        "aba": lambda: kinetra.aba(model, data, q, v, a),
        "crba": lambda: kinetra.crba(model, data, q),
    }
    print(f"{name} (nv {model.nv}):")
    for label, call in calls.items():
        print(f"  {label:<20} {best_ns(call, repeat):8.0f} ns per call")


def report_jacobians(name, model, frame, repeat=200_000):
    data = model.create_data()
    q = kinetra.random_configuration(model).to_numpy()
    frame_id = model.get_frame_id(frame)
    calls = {
        "frame_jacobian": lambda: kinetra.frame_jacobian(model, data, q, frame_id),
        "center_of_mass_jacobian": lambda: kinetra.center_of_mass_jacobian(model, data, q),
    }
    print(f"{name} (nv {model.nv}, frame {frame}):")
    for label, call in calls.items():
        print(f"  {label:<24} {best_ns(call, repeat):8.0f} ns per call")


if __name__ == "__main__":
    report("bundled arm", arm())
    report("30-joint tree", tree(), repeat=50_000)
    report_jacobians("bundled arm", arm(), "tool_tip_link")
    for folder, file, frame in [("iiwa_relative_meshes", "model.urdf", "lbr_iiwa_link_7"),
                                ("humanoid_g1", "g1_29dof.urdf", "right_rubber_hand")]:
        model = shared_robot(folder, file)
        if model is not None:
            report_jacobians(folder, model, frame, repeat=100_000)
