"""Cross-checks kinetra's rigid-body dynamics against MuJoCo on real URDF robots.

Each robot is read by kinetra from its own file and by MuJoCo from a copy without geometry,
welded to the world and, for the robots in FLOATING, also with a floating base (kinetra's
JointModelFloating against MuJoCo's free joint). Joints are matched by name and both engines are
evaluated at the same random states (fixed seed): inverse dynamics, the mass matrix, forward
dynamics, the bias and gravity efforts, the energies, the joint placements, the placement and
geometric Jacobian of every link's body frame, and the centre of mass with its Jacobian. Each
figure is the worst over all states of max|kinetra - mujoco| / max|mujoco|.

    python3 validation/compare_mujoco.py [--robots DIR] [--states N] [--seed S]
"""

from __future__ import annotations

import argparse
import dataclasses
import math
import os
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

import numpy as np

DEFAULT_ROBOTS = Path(__file__).resolve().parents[2] / "shared" / "robots"
QUANTITIES = ("rnea", "crba", "aba", "nle", "gravity", "kinetic", "potential", "placements",
              "frames", "jacobians", "com", "com_jacobian")
TOLERANCE = 1e-9
# robots also compared with a floating base
FLOATING = ("humanoid_g1", "quadruped_a1")


# ---------------------------------------------------------------------------------------------
# URDF copies for MuJoCo


def rpy_matrix(rpy):
    """Rotation of a URDF roll-pitch-yaw triple: Rz(yaw) Ry(pitch) Rx(roll)."""
    cr, cp, cy = (math.cos(x) for x in rpy)
    sr, sp, sy = (math.sin(x) for x in rpy)
    return np.array([
        [cy * cp, cy * sp * sr - sy * cr, cy * sp * cr + sy * sr],
        [sy * cp, sy * sp * sr + cy * cr, sy * sp * cr - cy * sr],
        [-sp, cp * sr, cp * cr],
    ])


def read_triple(element, attribute):
    if element is None or element.get(attribute) is None:
        return np.zeros(3)
    return np.array([float(x) for x in element.get(attribute).split()])


@dataclasses.dataclass
class Inertial:
    """Mass, centre of mass and rotational inertia about it, all in the link frame."""

    mass: float
    com: np.ndarray
    inertia: np.ndarray

    @classmethod
    def parse(cls, element):
        origin = element.find("origin")
        rotation = rpy_matrix(read_triple(origin, "rpy"))
        mass_element = element.find("mass")
        mass = float(mass_element.get("value")) if mass_element is not None else 0.0
        i = element.find("inertia")
        get = (lambda k: float(i.get(k, "0"))) if i is not None else (lambda k: 0.0)
        local = np.array([
            [get("ixx"), get("ixy"), get("ixz")],
            [get("ixy"), get("iyy"), get("iyz")],
            [get("ixz"), get("iyz"), get("izz")],
        ])
        return cls(mass, read_triple(origin, "xyz"), rotation @ local @ rotation.T)

    def moved(self, rotation, translation):
        """The same body in a frame where this link frame has this rotation and translation."""
        return Inertial(self.mass, rotation @ self.com + translation,
                        rotation @ self.inertia @ rotation.T)

    def __add__(self, other):
        mass = self.mass + other.mass
        com = (self.mass * self.com + other.mass * other.com) / mass
        inertia = np.zeros((3, 3))
        for body in (self, other):
            d = body.com - com
            inertia += body.inertia + body.mass * (d @ d * np.eye(3) - np.outer(d, d))
        return Inertial(mass, com, inertia)

    def accepted_by_mujoco(self):
        """MuJoCo needs positive principal moments obeying the triangle inequality."""
        a, b, c = np.linalg.eigvalsh(self.inertia)
        return a > 0 and a + b >= c

    def element(self):
        i = self.inertia
        element = ET.Element("inertial")
        ET.SubElement(element, "origin", xyz=" ".join(repr(float(x)) for x in self.com),
                      rpy="0 0 0")
        ET.SubElement(element, "mass", value=repr(float(self.mass)))
        ET.SubElement(element, "inertia", **{
            name: repr(float(i[r, c])) for name, r, c in (
                ("ixx", 0, 0), ("ixy", 0, 1), ("ixz", 0, 2), ("iyy", 1, 1), ("iyz", 1, 2),
                ("izz", 2, 2))})
        return element


