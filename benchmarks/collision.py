"""Collision and distance queries from Python: kinetra beside python-fcl and PyBullet.

Per primitive pair: vortan.distance against python-fcl's fcl.distance on the same shapes and
placements. The Panda (panda_with_meshes, every pair but adjacent links'): one full
self-collision check per configuration with kinetra.compute_collisions (exact meshes and convex
hulls), a Python loop of python-fcl collide calls over the same pairs (exact meshes), PyBullet's
getClosestPoints over the same pairs (its meshes are convex hulls), and kinetra.batch on one
thread. Best of three runs each; the numbers are per call or per configuration.

    pip install python-fcl pybullet   # for this benchmark only
    python3 benchmarks/collision.py [--robots DIR] [--states N]
"""
import argparse
import os
import time
from pathlib import Path

import numpy as np

import kinetra
from kinetra import vortan

ROOT = Path(__file__).resolve().parents[1]


def best(run, repeat=3):
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        run()
        times.append(time.perf_counter() - start)
    return min(times)


def placements(count, spread, seed=1):
    rng = np.random.default_rng(seed)
    out = []
    for _ in range(count):
        q = rng.normal(size=4)
        q /= np.linalg.norm(q)
        w, x, y, z = q
        rotation = np.array([[1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)],
                             [2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)],
                             [2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)]])
        out.append((rotation, rng.uniform(-spread, spread, 3)))
    return out


def primitive_pairs(fcl):
    # (name, kinetra shapes, python-fcl shapes)
    return [
        ("sphere-sphere", (vortan.Sphere(0.1), vortan.Sphere(0.15)),
         (fcl.Sphere(0.1), fcl.Sphere(0.15))),
        ("sphere-cuboid", (vortan.Sphere(0.1), vortan.Cuboid([0.2, 0.4, 0.2])),
         (fcl.Sphere(0.1), fcl.Box(0.2, 0.4, 0.2))),
        ("capsule-capsule", (vortan.Capsule(0.05, 0.4), vortan.Capsule(0.06, 0.2)),
         (fcl.Capsule(0.05, 0.4), fcl.Capsule(0.06, 0.2))),
        ("cuboid-cuboid", (vortan.Cuboid([0.2, 0.4, 0.2]), vortan.Cuboid([0.4, 0.2, 0.1])),
         (fcl.Box(0.2, 0.4, 0.2), fcl.Box(0.4, 0.2, 0.1))),
        ("cylinder-cylinder", (vortan.Cylinder(0.05, 0.4), vortan.Cylinder(0.06, 0.2)),
         (fcl.Cylinder(0.05, 0.4), fcl.Cylinder(0.06, 0.2))),
    ]


def bench_primitives(fcl):
    poses = placements(2000, 0.4)
    rows = []
    for name, (a, b), (fa, fb) in primitive_pairs(fcl):
        se3 = [kinetra.SE3(r, t) for r, t in poses]
        pairs = list(zip(se3[::2], se3[1::2]))
        ours = best(lambda: [vortan.distance(a, x1, b, x2) for x1, x2 in pairs]) / len(pairs)
        objects = [(fcl.CollisionObject(fa, fcl.Transform(r1, t1)),
                    fcl.CollisionObject(fb, fcl.Transform(r2, t2)))
                   for (r1, t1), (r2, t2) in zip(poses[::2], poses[1::2])]
        request = fcl.DistanceRequest(enable_nearest_points=True, enable_signed_distance=True)

        def theirs():
            for o1, o2 in objects:
                fcl.distance(o1, o2, request, fcl.DistanceResult())

        rows.append((name, ours, best(theirs) / len(objects)))
    return rows


def read_obj(path):
    vertices, faces = [], []
    for line in Path(path).read_text().splitlines():
        parts = line.split()
        if parts[:1] == ["v"]:
            vertices.append([float(x) for x in parts[1:4]])
        elif parts[:1] == ["f"]:
            index = [int(p.split("/")[0]) - 1 for p in parts[1:]]
            faces += [[index[0], index[k], index[k + 1]] for k in range(1, len(index) - 1)]
    return np.array(vertices), np.array(faces)


