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


class JointTable:
    """The model's per-joint lists and limit arrays, read once: each property of the model
    builds a whole list or array when read."""

    def __init__(self, model):
        self.names = model.joint_names
        self.parents = model.joint_parents
        self.joints = model.joint_models
        self.iq = offsets([j.nq for j in self.joints])
        self.iv = offsets([j.nv for j in self.joints])
        self.lower = model.lower_position_limits
        self.upper = model.upper_position_limits
        self.limits = (("effort", model.effort_limits), ("velocity", model.velocity_limits))


def joint_text(table, joint):
    """'elbow (Revolute, axis 0 1 0) range [-2.6, 2.6] effort 80.0 velocity 2.5'; a joint whose
    bounds meet shows 'locked at 0.5' instead of its range."""
    joint_model = table.joints[joint]
    nq, nv = joint_model.nq, joint_model.nv
    iq, iv = table.iq[joint], table.iv[joint]
    text = f"{table.names[joint]} ({kind_name(joint_model.joint_type)}"
    if joint_model.axis is not None:
        text += ", axis " + " ".join(f"{x:g}" for x in joint_model.axis)
    text += ")"
    # position bounds read as positions only where each coordinate is one degree of freedom
    lower, upper = table.lower[iq:iq + nq], table.upper[iq:iq + nq]
    if nq == nv and nq and (lower == upper).all():
        text += f" locked at {values_text(lower)}"
    elif nq == nv and np.isfinite(np.concatenate([lower, upper])).any():
        text += f" range [{values_text(lower)}, {values_text(upper)}]"
    for name, limits in table.limits:
        values = limits[iv:iv + nv]
        if nv and np.isfinite(values).all():
            text += f" {name} {values_text(values)}"
    return text


def tree_lines(model):
    """The joints depth first, each indented below its parent (walked without recursion, so
    that long chains fit)."""
    table = JointTable(model)
    children = {}
    for joint in range(1, model.njoints):
        children.setdefault(table.parents[joint], []).append(joint)
    lines = []
    stack = [(child, 1) for child in reversed(children.get(0, []))]
    while stack:
        joint, depth = stack.pop()
        lines.append("  " * depth + joint_text(table, joint))
        stack += [(child, depth + 1) for child in reversed(children.get(joint, []))]
    return lines


# the random view's span of a coordinate without bounds, or with bounds beyond it: an angle
# within [-pi, pi], a position within [-1, 1] m
ANGLE_SPAN, POSITION_SPAN = np.pi, 1.0


def view_spans(model):
    """The span (nq values) each coordinate of the random view keeps to, NaN for the rotation
    coordinates (quaternions and (cos, sin) pairs) sampled as they are."""
    spans = []
    for joint in model.joint_models:
        kind = kind_name(joint.joint_type)
        if kind == "Revolute":
            spans += [ANGLE_SPAN]
        elif kind == "Prismatic":
            spans += [POSITION_SPAN]
        elif kind == "Floating":
            spans += [POSITION_SPAN] * 3 + [np.nan] * 4
        elif kind == "Planar":
            spans += [POSITION_SPAN] * 2 + [np.nan] * 2
        else:
            spans += [np.nan] * joint.nq
    return np.array(spans, dtype=float)


def view_configuration(model, seed=None):
    """A random configuration for the view: kinetra's sampling within the joint limits, each
    angle and position kept to its span where its limits allow, and locked coordinates (lower
    = upper) at their value."""
    lower, upper = model.lower_position_limits, model.upper_position_limits
    spans = view_spans(model)
    spanned = np.isfinite(spans)
    locked = spanned & (lower == upper)
    low = np.where(spanned, np.maximum(lower, -spans), lower)
    high = np.where(spanned, np.minimum(upper, spans), upper)
    # bounds all beyond the span: the span's width from the nearer bound, within the other
    beyond = spanned & (low > high)
    low = np.where(beyond, np.where(lower > 0, lower, np.maximum(lower, upper - 2 * spans)), low)
    high = np.where(beyond, np.where(lower > 0, np.minimum(upper, lower + 2 * spans), upper), high)
    # a one-point range is no range to sample: widened here, its value put back after
    high = np.where(locked, low + 1.0, high)
    view = copy.copy(model)
    view.upper_position_limits = np.full(model.nq, np.inf)
    view.lower_position_limits = low
    view.upper_position_limits = high
    q = kinetra.random_configuration(view, seed).to_numpy()
    return np.where(locked, lower, q)


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


def torque_lines(model, at_neutral, at_random, width, label="random"):
    lines = [f"  {'':<{width}} {'neutral':>9} {label:>9}"]
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