def strip_geometry(robot):
    for link in robot.findall("link"):
        for tag in ("visual", "collision"):
            for element in link.findall(tag):
                link.remove(element)


def fold_rejected_inertias(robot):
    """Moves each inertia MuJoCo refuses into its parent link across a fixed joint.

    A fixed joint welds both links into one rigid body, so the move leaves the dynamics
    unchanged. Returns the names of the links moved; raises ValueError when a refused inertia
    sits on a moving joint.
    """
    links = {link.get("name"): link for link in robot.findall("link")}
    joint_to = {joint.find("child").get("link"): joint for joint in robot.findall("joint")
                if joint.find("child") is not None}
    folded = []
    pending = [name for name, link in links.items() if link.find("inertial") is not None]
    while pending:
        name = pending.pop(0)
        link = links[name]
        element = link.find("inertial")
        if element is None:
            continue
        inertial = Inertial.parse(element)
        if inertial.accepted_by_mujoco():
            continue
        joint = joint_to.get(name)
        if joint is None or joint.get("type") != "fixed":
            raise ValueError(f"MuJoCo refuses the inertia of link {name}")
        origin = joint.find("origin")
        moved = inertial.moved(rpy_matrix(read_triple(origin, "rpy")), read_triple(origin, "xyz"))
        parent = links[joint.find("parent").get("link")]
        parent_element = parent.find("inertial")
        if parent_element is not None:
            moved = Inertial.parse(parent_element) + moved
            parent.remove(parent_element)
        link.remove(element)
        parent.append(moved.element())
        folded.append(name)
        pending.append(parent.get("name"))
    return folded


def weigh_massless_moving_links(robot):
    """Gives each massless link on a moving joint a negligible inertial, as MuJoCo requires.

    The added mass and moments (1e-14, just above what MuJoCo accepts) stay below round-off.
    """
    moving = {joint.find("child").get("link") for joint in robot.findall("joint")
              if joint.get("type") != "fixed" and joint.find("child") is not None}
    weighed = []
    for link in robot.findall("link"):
        element = link.find("inertial")
        if link.get("name") not in moving or (
                element is not None and Inertial.parse(element).mass > 0):
            continue
        if element is not None:
            link.remove(element)
        link.append(Inertial(1e-14, np.zeros(3), 1e-14 * np.eye(3)).element())
        weighed.append(link.get("name"))
    return weighed


def add_seeded_inertias(robot, rng):
    """Gives every link a random but physical inertial (for robots that carry none)."""
    for link in robot.findall("link"):
        moments = rng.uniform(0.05, 0.1, 3)  # any two add up to more than the third
        rotation = rpy_matrix(rng.uniform(-math.pi, math.pi, 3))
        inertial = Inertial(rng.uniform(0.5, 2.0), rng.uniform(-0.1, 0.1, 3),
                            rotation @ np.diag(moments) @ rotation.T)
        link.append(inertial.element())


def mujoco_text(robot):
    """The robot as MuJoCo text: every link kept as its own body, no inertia inferred."""
    robot = ET.fromstring(ET.tostring(robot))
    strip_geometry(robot)
    for tag in ("gazebo", "transmission", "mujoco"):
        for element in robot.findall(tag):
            robot.remove(element)
    extension = ET.SubElement(robot, "mujoco")
    ET.SubElement(extension, "compiler", fusestatic="false", discardvisual="false",
                  inertiafromgeom="false", balanceinertia="false", boundmass="0",
                  boundinertia="0", angle="radian")
    return ET.tostring(robot, encoding="unicode")


