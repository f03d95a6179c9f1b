"""Joints that mimic another: reduced coordinates against the full tree projected through G."""
import pickle
from pathlib import Path

import numpy as np
import pytest

import kinetra

REPO = Path(__file__).resolve().parents[2]
GRIPPER = REPO / "examples" / "robots" / "two_finger_gripper" / "two_finger_gripper.urdf"
PANDA = REPO.parent / "shared" / "robots" / "panda_with_meshes" / "panda.urdf"


def random_tree(seed):
    """A tree of revolute and prismatic joints of which about a third mimic an earlier one,
    some through another mimic."""
    rng = np.random.default_rng(seed)
    links = ['<link name="l0"/>']
    joints = []
    for i in range(1, 9):
        kind = "revolute" if rng.random() < 0.7 else "prismatic"
        mass, com = rng.uniform(0.2, 2.0), rng.uniform(-0.1, 0.1, 3)
        links.append(f'<link name="l{i}"><inertial><origin xyz="{" ".join(map(str, com))}"/>'
                     f'<mass value="{mass}"/><inertia ixx="0.02" iyy="0.03" izz="0.025" ixy="0.001"'
                     f' ixz="0" iyz="0"/></inertial></link>')
        axis, xyz, rpy = rng.normal(size=3), rng.uniform(-0.3, 0.3, 3), rng.uniform(-1, 1, 3)
        mimic = ""
        if i > 2 and rng.random() < 0.4:
            multiplier, offset = rng.uniform(-2, 2), rng.uniform(-0.3, 0.3)
            mimic = f'<mimic joint="j{rng.integers(1, i)}" multiplier="{multiplier}" offset="{offset}"/>'
        joints.append(
            f'<joint name="j{i}" type="{kind}"><parent link="l{rng.integers(0, i)}"/>'
            f'<child link="l{i}"/><origin xyz="{" ".join(map(str, xyz))}" rpy="{" ".join(map(str, rpy))}"/>'
            f'<axis xyz="{" ".join(map(str, axis))}"/><limit lower="-1" upper="1" effort="1" velocity="1"/>'
            f'{mimic}</joint>')
    return f'<robot name="tree{seed}">{"".join(links)}{"".join(joints)}</robot>'


def read(source, mimic):
    if isinstance(source, Path):
        return kinetra.build_models_from_urdf(str(source), check_meshes=False, mimic=mimic)[0]
    return kinetra.build_models_from_urdf_string(source, mimic=mimic)[0]


def constraint(full, reduced):
    """G (nv, nv_r) and the offsets: q = G q_r + offsets (every joint here has one coordinate)."""
    g = np.zeros((full.nv, reduced.nv))
    offsets = np.zeros(full.nv)
    followers = {m: (ref, k, o) for m, ref, k, o in reduced.mimic_joints}
    kept = [j for j in range(1, full.njoints) if j not in followers]
    for r, j in enumerate(kept):
        g[j - 1, r] = 1.0


    def resolve(j):  # a chain of mimics ends at a kept joint, whatever the joint order
        if j in followers and not g[j - 1].any():
            ref, k, o = followers[j]
            resolve(ref)
            g[j - 1] = k * g[ref - 1]
            offsets[j - 1] = k * offsets[ref - 1] + o

    for j in followers:
        resolve(j)
    return g, offsets


ROBOTS = [GRIPPER, PANDA] + [random_tree(seed) for seed in range(6)]
IDS = ["gripper", "panda"] + [f"tree{seed}" for seed in range(6)]


@pytest.mark.parametrize("source", ROBOTS, ids=IDS)
def test_reduced_dynamics_are_the_full_tree_projected_through_g(source):
    if isinstance(source, Path) and not source.exists():
        pytest.skip(f"{source} not present")
    full, reduced = read(source, False), read(source, True)
    assert full.mimic_joints == [] and reduced.nq == full.nq - len(reduced.mimic_joints)
    g, offsets = constraint(full, reduced)
    rng = np.random.default_rng(1)
    q_r, v_r, a_r = (rng.uniform(-1, 1, reduced.nv) for _ in range(3))
    q, v, a = g @ q_r + offsets, g @ v_r, g @ a_r
    fd, rd = full.create_data(), reduced.create_data()
    mass = kinetra.crba(full, fd, q)
    np.testing.assert_allclose(kinetra.crba(reduced, rd, q_r), g.T @ mass @ g, atol=1e-12)
    tau_r = kinetra.rnea(reduced, rd, q_r, v_r, a_r).to_numpy()
    np.testing.assert_allclose(tau_r, g.T @ kinetra.rnea(full, fd, q, v, a).to_numpy(), atol=1e-12)
    np.testing.assert_allclose(kinetra.aba(reduced, rd, q_r, v_r, tau_r).to_numpy(), a_r, atol=1e-8)
    frame = full.nframes - 1
    np.testing.assert_allclose(kinetra.frame_jacobian(reduced, rd, q_r, frame),
                               kinetra.frame_jacobian(full, fd, q, frame) @ g, atol=1e-12)
    np.testing.assert_allclose(kinetra.center_of_mass_jacobian(reduced, rd, q_r),
                               kinetra.center_of_mass_jacobian(full, fd, q) @ g, atol=1e-12)
    assert kinetra.kinetic_energy(reduced, rd, q_r, v_r) == pytest.approx(
        kinetra.kinetic_energy(full, fd, q, v), abs=1e-12)