def summary(models, neutral, random_q, label="random"):
    """The summary's text; `random_q` is the second configuration shown, called `label`."""
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
    article = "a" if label == "random" else "the"
    out += ["", f"joint positions in the world at {article} {label} configuration (x y z, m):"]
    out += placement_lines(model, data, random_q, width)
    zeros = np.zeros(model.nv)
    at_neutral = kinetra.rnea(model, data, neutral, zeros, zeros).to_numpy()
    at_random = kinetra.rnea(model, data, random_q, zeros, zeros).to_numpy()
    out += ["", "gravity torques (N m, or N for sliding joints):"]
    out += torque_lines(model, at_neutral, at_random, width, label)
    out += collision_lines(model, collision, neutral)
    return "\n".join(out)


MESH_HINT = " (give the folder of a package with --package NAME=DIR, or load without the " \
            "meshes with --skip-meshes)"


class ArgumentError(Exception):
    """A command-line argument that cannot be used: exit status 2."""


def parse_configuration(model, text):
    """The nq numbers of --q (separated by spaces or commas), checked by the model."""
    try:
        q = np.array(text.replace(",", " ").split(), dtype=float)
    except ValueError:
        raise ArgumentError(f"--q must be numbers separated by spaces, got {text!r}") from None
    if q.shape != (model.nq,):
        raise ArgumentError(f"--q needs {model.nq} values (nq), got {q.size}")
    try:
        kinetra.normalize(model, q)
    except ValueError as error:
        raise ArgumentError(f"--q: {error}") from None
    return q


def check_picture_path(path):
    """A --plot path names a PNG file in an existing folder."""
    if os.path.isdir(path):
        raise ArgumentError(f"--plot needs a file name, {path!r} is a folder")
    if not path.lower().endswith(".png"):
        raise ArgumentError(f"--plot needs a file name ending in .png, got {path!r}")
    folder = os.path.dirname(os.path.abspath(path))
    if not os.path.isdir(folder):
        raise ArgumentError(f"--plot: the folder {folder!r} does not exist")


def draw(path, models, configurations):
    """Writes the picture; a failure is a ValueError or OSError naming its cause."""
    from kinetra_tools.robot_plot import plot_robot
    model = models[0]
    data = model.create_data()
    for title, q in configurations:
        kinetra.forward_kinematics(model, data, q)
        if not all(np.isfinite(p.homogeneous).all() for p in data.oMi):
            raise ValueError(f"cannot draw the robot: its placements at the {title} are not "
                             "finite")
    plot_robot(path, model, models[1], configurations)


def emit(text):
    """Prints to stdout; a reader that stops early (`| head`) ends the output quietly, other
    write failures (a full disk) are OSError."""
    try:
        print(text, flush=True)
    except BrokenPipeError:
        # nothing more goes to the reader, and no traceback at exit
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
    except OSError as error:
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        raise OSError(f"cannot write the summary: {error}") from None


def run(args):
    """The command's work; raises ArgumentError, ValueError, TypeError or OSError."""
    if args.plot:
        check_picture_path(args.plot)
    package_dir = args.package_dir or os.path.dirname(os.path.abspath(args.path))
    packages = dict(entry.partition("=")[::2] for entry in args.package)
    try:
        models = load(args.path, package_dir, args.floating, packages=packages,
                      check_meshes=not args.skip_meshes)
    except ValueError as error:
        if str(error).startswith("Invalid file path"):
            raise ValueError(f"{error}{MESH_HINT}") from None
        raise
    model = models[0]
    neutral = kinetra.neutral(model).to_numpy()
    if args.q is not None:
        other, label = parse_configuration(model, args.q), "given"
    else:
        other, label = view_configuration(model, args.seed), "random"
    emit(summary(models, neutral, other, label))
    if args.plot:
        try:
            import matplotlib  # noqa: F401
        except ImportError:
            raise ValueError("--plot needs matplotlib (pip install kinetra[plot])") from None
        try:
            draw(args.plot, models, [("neutral configuration", neutral),
                                     (f"{label} configuration", other)])
        except OSError as error:
            raise OSError(f"cannot write the picture: {error}") from None
        emit(f"picture written to {os.path.abspath(args.plot)}")


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
    # names the terminal cannot show come out escaped rather than as an error
    for stream in (sys.stdout, sys.stderr):
        if hasattr(stream, "reconfigure"):
            stream.reconfigure(errors="backslashreplace")
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
    parser.add_argument("--q", metavar="\"Q0 Q1 ...\"",
                        help="show this configuration (nq numbers) instead of a random one")
    parser.add_argument("--plot", metavar="FILE.png",
                        help="also draw the robot at both configurations into this PNG image "
                        "(needs matplotlib: pip install kinetra[plot])")
    args = parser.parse_args(argv)
    try:
        run(args)
    except ArgumentError as error:
        print(f"error: {error}", file=sys.stderr)
        return 2
    except (TypeError, ValueError) as error:
        print(f"error: {error}", file=sys.stderr)
        return 1
    except OSError as error:
        print(f"error: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