# ---------------------------------------------------------------------------------------------
# The two engines


@dataclasses.dataclass
class Robot:
    name: str
    folder: Path
    urdf: Path


def find_robots(root):
    robots = []
    for folder in sorted(p for p in Path(root).iterdir() if p.is_dir()):
        files = sorted(folder.glob("*.urdf"))
        if len(files) == 1:
            robots.append(Robot(folder.name, folder, files[0]))
    return robots


def load_kinetra(path, folder, floating=False):
    import kinetra

    packages = folder / "_packages"
    if packages.is_dir():
        os.environ["ROS_PACKAGE_PATH"] = ":".join(str(p) for p in sorted(packages.iterdir()))
    root_joint = kinetra.JointModelFloating() if floating else None
    model, _, _ = kinetra.build_models_from_urdf(str(path), package_dir=str(folder),
                                                 root_joint=root_joint)
    return model


def root_joints(kmodel):
    """(joint name, root link name) of each joint kinetra put between the world and a root link."""
    roots = []
    for index, name in enumerate(kmodel.joint_names):
        if index and kmodel.joint_parents[index] == 0 and kmodel.joint_models[index].nq == 7:
            body = next(f.name for f in kmodel.frames if f.parent_joint == index
                        and f.name != name)
            roots.append((name, body))
    return roots


def load_mujoco(text, gravity, free_joints=()):
    """MuJoCo's model of the text, with a free joint of each (name, body) in `free_joints`."""
    import mujoco

    if free_joints:
        editable = mujoco.MjSpec.from_string(text)
        for name, body in free_joints:
            editable.body(body).add_freejoint(name=name)
        model = editable.compile()
    else:
        model = mujoco.MjModel.from_xml_string(text)
    model.opt.gravity[:] = gravity
    model.dof_damping[:] = 0.0
    model.dof_frictionloss[:] = 0.0
    model.dof_armature[:] = 0.0
    model.jnt_stiffness[:] = 0.0
    for flag in ("mjDSBL_CONSTRAINT", "mjDSBL_PASSIVE", "mjDSBL_SPRING", "mjDSBL_DAMPER"):
        if hasattr(mujoco.mjtDisableBit, flag):
            model.opt.disableflags |= int(getattr(mujoco.mjtDisableBit, flag))
    model.opt.enableflags |= int(mujoco.mjtEnableBit.mjENBL_ENERGY)
    return model


@dataclasses.dataclass
class JointMap:
    """Where each moving kinetra joint lives in both engines."""

    name: str
    kind: str  # "hinge", "slide", "continuous" or "free"
    kinetra_q: int
    kinetra_v: int
    kinetra_joint: int
    mujoco_q: int
    mujoco_v: int
    mujoco_body: int


def match_joints(kmodel, mmodel):
    import mujoco

    joints = []
    iq = iv = 0
    names = kmodel.joint_names
    for index, (name, joint) in enumerate(zip(names, kmodel.joint_models)):
        if index == 0:
            continue
        j = mujoco.mj_name2id(mmodel, mujoco.mjtObj.mjOBJ_JOINT, name)
        if j < 0:
            raise ValueError(f"joint {name} is missing in MuJoCo")
        mtype = mmodel.jnt_type[j]
        if joint.nq == 2 and joint.nv == 1 and mtype == mujoco.mjtJoint.mjJNT_HINGE:
            kind = "continuous"
        elif joint.nq == 1 and mtype == mujoco.mjtJoint.mjJNT_HINGE:
            kind = "hinge"
        elif joint.nq == 1 and mtype == mujoco.mjtJoint.mjJNT_SLIDE:
            kind = "slide"
        elif joint.nq == 7 and mtype == mujoco.mjtJoint.mjJNT_FREE:
            kind = "free"
        else:
            raise ValueError(f"joint {name} differs in kind between the engines")
        joints.append(JointMap(name, kind, iq, iv, index, int(mmodel.jnt_qposadr[j]),
                               int(mmodel.jnt_dofadr[j]), int(mmodel.jnt_bodyid[j])))
        iq += joint.nq
        iv += joint.nv
    if len(joints) != mmodel.njnt or iv != mmodel.nv:
        raise ValueError(f"{mmodel.njnt} MuJoCo joints against {len(joints)} kinetra joints")
    return joints