def bench_panda(robots, states, fcl, pybullet):
    folder = robots / "panda_with_meshes"
    os.environ["ROS_PACKAGE_PATH"] = str(folder / "_packages" / "meshes")
    model, collision, _ = kinetra.build_models_from_urdf(str(folder / "panda.urdf"), str(folder))
    collision.add_all_collision_pairs()
    pairs = collision.collision_pairs
    data = model.create_data()
    geometry_data = collision.create_data(data)
    qs = np.array([kinetra.random_configuration(model, seed=k).to_numpy() for k in range(states)])
    rows = {"pairs": len(pairs)}
    for hulls in (False, True):
        collision.use_convex_hulls(hulls)
        kinetra.compute_collisions(model, data, collision, geometry_data, qs[0])  # read meshes
        run = lambda: [kinetra.compute_collisions(model, data, collision, geometry_data, q)
                       for q in qs]
        rows["kinetra hulls" if hulls else "kinetra meshes"] = best(run) / states
        rows["kinetra.batch 1 thread, hulls" if hulls else "kinetra.batch 1 thread, meshes"] = \
            best(lambda: kinetra.batch.compute_collisions(model, collision, qs, threads=1)) / states

    # python-fcl: the same objects as BVH meshes, transforms set from kinetra's placements
    objects = []
    for item in collision.geometry_objects:
        vertices, faces = read_obj(item.geometry.mesh_path)
        mesh = fcl.BVHModel()
        mesh.beginModel(len(vertices), len(faces))
        mesh.addSubModel(vertices, faces)
        mesh.endModel()
        objects.append(fcl.CollisionObject(mesh, fcl.Transform()))
    request = fcl.CollisionRequest()

    def fcl_loop():
        for q in qs:
            kinetra.forward_kinematics(model, data, q)
            geometry_data.update_geometry_data(data, collision)
            for k, obj in enumerate(objects):
                placement = geometry_data.get_object_placement(k)
                obj.setTransform(fcl.Transform(placement.rotation, placement.translation))
            for i, j in pairs:
                fcl.collide(objects[i], objects[j], request, fcl.CollisionResult())

    rows["python-fcl loop, meshes"] = best(fcl_loop) / states

    # PyBullet: the robot's links, closest points of the same pairs of links
    client = pybullet.connect(pybullet.DIRECT)
    pybullet.setAdditionalSearchPath(str(folder / "_packages"), physicsClientId=client)
    text = (folder / "panda.urdf").read_text().replace("package://meshes/",
                                                       str(folder / "_packages" / "meshes") + "/")
    urdf = Path(os.environ.get("TMPDIR", "/tmp")) / "kinetra_bench_panda.urdf"
    urdf.write_text(text)
    robot = pybullet.loadURDF(str(urdf), useFixedBase=True, physicsClientId=client)
    link_of = {pybullet.getJointInfo(robot, j, physicsClientId=client)[12].decode(): j
               for j in range(pybullet.getNumJoints(robot, physicsClientId=client))}
    link_of["panda_link0"] = -1
    links = [link_of[item.name.rsplit("_", 1)[0]] for item in collision.geometry_objects]
    movable = [j for j in range(pybullet.getNumJoints(robot, physicsClientId=client))
               if pybullet.getJointInfo(robot, j, physicsClientId=client)[2] != pybullet.JOINT_FIXED]

    def bullet_loop():
        for q in qs:
            for j, value in zip(movable, q):
                pybullet.resetJointState(robot, j, value, physicsClientId=client)
            pybullet.performCollisionDetection(physicsClientId=client)
            for i, j in pairs:
                pybullet.getClosestPoints(robot, robot, 0.0, links[i], links[j],
                                          physicsClientId=client)

    rows["PyBullet getClosestPoints loop, hulls"] = best(bullet_loop) / states
    pybullet.disconnect(client)
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--robots", default=str(ROOT.parent / "shared" / "robots"))
    parser.add_argument("--states", type=int, default=200)
    args = parser.parse_args()
    import fcl
    import pybullet

    print("| pair | kinetra vortan.distance (us) | python-fcl fcl.distance (us) |")
    print("|---|---|---|")
    for name, ours, theirs in bench_primitives(fcl):
        print(f"| {name} | {ours * 1e6:.2f} | {theirs * 1e6:.2f} |")
    rows = bench_panda(Path(args.robots), args.states, fcl, pybullet)
    print(f"\nPanda self-collision, {rows.pop('pairs')} pairs, per configuration:\n")
    print("| | us per configuration | configurations per second |")
    print("|---|---|---|")
    for name, seconds in rows.items():
        print(f"| {name} | {seconds * 1e6:.1f} | {1 / seconds:,.0f} |")


if __name__ == "__main__":
    main()
