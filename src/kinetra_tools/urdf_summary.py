"""Prints a summary of a URDF robot: joint tree, frames, mass, placements, gravity torques."""
import argparse
import os
import sys
import xml.etree.ElementTree as ET

import numpy as np

import kinetra


def joint_details(path):
    """Axis and limits of every joint, read from the XML, by joint name."""
    details = {}
    robot = ET.parse(path).getroot()
    for joint in robot.iter("joint"):
        axis = joint.find("axis")
        limit = joint.find("limit")
        details[joint.get("name")] = {
            "axis": axis.get("xyz", "1 0 0") if axis is not None else "1 0 0",
            "limit": dict(limit.attrib) if limit is not None else {},
        }
    return details


def tree_lines(model, details):
    children = {}
    for joint in range(1, model.njoints):
        children.setdefault(model.joint_parents[joint], []).append(joint)
    types = [repr(j.joint_type).split(".")[1] for j in model.joint_models]
    lines = []

    def walk(joint, depth):
        for child in children.get(joint, []):
            name = model.joint_names[child]
            info = details.get(name, {})
            limit = info.get("limit", {})
            bounds = ""
            if "lower" in limit or "upper" in limit:
                bounds = f" range [{limit.get('lower', '-inf')}, {limit.get('upper', 'inf')}]"
            extra = "".join(
                f" {key} {limit[key]}" for key in ("effort", "velocity") if key in limit)
            lines.append(f"{'  ' * depth}{name} ({types[child]}, axis {info.get('axis', '?')})"
                         f"{bounds}{extra}")
            walk(child, depth + 1)

    walk(0, 1)
    return lines


def placement_lines(model, data, q):
    kinetra.forward_kinematics(model, data, q)
    lines = []
    for name, placement in zip(model.joint_names, data.joint_placements):
        x, y, z = placement.translation
        lines.append(f"  {name:<24} {x:+.4f} {y:+.4f} {z:+.4f}")
    return lines


def summary(path, package_dir=None):
    model, collision, visual = kinetra.build_models_from_urdf(path, package_dir)
    data = model.create_data()
    out = [f"robot '{model.name}': {model.njoints - 1} joints, nq {model.nq}, nv {model.nv}, "
           f"{model.nframes} frames, {collision.ngeoms} collision and {visual.ngeoms} visual "
           "objects", "", "joint tree:", "  __WORLD__"]
    out += tree_lines(model, joint_details(path))
    out += ["", "frames:"]
    for index, frame in enumerate(model.frames):
        kind = repr(frame.frame_type).split(".")[1]
        out.append(f"  {index:>3} {frame.name:<24} {kind:<8} on joint {frame.parent_joint}")
    mass = sum(inertia.mass for inertia in model.inertias)
    out += ["", f"total mass: {mass:.4f} kg"]
    neutral = kinetra.neutral(model).to_numpy()
    out += ["", "joint positions in the world at the neutral configuration (x y z, m):"]
    out += placement_lines(model, data, neutral)
    random_q = kinetra.random_configuration(model).to_numpy()
    out += ["", "joint positions in the world at a random configuration (x y z, m):"]
    out += placement_lines(model, data, random_q)
    zeros = np.zeros(model.nv)
    at_neutral = kinetra.rnea(model, data, neutral, zeros, zeros).to_numpy()
    at_random = kinetra.rnea(model, data, random_q, zeros, zeros).to_numpy()
    out += ["", "gravity torques (N m, or N for sliding joints):", f"  {'':<24} {'neutral':>9} "
            f"{'random':>9}"]
    moving = [i for i in range(1, model.njoints) if model.joint_models[i].nv > 0]
    for joint, neutral_tau, random_tau in zip(moving, at_neutral, at_random):
        out.append(f"  {model.joint_names[joint]:<24} {neutral_tau:+9.4f} {random_tau:+9.4f}")
    return "\n".join(out)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("path", help="URDF file")
    parser.add_argument("--package-dir", help="base folder of relative mesh file names "
                        "(default: the folder of the URDF file)")
    args = parser.parse_args(argv)
    package_dir = args.package_dir or os.path.dirname(os.path.abspath(args.path))
    try:
        print(summary(args.path, package_dir))
    except ValueError as error:
        print(f"error: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