def match_body_frames(kmodel, mmodel):
    """kinetra's body frames of the links MuJoCo has as bodies, and those bodies' ids."""
    import kinetra
    import mujoco

    frames, bodies = [], []
    for index, frame in enumerate(kmodel.frames):
        body = mujoco.mj_name2id(mmodel, mujoco.mjtObj.mjOBJ_BODY, frame.name)
        if int(frame.frame_type) == int(kinetra.FrameType.Body) and body >= 0:
            frames.append(index)
            bodies.append(body)
    if not frames:
        raise ValueError("no link's body frame is a MuJoCo body")
    return frames, bodies


def quaternion_matrix(x, y, z, w):
    return np.array([
        [1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)],
        [2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)],
        [2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)],
    ])


class State:
    """One random state in both engines' coordinates: angles, displacements, v and a.

    Velocities map by `velocity_map` (MuJoCo's qvel = velocity_map @ v). It permutes the
    coordinates and, for a free joint, turns kinetra's (angular; linear) twist in the body's axes
    into MuJoCo's (linear velocity in world axes; angular velocity in body axes): an orthogonal
    matrix, so efforts map by it too and back by its transpose. MuJoCo's free-joint acceleration
    is the rate of its world-axes linear velocity, so it carries R (w x v) more.
    """

    def __init__(self, joints, rng, kinetra_nq, mujoco_nq, nv):
        self.q = np.zeros(kinetra_nq)
        self.qpos = np.zeros(mujoco_nq)
        self.v = rng.uniform(-1.0, 1.0, nv)
        self.a = rng.uniform(-1.0, 1.0, nv)
        self.velocity_map = np.zeros((nv, nv))
        self.free = []  # (kinetra dof, MuJoCo dof, rotation) of each free joint
        for joint in joints:
            kv, mv = joint.kinetra_v, joint.mujoco_v
            if joint.kind == "free":
                position = rng.uniform(-1.0, 1.0, 3)
                quaternion = rng.normal(size=4)  # uniform on the rotation group once normalised
                quaternion /= np.linalg.norm(quaternion)
                self.q[joint.kinetra_q:joint.kinetra_q + 7] = np.concatenate(
                    [position, quaternion])
                # MuJoCo puts the scalar first
                self.qpos[joint.mujoco_q:joint.mujoco_q + 7] = np.concatenate(
                    [position, quaternion[3:], quaternion[:3]])
                rotation = quaternion_matrix(*quaternion)
                self.velocity_map[mv:mv + 3, kv + 3:kv + 6] = rotation
                self.velocity_map[mv + 3:mv + 6, kv:kv + 3] = np.eye(3)
                self.free.append((kv, mv, rotation))
                continue
            self.velocity_map[mv, kv] = 1.0
            if joint.kind == "slide":
                x = rng.uniform(-0.5, 0.5)
                self.q[joint.kinetra_q] = x
            else:
                x = rng.uniform(-math.pi, math.pi)
                if joint.kind == "continuous":
                    self.q[joint.kinetra_q:joint.kinetra_q + 2] = (math.cos(x), math.sin(x))
                else:
                    self.q[joint.kinetra_q] = x
            self.qpos[joint.mujoco_q] = x

    def acceleration_bias(self, v):
        """MuJoCo's acceleration at kinetra's zero acceleration and velocity v."""
        bias = np.zeros(len(v))
        for kv, mv, rotation in self.free:
            bias[mv:mv + 3] = rotation @ np.cross(v[kv:kv + 3], v[kv + 3:kv + 6])
        return bias


