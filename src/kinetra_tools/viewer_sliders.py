"""The viewer's joint panel: one slider per joint coordinate, angles for rotations, read back
as a configuration q."""
import math

import numpy as np
from viser import transforms

from kinetra_tools.urdf_summary import kind_name, offsets

STEP = 1e-3
# ranges of coordinates without finite limits
ANGLE = (-math.pi, math.pi)
LENGTH = (-1.0, 1.0)
RPY = ("roll", "pitch", "yaw")


def rotation_coordinates(quaternion_xyzw):
    """Roll, pitch, yaw (R = Rz(yaw) Ry(pitch) Rx(roll)) of a unit quaternion; at pitch +-pi/2,
    where only roll - yaw or roll + yaw is defined, yaw is 0."""
    R = transforms.SO3.from_quaternion_xyzw(np.asarray(quaternion_xyzw, dtype=float)).as_matrix()
    pitch = math.atan2(-R[2, 0], math.hypot(R[0, 0], R[1, 0]))
    if math.hypot(R[0, 0], R[1, 0]) < 1e-9:
        return [math.atan2(-R[1, 2], R[1, 1]), pitch, 0.0]
    return [math.atan2(R[2, 1], R[2, 2]), pitch, math.atan2(R[1, 0], R[0, 0])]


def rotation_quaternion(roll, pitch, yaw):
    """The unit quaternion (x, y, z, w) of roll, pitch, yaw."""
    return list(transforms.SO3.from_rpy_radians(roll, pitch, yaw).as_quaternion_xyzw())


def bounded(lower, upper, fallback):
    """The limits where both are finite, else the fallback range."""
    return (float(lower), float(upper)) if math.isfinite(lower) and math.isfinite(upper) \
        else fallback


def coordinate_ranges(kind, lower, upper):
    """(label suffix, low, high) of each slider of a joint of this kind, given its position
    limits (nq each)."""
    if kind == "Revolute":
        return [("", *bounded(lower[0], upper[0], ANGLE))]
    if kind == "Prismatic":
        return [("", *bounded(lower[0], upper[0], LENGTH))]
    if kind == "Continuous":
        return [("", *ANGLE)]
    if kind == "Floating":
        position = [(f" {axis}", *bounded(lower[k], upper[k], LENGTH))
                    for k, axis in enumerate("xyz")]
        return position + [(f" {name}", *ANGLE) for name in RPY]
    if kind == "Spherical":
        return [(f" {name}", *ANGLE) for name in RPY]
    if kind == "Planar":
        return [(f" {axis}", *bounded(lower[k], upper[k], LENGTH)) for k, axis in enumerate("xy")] \
            + [(" angle", *ANGLE)]
    return []


def coordinates_of(kind, q):
    """Slider values of a joint from its part of q."""
    if kind == "Continuous":
        return [math.atan2(q[1], q[0])]
    if kind == "Floating":
        return list(q[:3]) + rotation_coordinates(q[3:7])
    if kind == "Spherical":
        return rotation_coordinates(q)
    if kind == "Planar":
        return [q[0], q[1], math.atan2(q[3], q[2])]
    return list(q)


def configuration_of(kind, values):
    """A joint's part of q from its slider values."""
    if kind == "Continuous":
        return [math.cos(values[0]), math.sin(values[0])]
    if kind == "Floating":
        return list(values[:3]) + rotation_quaternion(*values[3:])
    if kind == "Spherical":
        return rotation_quaternion(*values)
    if kind == "Planar":
        return [values[0], values[1], math.cos(values[2]), math.sin(values[2])]
    return list(values)


class JointSliders:
    """Sliders in a GUI folder; moving one in the browser calls `on_change(q)`."""

    def __init__(self, gui, model, q, on_change):
        self._on_change = on_change
        self._joints = []  # (kind, first index in q, nq, slider handles)
        starts = offsets([joint.nq for joint in model.joint_models])
        lower, upper = model.lower_position_limits, model.upper_position_limits
        with gui.add_folder("Joints"):
            for joint in range(1, model.njoints):
                kind = kind_name(model.joint_models[joint].joint_type)
                iq, nq = starts[joint], model.joint_models[joint].nq
                ranges = coordinate_ranges(kind, lower[iq:iq + nq], upper[iq:iq + nq])
                values = coordinates_of(kind, q[iq:iq + nq])
                # a q outside the limits widens its slider
                handles = [gui.add_slider(model.joint_names[joint] + suffix,
                                          float(min(low, value)), float(max(high, value)),
                                          STEP, float(value))
                           for (suffix, low, high), value in zip(ranges, values)]
                for handle in handles:
                    handle.on_update(self._moved)
                if handles:
                    self._joints.append((kind, iq, nq, handles))
        self._q = np.array(q, dtype=float)

    def _moved(self, event):
        # values set from Python (show) come without a client
        if event.client is not None:
            self._on_change(self.configuration())

    def configuration(self):
        """q from the sliders (joints without sliders keep the last shown q)."""
        q = self._q.copy()
        for kind, iq, nq, handles in self._joints:
            q[iq:iq + nq] = configuration_of(kind, [handle.value for handle in handles])
        return q

    def show(self, q):
        """Moves the sliders to q, widening a slider's range where q lies outside it."""
        self._q = np.array(q, dtype=float)
        for kind, iq, nq, handles in self._joints:
            for handle, value in zip(handles, coordinates_of(kind, q[iq:iq + nq])):
                value = float(value)
                if value < handle.min:
                    handle.min = value
                if value > handle.max:
                    handle.max = value
                handle.value = value