@pytest.mark.parametrize("source", ROBOTS[2:], ids=IDS[2:])
def test_rollouts_keep_the_mimic_relation(source):
    full, reduced = read(source, False), read(source, True)
    g, offsets = constraint(full, reduced)
    data, full_data = reduced.create_data(), full.create_data()
    q, v, dt = kinetra.neutral(reduced).to_numpy(), np.zeros(reduced.nv), 1e-3
    for _ in range(50):
        a = kinetra.aba(reduced, data, q, v, np.zeros(reduced.nv)).to_numpy()
        v = v + dt * a
        q = kinetra.integrate(reduced, q, dt * v)
    kinetra.forward_kinematics(reduced, data, q)
    kinetra.forward_kinematics(full, full_data, g @ q + offsets)
    for mine, theirs in zip(data.oMi, full_data.oMi):
        np.testing.assert_allclose(mine.homogeneous, theirs.homogeneous, rtol=0, atol=1e-13)


def test_the_reduced_surface_drops_the_followers():
    full, reduced = read(GRIPPER, False), read(GRIPPER, True)
    assert (full.nq, full.nv, reduced.nq, reduced.nv) == (3, 3, 2, 2)
    assert reduced.mimic_joints == [(3, 2, 1.0, 0.0)]
    assert reduced.upper_position_limits.tolist() == [3.1, 0.04]
    reduced.velocity_limits = np.array([2.0, 0.2])
    assert reduced.velocity_limits.tolist() == [2.0, 0.2]
    copy = pickle.loads(pickle.dumps(reduced))
    assert copy.mimic_joints == reduced.mimic_joints and copy.nq == 2
    assert kinetra.random_configuration(reduced, seed=3).to_numpy().shape == (2,)
    with pytest.raises(ValueError, match="batch functions do not take models with mimic joints"):
        kinetra.batch.rnea(reduced, np.zeros((1, 2)), np.zeros((1, 2)), np.zeros((1, 2)))
    with pytest.raises(AttributeError):
        reduced.mimic_joints = []


def with_joints(*joints):
    links = "".join(f'<link name="l{i}"/>' for i in range(len(joints) + 1))
    body = "".join(f'<joint name="j{i + 1}" type="{kind}"><parent link="l{i}"/><child link="l{i + 1}"/>'
                   f'<limit lower="-1" upper="1" effort="1" velocity="1"/>{extra}</joint>'
                   for i, (kind, extra) in enumerate(joints))
    return f'<robot name="r">{links}{body}</robot>'


@pytest.mark.parametrize("xml, message", [
    (with_joints(("revolute", ""), ("revolute", '<mimic joint="nowhere"/>')),
     "Invalid mimic: joint 'j2' mimics unknown joint 'nowhere'"),
    (with_joints(("revolute", '<mimic joint="j2"/>'), ("revolute", '<mimic joint="j1"/>')),
     "Invalid mimic: joint 'j1' is in a loop of mimic joints"),
    (with_joints(("revolute", '<mimic joint="j1"/>')),
     "Invalid mimic: joint 'j1' is in a loop of mimic joints"),
    (with_joints(("continuous", ""), ("revolute", '<mimic joint="j1"/>')),
     "Invalid mimic: joint 'j2' cannot take part in a mimic: joint 'j1' is neither revolute nor prismatic"),
    (with_joints(("planar", ""), ("prismatic", '<mimic joint="j1"/>')),
     "Invalid mimic: joint 'j2' cannot take part in a mimic: joint 'j1' is neither revolute nor prismatic"),
    (with_joints(("revolute", ""), ("revolute", '<mimic joint="j1" multiplier="x"/>')),
     "Invalid value for parameter: multiplier"),
])
def test_refused_mimics_name_the_joint(xml, message):
    with pytest.raises(ValueError) as raised:
        kinetra.build_models_from_urdf_string(xml, mimic=True)
    assert str(raised.value) == message
    assert kinetra.build_models_from_urdf_string(xml)[0].mimic_joints == []
