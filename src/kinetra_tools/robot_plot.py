"""Draws a robot at a few configurations with matplotlib: links as segments between joint
origins, frames as small axis triads, collision primitives as wireframes."""
import numpy as np

import kinetra
from kinetra_tools.urdf_summary import kind_name

CIRCLE = np.linspace(0.0, 2.0 * np.pi, 33)


def ring(radius, z, plane="xy"):
    """A circle of points (3, n) about the origin, in the given plane, at height z off it."""
    a, b = radius * np.cos(CIRCLE), radius * np.sin(CIRCLE)
    c = np.full_like(a, z)
    return {"xy": np.array([a, b, c]), "xz": np.array([a, c, b]), "yz": np.array([c, a, b])}[plane]


def shape_lines(shape):
    """Polylines (each (3, n), in the shape's own frame) outlining a primitive; none for meshes."""
    kind = kind_name(shape.shape_type)
    if kind == "Sphere":
        r = shape.radius
        return [ring(r, 0.0, plane) for plane in ("xy", "xz", "yz")]
    if kind == "Cuboid":
        hx, hy, hz = (float(e) for e in shape.half_extents)
        corners = np.array([[x, y, z] for x in (-hx, hx) for y in (-hy, hy) for z in (-hz, hz)])
        edges = [(i, j) for i in range(8) for j in range(i + 1, 8)
                 if np.count_nonzero(corners[i] != corners[j]) == 1]
        return [corners[[i, j]].T for i, j in edges]
    if kind in ("Cylinder", "Capsule", "Cone"):
        r, h = shape.radius, shape.half_length
        if kind == "Cone":
            # base circle at -h, apex at +h
            return [ring(r, -h)] + [np.array([[r * np.cos(t), 0.0], [r * np.sin(t), 0.0], [-h, h]])
                                    for t in (0.0, 0.5 * np.pi, np.pi, 1.5 * np.pi)]
        lines = [ring(r, -h), ring(r, h)]
        lines += [np.array([[r * np.cos(t)] * 2, [r * np.sin(t)] * 2, [-h, h]])
                  for t in (0.0, 0.5 * np.pi, np.pi, 1.5 * np.pi)]
        if kind == "Capsule":
            for plane in ("xz", "yz"):
                cap = ring(r, 0.0, plane)
                top, bottom = cap.copy(), cap.copy()
                top[2] = np.abs(cap[2]) + h
                bottom[2] = -np.abs(cap[2]) - h
                lines += [top, bottom]
        return lines
    return []


def transform(world_from_local, points):
    """Points (3, n) in world axes."""
    return world_from_local[:3, :3] @ points + world_from_local[:3, 3:4]


def draw_configuration(ax, model, collision, q, title):
    data = model.create_data()
    kinetra.forward_kinematics(model, data, q)
    joints = [p.homogeneous for p in data.oMi]
    frames = [joints[f.parent_joint] @ f.placement.homogeneous for f in model.frames]
    points = np.array([m[:3, 3] for m in joints + frames])
    extent = max(float(np.ptp(points, axis=0).max()), 0.1)

    geometry = kinetra.GeometryData(data, collision)
    for index, obj in enumerate(collision.geometry_objects):
        world = geometry.get_object_placement(index).homogeneous
        for line in shape_lines(obj.geometry):
            ax.plot(*transform(world, line), color="tab:orange", alpha=0.6, linewidth=0.7)

    for frame, world in zip(model.frames, frames):
        parent = frames[frame.parent_frame][:3, 3]
        ax.plot(*np.array([parent, world[:3, 3]]).T, color="0.6", linewidth=1.0)
    parents = model.joint_parents  # read once: each read builds the whole list
    for child in range(1, model.njoints):
        parent = joints[parents[child]][:3, 3]
        ax.plot(*np.array([parent, joints[child][:3, 3]]).T, color="0.15", linewidth=3.0)
    ax.scatter(*points[:len(joints)].T, color="0.15", s=12, depthshade=False)

    size = 0.06 * extent
    for world in frames:
        for axis, color in zip(range(3), ("tab:red", "tab:green", "tab:blue")):
            end = world[:3, 3] + size * world[:3, axis]
            ax.plot(*np.array([world[:3, 3], end]).T, color=color, linewidth=1.2)

    centre = 0.5 * (points.min(axis=0) + points.max(axis=0))
    half = 0.55 * extent
    ax.set_xlim(centre[0] - half, centre[0] + half)
    ax.set_ylim(centre[1] - half, centre[1] + half)
    ax.set_zlim(centre[2] - half, centre[2] + half)
    ax.set_box_aspect((1, 1, 1))
    ax.set_xlabel("x (m)")
    ax.set_ylabel("y (m)")
    ax.set_zlabel("z (m)")
    ax.set_title(title)


def plot_robot(path, model, collision, configurations):
    """Writes a picture of the robot at each (title, q) side by side to the image file `path`."""
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    figure = plt.figure(figsize=(5.5 * len(configurations), 5.5))
    for index, (title, q) in enumerate(configurations, start=1):
        ax = figure.add_subplot(1, len(configurations), index, projection="3d")
        draw_configuration(ax, model, collision, q, title)
    figure.suptitle(f"{model.name}: links, frames and collision primitives")
    figure.tight_layout()
    figure.savefig(path, dpi=110)
    plt.close(figure)