class MujocoSide:
    """MuJoCo's quantities in kinetra's velocity coordinates."""

    def __init__(self, model, joints):
        import mujoco

        self.mujoco = mujoco
        self.model = model
        self.data = mujoco.MjData(model)
        self.joints = joints

    def _set(self, state, v):
        self.data.qpos[:] = state.qpos
        self.data.qvel[:] = state.velocity_map @ v
        self.data.qfrc_applied[:] = 0.0

    def rnea(self, state, v, a):
        self._set(state, v)
        self.data.qacc[:] = state.velocity_map @ a + state.acceleration_bias(v)
        self.mujoco.mj_inverse(self.model, self.data)
        return state.velocity_map.T @ self.data.qfrc_inverse

    def nonlinear_effects(self, state):
        return self.rnea(state, state.v, np.zeros_like(state.v))

    def gravity(self, state):
        return self.rnea(state, np.zeros_like(state.v), np.zeros_like(state.v))

    def aba(self, state, tau):
        self._set(state, state.v)
        self.data.qfrc_applied[:] = state.velocity_map @ tau
        self.mujoco.mj_forward(self.model, self.data)
        return state.velocity_map.T @ (self.data.qacc - state.acceleration_bias(state.v))

    def crba(self, state):
        self._set(state, state.v)
        self.mujoco.mj_forward(self.model, self.data)
        full = np.zeros((self.model.nv, self.model.nv))
        try:
            self.mujoco.mj_fullM(self.model, self.data, full)
        except TypeError:  # older releases take the packed matrix instead of the data
            self.mujoco.mj_fullM(self.model, full, self.data.qM)
        return state.velocity_map.T @ full @ state.velocity_map

    def energies(self, state):
        """Kinetic and potential energy; the potential leaves out bodies welded to the world."""
        self._set(state, state.v)
        self.mujoco.mj_forward(self.model, self.data)
        m, d = self.model, self.data
        welded = sum(m.body_mass[b] * (m.opt.gravity @ d.xipos[b])
                     for b in range(1, m.nbody) if m.body_weldid[b] == 0)
        return d.energy[1], d.energy[0] + welded

    def placements(self, state):
        """World rotation and translation of the body of each moving joint."""
        self._set(state, state.v)
        self.mujoco.mj_kinematics(self.model, self.data)
        return [(self.data.xmat[j.mujoco_body].reshape(3, 3).copy(),
                 self.data.xpos[j.mujoco_body].copy()) for j in self.joints]

    def body_frames(self, state, bodies):
        """World rotation, position and (angular; linear) Jacobian at the origin of each body."""
        self._set(state, state.v)
        self.mujoco.mj_forward(self.model, self.data)
        out = []
        for body in bodies:
            jacp, jacr = np.zeros((3, self.model.nv)), np.zeros((3, self.model.nv))
            self.mujoco.mj_jacBody(self.model, self.data, jacp, jacr, body)
            out.append((self.data.xmat[body].reshape(3, 3).copy(), self.data.xpos[body].copy(),
                        np.vstack([jacr, jacp]) @ state.velocity_map))
        return out

    def center_of_mass(self, state):
        """Centre of mass of every body (the world's subtree) and its Jacobian."""
        self._set(state, state.v)
        self.mujoco.mj_forward(self.model, self.data)
        jacp = np.zeros((3, self.model.nv))
        self.mujoco.mj_jacSubtreeCom(self.model, self.data, jacp, 0)
        return self.data.subtree_com[0].copy(), jacp @ state.velocity_map


