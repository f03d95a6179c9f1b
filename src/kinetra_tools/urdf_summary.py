"""Prints a summary of a URDF robot: joint tree, frames, mass, placements, gravity torques."""
import argparse
import copy
import os
import sys

import numpy as np

import kinetra


def kind_name(kind):
    """'Revolute' for JointType.Revolute (and the like for every enumeration)."""
    return getattr(kind, "name", None) or repr(kind).rsplit(".", 1)[-1]


def number(x):
    """Shortest text that reads back as the same float."""
    return repr(float(x))


def values_text(values):
    """One number, or a bracketed list of several."""
    texts = [number(x) for x in values]
    return texts[0] if len(texts) == 1 else "[" + ", ".join(texts) + "]"


def offsets(counts):
    """Where each joint's entries start, given each joint's entry count."""
    return np.concatenate([[0], np.cumsum(counts)[:-1]]).astype(int)


def joint_text(model, joint):
    """'elbow (Revolute, axis 0 1 0) range [-2.6, 2.6] effort 80.0 velocity 2.5'."""
    joint_model = model.joint_models[joint]
    nq, nv = joint_model.nq, joint_model.nv
    iq = offsets([j.nq for j in model.joint_models])[joint]
    iv = offsets([j.nv for j in model.joint_models])[joint]
    text = f"{model.joint_names[joint]} ({kind_name(joint_model.joint_type)}"
    if joint_model.axis is not None:
        text += ", axis " + " ".join(f"{x:g}" for x in joint_model.axis)
    text += ")"
    # position bounds read as positions only where each coordinate is one degree of freedom
    lower = model.lower_position_limits[iq:iq + nq]
    upper = model.upper_position_limits[iq:iq + nq]
    if nq == nv and np.isfinite(np.concatenate([lower, upper])).any():
        text += f" range [{values_text(lower)}, {values_text(upper)}]"
    for name, limits in (("effort", model.effort_limits), ("velocity", model.velocity_limits)):
        values = limits[iv:iv + nv]
        if nv and np.isfinite(values).all():
            text += f" {name} {values_text(values)}"
    return text


def tree_lines(model):
    children = {}
    for joint in range(1, model.njoints):
        children.setdefault(model.joint_parents[joint], []).append(joint)
    lines = []

    def walk(joint, depth):
        for child in children.get(joint, []):
            lines.append("  " * depth + joint_text(model, child))
            walk(child, depth + 1)

    walk(0, 1)
    return lines


def placement_lines(model, data, q, width):
    kinetra.forward_kinematics(model, data, q)
    lines = []
    for name, placement in zip(model.joint_names, data.joint_placements):
        x, y, z = placement.translation
        lines.append(f"  {name:<{width}} {x:+.4f} {y:+.4f} {z:+.4f}")
    return lines


def velocity_labels(model):
    """A name per velocity coordinate: the joint's, with '[k]' for joints of several."""
    labels = []
    for name, joint in zip(model.joint_names, model.joint_models):
        labels += [name + (f"[{k}]" if joint.nv > 1 else "") for k in range(joint.nv)]
    return labels


def torque_lines(model, at_neutral, at_random, width):
    lines = [f"  {'':<{width}} {'neutral':>9} {'random':>9}"]
    for label, neutral_tau, random_tau in zip(velocity_labels(model), at_neutral, at_random):
        lines.append(f"  {label:<{width}} {neutral_tau:+9.4f} {random_tau:+9.4f}")
    return lines


def load(path, package_dir=None, floating=False, **options):
    """The robot's models; with `floating`, free to move as a whole. Other options go to the
    reader as they are."""
    if floating:
        if "root_joint" not in (kinetra.build_models_from_urdf.__text_signature__ or ""):
            raise ValueError("--floating needs a kinetra with floating base joints "
                             "(kinetra.JointModelFloating); this one has none")
        options["root_joint"] = kinetra.JointModelFloating()
    return kinetra.build_models_from_urdf(path, package_dir, **options)


