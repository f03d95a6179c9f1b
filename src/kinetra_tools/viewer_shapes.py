"""Triangle meshes of geometry objects for the viewer, in each object's own frame."""
import functools
import logging

import numpy as np
import trimesh

from kinetra_tools.urdf_summary import kind_name

logger = logging.getLogger("kinetra.viewer")

# edge of the box drawn where a mesh file cannot be read (m)
PLACEHOLDER_SIDE = 0.05


def primitive_mesh(shape):
    """A trimesh of a sphere, cuboid, cylinder, capsule or cone, centred at the frame origin,
    axis along z; None for other kinds."""
    kind = kind_name(shape.shape_type)
    if kind == "Sphere":
        return trimesh.creation.icosphere(subdivisions=3, radius=shape.radius)
    if kind == "Cuboid":
        return trimesh.creation.box(extents=2.0 * np.asarray(shape.half_extents, dtype=float))
    if kind == "Cylinder":
        return trimesh.creation.cylinder(radius=shape.radius, height=2.0 * shape.half_length)
    if kind == "Capsule":
        return trimesh.creation.capsule(height=2.0 * shape.half_length, radius=shape.radius)
    if kind == "Cone":
        # trimesh puts the base at z = 0; ours is centred
        cone = trimesh.creation.cone(radius=shape.radius, height=2.0 * shape.half_length)
        return cone.apply_translation([0.0, 0.0, -shape.half_length])
    return None


@functools.cache
def file_mesh(path, scale):
    """The mesh in file `path` scaled per axis `scale` (a tuple), with whether it carries its own
    colours; a placeholder box and a logged warning naming the file when it cannot be read.
    Read once per file and scale: callers must not change the mesh."""
    try:
        mesh = trimesh.load(path, force="mesh")
        if len(mesh.faces) == 0:
            raise ValueError("no triangles")
    except Exception as error:  # trimesh raises many kinds for missing, empty or bad files
        logger.warning("cannot read mesh file %s (%s); drawing a placeholder box", path, error)
        return trimesh.creation.box(extents=[PLACEHOLDER_SIDE] * 3), False
    mesh.apply_scale(np.asarray(scale, dtype=float))
    return mesh, mesh.visual.kind in ("texture", "vertex", "face")


def object_mesh(shape):
    """The shape as a trimesh in its frame, with whether the mesh's own colours apply."""
    primitive = primitive_mesh(shape)
    if primitive is not None:
        return primitive, False
    scale = getattr(shape, "scale", (1.0, 1.0, 1.0))
    return file_mesh(shape.mesh_path, tuple(float(s) for s in scale))