class KinetraSide:
    """kinetra's quantities through its Python module."""

    def __init__(self, model, joints):
        import kinetra

        self.kinetra = kinetra
        self.model = model
        self.data = model.create_data()
        self.joints = joints

    def rnea(self, state, v, a):
        return self.kinetra.rnea(self.model, self.data, state.q, v, a).to_numpy()

    def nonlinear_effects(self, state):
        return self.kinetra.nonlinear_effects(self.model, self.data, state.q, state.v).to_numpy()

    def gravity(self, state):
        return self.kinetra.generalized_gravity(self.model, self.data, state.q).to_numpy()

    def aba(self, state, tau):
        return self.kinetra.aba(self.model, self.data, state.q, state.v, tau).to_numpy()

    def crba(self, state):
        return self.kinetra.crba(self.model, self.data, state.q)

    def energies(self, state):
        return (self.kinetra.kinetic_energy(self.model, self.data, state.q, state.v),
                self.kinetra.potential_energy(self.model, self.data, state.q))

    def placements(self, state):
        self.kinetra.forward_kinematics(self.model, self.data, state.q)
        placements = self.data.joint_placements
        return [(placements[j.kinetra_joint].rotation, placements[j.kinetra_joint].translation)
                for j in self.joints]

    def body_frames(self, state, frames):
        out = []
        for frame in frames:
            jacobian = self.kinetra.frame_jacobian(self.model, self.data, state.q, frame)
            placement = self.kinetra.frame_placement(self.model, self.data, frame)
            out.append((placement.rotation, placement.translation, jacobian))
        return out

    def center_of_mass(self, state):
        return (self.kinetra.center_of_mass(self.model, self.data, state.q),
                self.kinetra.center_of_mass_jacobian(self.model, self.data, state.q))


# ---------------------------------------------------------------------------------------------
# Comparison


def relative(ours, reference):
    ours, reference = np.atleast_1d(ours), np.atleast_1d(reference)
    scale = np.max(np.abs(reference))
    return float(np.max(np.abs(ours - reference)) / scale) if scale > 0 else float(
        np.max(np.abs(ours)))


@dataclasses.dataclass
class Result:
    robot: str
    status: str
    floating: bool = False
    nq: int = 0
    nv: int = 0
    note: str = ""
    worst: dict = dataclasses.field(default_factory=dict)

    @property
    def agrees(self):
        return self.status == "compared" and all(x <= TOLERANCE for x in self.worst.values())


def load_both(robot, rng, floating=False):
    """kinetra's and MuJoCo's models of one robot, and notes on any reconciliation made.

    kinetra reads the robot's own file unless seeded inertials had to be added; it refuses
    some joint types, and then the models are None and the note is its message.
    """
    root = ET.parse(robot.urdf).getroot()
    robot_element = root if root.tag == "robot" else root.find(".//robot")
    notes = []
    seeded = robot_element.find("link/inertial") is None
    if seeded:
        add_seeded_inertias(robot_element, rng)
        notes.append("no inertial in the file: seeded inertials added for both engines")
    try:
        if seeded:
            with tempfile.TemporaryDirectory() as tmp:
                copy = ET.fromstring(ET.tostring(robot_element))
                strip_geometry(copy)
                path = Path(tmp) / robot.urdf.name
                ET.ElementTree(copy).write(path)
                kmodel = load_kinetra(path, robot.folder, floating)
        else:
            kmodel = load_kinetra(robot.urdf, robot.folder, floating)
    except ValueError as error:
        if "unknown joint type" in str(error):
            return None, None, [str(error)]
        raise
    folded = fold_rejected_inertias(robot_element)
    if folded:
        notes.append("inertia of " + ", ".join(folded) + " moved across its fixed joint "
                     "for MuJoCo")
    weighed = weigh_massless_moving_links(robot_element)
    if weighed:
        notes.append("negligible inertia (1e-14) given to massless " + ", ".join(weighed)
                     + " for MuJoCo")
    mmodel = load_mujoco(mujoco_text(robot_element), kmodel.gravity, root_joints(kmodel))
    return kmodel, mmodel, notes