def summary(models, neutral, random_q):
    model, collision, visual = models
    data = model.create_data()
    # wide enough for every name, and never narrower than 24 characters
    names = model.joint_names + [frame.name for frame in model.frames] + velocity_labels(model)
    width = max([24] + [len(name) for name in names])
    kinds = [kind_name(frame.frame_type) for frame in model.frames]
    kind_width = max([8] + [len(kind) for kind in kinds])
    index_width = max(3, len(str(model.nframes - 1)))
    out = [f"robot '{model.name}': {model.njoints - 1} joints, nq {model.nq}, nv {model.nv}, "
           f"{model.nframes} frames, {collision.ngeoms} collision and {visual.ngeoms} visual "
           "objects", "", "joint tree:", "  __WORLD__"]
    out += tree_lines(model)
    out += ["", "frames:"]
    for index, (frame, kind) in enumerate(zip(model.frames, kinds)):
        out.append(f"  {index:>{index_width}} {frame.name:<{width}} {kind:<{kind_width}} "
                   f"on joint {frame.parent_joint}")
    mass = sum(inertia.mass for inertia in model.inertias)
    out += ["", f"total mass: {mass:.4f} kg"]
    out += ["", "joint positions in the world at the neutral configuration (x y z, m):"]
    out += placement_lines(model, data, neutral, width)
    out += ["", "joint positions in the world at a random configuration (x y z, m):"]
    out += placement_lines(model, data, random_q, width)
    zeros = np.zeros(model.nv)
    at_neutral = kinetra.rnea(model, data, neutral, zeros, zeros).to_numpy()
    at_random = kinetra.rnea(model, data, random_q, zeros, zeros).to_numpy()
    out += ["", "gravity torques (N m, or N for sliding joints):"]
    out += torque_lines(model, at_neutral, at_random, width)
    out += collision_lines(model, collision, neutral)
    return "\n".join(out)


def collision_lines(model, collision, neutral):
    """The collision pairs (all but adjacent links') and those in collision at neutral."""
    collision = copy.copy(collision)
    collision.add_all_collision_pairs()
    pairs = collision.collision_pairs
    out = ["", f"collision pairs: {len(pairs)} (objects on different joints, adjacent links "
           "left out)"]
    if not pairs:
        return out
    data = model.create_data()
    try:
        hits = kinetra.compute_collisions(model, data, collision, collision.create_data(data),
                                          neutral)
    except ValueError as error:
        return out + [f"  not checked: {error}"]
    names = [item.name for item in collision.geometry_objects]
    colliding = [f"  {names[i]} - {names[j]}" for (i, j), hit in zip(pairs, hits) if hit]
    return out + [f"in collision at the neutral configuration: {len(colliding)}"] + colliding


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("path", help="URDF file")
    parser.add_argument("--package-dir", help="base folder of relative mesh file names "
                        "(default: the folder of the URDF file)")
    parser.add_argument("--package", action="append", default=[], metavar="NAME=DIR",
                        help="folder of a package named by package:// references (repeatable; "
                        "looked up before ROS_PACKAGE_PATH)")
    parser.add_argument("--skip-meshes", action="store_true",
                        help="load even when mesh files are missing")
    parser.add_argument("--floating", action="store_true",
                        help="load with a floating base: the robot free to move as a whole")
    parser.add_argument("--seed", type=int, help="seed of the random configuration")
    parser.add_argument("--plot", metavar="FILE.png",
                        help="also draw the robot at both configurations into this image "
                        "(needs matplotlib: pip install kinetra[plot])")
    args = parser.parse_args(argv)
    package_dir = args.package_dir or os.path.dirname(os.path.abspath(args.path))
    packages = dict(entry.partition("=")[::2] for entry in args.package)
    try:
        models = load(args.path, package_dir, args.floating, packages=packages,
                      check_meshes=not args.skip_meshes)
        neutral = kinetra.neutral(models[0]).to_numpy()
        random_q = kinetra.random_configuration(models[0], args.seed).to_numpy()
        text = summary(models, neutral, random_q)
    except (TypeError, ValueError) as error:
        print(f"error: {error}", file=sys.stderr)
        return 1
    try:
        print(text, flush=True)
    except BrokenPipeError:
        # the reader stopped early (`| head`): nothing more goes to it, and no traceback
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
    if args.plot:
        try:
            from kinetra_tools.robot_plot import plot_robot
            plot_robot(args.plot, models[0], models[1],
                       [("neutral configuration", neutral), ("random configuration", random_q)])
        except ImportError:
            print("error: --plot needs matplotlib (pip install kinetra[plot])", file=sys.stderr)
            return 1
        except OSError as error:
            print(f"error: cannot write the picture: {error}", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