def compare(robot, states, seed, floating=False):
    rng = np.random.default_rng(seed)
    kmodel, mmodel, notes = load_both(robot, rng, floating)
    if kmodel is None:
        return Result(robot.name, "unsupported", floating, note=notes[0])
    joints = match_joints(kmodel, mmodel)
    frames, bodies = match_body_frames(kmodel, mmodel)
    ours, theirs = KinetraSide(kmodel, joints), MujocoSide(mmodel, joints)
    worst = dict.fromkeys(QUANTITIES, 0.0)

    def record(key, a, b):
        worst[key] = max(worst[key], relative(a, b))

    for _ in range(states):
        state = State(joints, rng, kmodel.nq, mmodel.nq, kmodel.nv)
        record("rnea", ours.rnea(state, state.v, state.a), theirs.rnea(state, state.v, state.a))
        record("crba", ours.crba(state), theirs.crba(state))
        tau = theirs.rnea(state, state.v, state.a)
        record("aba", ours.aba(state, tau), theirs.aba(state, tau))
        record("nle", ours.nonlinear_effects(state), theirs.nonlinear_effects(state))
        record("gravity", ours.gravity(state), theirs.gravity(state))
        (kinetic, potential), (mkinetic, mpotential) = ours.energies(state), theirs.energies(state)
        record("kinetic", kinetic, mkinetic)
        record("potential", potential, mpotential)
        for (r1, t1), (r2, t2) in zip(ours.placements(state), theirs.placements(state)):
            record("placements", np.concatenate([np.ravel(r1), t1]),
                   np.concatenate([np.ravel(r2), t2]))
        for (r1, t1, j1), (r2, t2, j2) in zip(ours.body_frames(state, frames),
                                              theirs.body_frames(state, bodies)):
            record("frames", np.concatenate([np.ravel(r1), t1]), np.concatenate([np.ravel(r2), t2]))
            record("jacobians", j1, j2)
        (com, com_jacobian), (mcom, mcom_jacobian) = (ours.center_of_mass(state),
                                                       theirs.center_of_mass(state))
        record("com", com, mcom)
        record("com_jacobian", com_jacobian, mcom_jacobian)
    return Result(robot.name, "compared", floating, kmodel.nq, kmodel.nv, "; ".join(notes), worst)


def table(results):
    header = ["robot", "base", "nq", "nv"] + list(QUANTITIES) + ["status"]
    rows = []
    for r in results:
        base = "floating" if r.floating else "fixed"
        if r.status == "compared":
            figures = [f"{r.worst[k]:.1e}" for k in QUANTITIES]
            rows.append([r.robot, base, str(r.nq), str(r.nv)] + figures
                        + ["ok" if r.agrees else "DIFFERS"])
        else:
            rows.append([r.robot, base, "-", "-"] + ["-"] * len(QUANTITIES) + [r.status])
    widths = [max(len(row[i]) for row in rows + [header]) for i in range(len(header))]
    lines = ["  ".join(c.ljust(w) for c, w in zip(row, widths)).rstrip()
             for row in [header] + rows]
    notes = [f"{r.robot}: {r.note}" for r in results if r.note]
    return "\n".join(lines + ([""] + notes if notes else []))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--robots", type=Path, default=DEFAULT_ROBOTS)
    parser.add_argument("--states", type=int, default=20)
    parser.add_argument("--seed", type=int, default=7)
    args = parser.parse_args(argv)
    if not args.robots.is_dir():
        print(f"no robots at {args.robots}", file=sys.stderr)
        return 2
    results = [compare(robot, args.states, args.seed, floating)
               for robot in find_robots(args.robots)
               for floating in ((False, True) if robot.name in FLOATING else (False,))]
    print(f"worst max|kinetra - mujoco| / max|mujoco| over {args.states} random states "
          f"(seed {args.seed}), tolerance {TOLERANCE:g}")
    print(table(results))
    return 0 if all(r.agrees or r.status == "unsupported" for r in results) else 1


if __name__ == "__main__":
    sys.exit(main())
