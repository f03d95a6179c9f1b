import pathlib
import pickle
import threading

import numpy as np
import pytest

import kinetra
from kinetra import vortan

ROBOTS = pathlib.Path(__file__).resolve().parents[2] / ".." / "shared" / "robots"
PANDA = ROBOTS / "panda_with_meshes"


def at(x, rotation=None):
    return kinetra.SE3(np.eye(3) if rotation is None else rotation, np.array(x, float))


def random_placement(rng, spread):
    axis = rng.uniform(-1, 1, 3)
    angle = np.linalg.norm(axis)
    k = axis / angle
    skew = np.array([[0, -k[2], k[1]], [k[2], 0, -k[0]], [-k[1], k[0], 0]])
    rotation = np.eye(3) + np.sin(angle) * skew + (1 - np.cos(angle)) * skew @ skew
    return at(rng.uniform(-spread, spread, 3), rotation)


BOX_OBJ = "\n".join(
    [f"v {x} {y} {z}" for z in (-0.3, 0.3) for y in (-0.2, 0.2) for x in (-0.1, 0.1)]
    + ["f 1 3 4", "f 1 4 2", "f 5 6 8", "f 5 8 7", "f 1 2 6", "f 1 6 5",
       "f 3 7 8", "f 3 8 4", "f 1 5 7", "f 1 7 3", "f 2 4 8", "f 2 8 6"])


@pytest.fixture
def box_file(tmp_path):
    path = tmp_path / "box.obj"
    path.write_text(BOX_OBJ)
    return str(path)


SHAPES = {
    "sphere": lambda: vortan.Sphere(0.1),
    "capsule": lambda: vortan.Capsule(0.05, 0.2),
    "cuboid": lambda: vortan.Cuboid([0.2, 0.1, 0.16]),
    "cylinder": lambda: vortan.Cylinder(0.06, 0.2),
    "cone": lambda: vortan.Cone(0.08, 0.2),
}


@pytest.mark.parametrize("first", sorted(SHAPES))
@pytest.mark.parametrize("second", sorted(SHAPES))
def test_distance_is_symmetric_and_consistent(first, second):
    rng = np.random.default_rng(1)
    for _ in range(5):
        x1, x2 = random_placement(rng, 0.2), random_placement(rng, 0.2)
        d, p1, p2, n = vortan.distance(SHAPES[first](), x1, SHAPES[second](), x2)
        e, q2, q1, m = vortan.distance(SHAPES[second](), x2, SHAPES[first](), x1)
        assert np.linalg.norm(n) == pytest.approx(1.0)
        assert np.sign(d) == np.sign(e)
        if d > 1e-6:
            np.testing.assert_allclose(p2 - p1, d * n, atol=1e-9)
            assert e == pytest.approx(d, abs=1e-6)
            np.testing.assert_allclose([q1, q2, m], [p1, p2, -n], atol=1e-3)


def test_distance_of_a_mesh_file_equals_that_of_its_box(box_file):
    rng = np.random.default_rng(2)
    other = vortan.Cuboid([0.1, 0.2, 0.4])
    apart = 0
    for _ in range(40):
        x1, x2 = random_placement(rng, 0.6), random_placement(rng, 0.6)
        expected = vortan.distance(other, x1, vortan.Cuboid([0.2, 0.4, 0.6]), x2)[0]
        if expected > 0:
            apart += 1
            assert vortan.distance(other, x1, vortan.PyMesh(box_file), x2)[0] == \
                pytest.approx(expected, abs=1e-7)
    assert apart > 5


def test_mesh_scale_defaults_to_one_and_survives_pickling(box_file):
    mesh = vortan.PyMesh(box_file)
    assert mesh.scale.tolist() == [1.0, 1.0, 1.0] and mesh.scale.dtype == np.float32
    assert pickle.loads(pickle.dumps(mesh)).scale.tolist() == [1.0, 1.0, 1.0]


def test_urdf_mesh_scale_is_read_kept_and_used(tmp_path, box_file):
    urdf = f"""<robot name="r"><link name="a"><collision><geometry>
      <mesh filename="{box_file}" scale="0.5 1 2"/></geometry></collision></link></robot>"""
    model, collision, _ = kinetra.build_models_from_urdf_string(urdf)
    shape = collision.geometry_objects[0].geometry
    assert shape.scale.tolist() == [0.5, 1.0, 2.0]
    again = pickle.loads(pickle.dumps(collision)).geometry_objects[0].geometry
    assert again.scale.tolist() == [0.5, 1.0, 2.0]
    with pytest.raises(ValueError, match="^Shape is not a mesh and does not have a scale$"):
        _ = kinetra.GeometryObject("s", 0, 0, vortan.Sphere(1.0), at([0, 0, 0])).geometry.scale
    # the box's x faces at +-0.05 after scaling, a ball of radius 0.1 at x = 1
    collision.add_geometry_object(kinetra.GeometryObject("ball", 0, 0, vortan.Sphere(0.1),
                                                         at([1.0, 0, 0])))
    collision.add_collision_pair(0, 1)
    data = model.create_data()
    d, _, _ = kinetra.compute_distances(model, data, collision, collision.create_data(data),
                                        kinetra.neutral(model))
    assert d[0] == pytest.approx(0.85, abs=1e-7)


def test_version_1_payloads_still_read(box_file):
    def older(value, trailing):
        restore, (data,) = value.__reduce__()
        return restore(data[:4] + (1).to_bytes(4, "little") + data[8:len(data) - trailing])

    assert older(vortan.PyMesh(box_file), 12).scale.tolist() == [1.0, 1.0, 1.0]
    model = kinetra.GeometryModel()
    model.add_geometry_object(kinetra.GeometryObject("a", 0, 0, vortan.Sphere(1.0), at([0, 0, 0])))
    restored = older(model, 25)  # no pairs, hull flag, tree
    assert restored.ngeoms == 1 and restored.collision_pairs == []


@pytest.mark.parametrize("shape, message", [
    (vortan.Sphere(0.0), "shape1: a sphere of radius 0 (sizes must be positive)"),
    (vortan.Cuboid([0.1, -0.1, 0.1]), "shape1: a cuboid of half extents (0.05, -0.05, 0.05)"),
    (vortan.PyMesh("/no/such/file.stl"), "shape1: cannot read mesh file '/no/such/file.stl'"),
])
def test_distance_refuses_bad_shapes(shape, message):
    with pytest.raises(ValueError, match="^" + message.replace("(", r"\(").replace(")", r"\)")):
        vortan.distance(shape, at([0, 0, 0]), vortan.Sphere(0.1), at([1, 0, 0]))


def test_distance_refuses_empty_mesh_files_non_shapes_and_nan(tmp_path):
    empty = tmp_path / "empty.obj"
    empty.write_text("# no triangles\n")
    with pytest.raises(ValueError, match=str(empty)):
        vortan.distance(vortan.Sphere(0.1), at([0, 0, 0]), vortan.PyMesh(str(empty)), at([0, 0, 0]))
    with pytest.raises(TypeError, match="^shape2 must be a shape .*, got int$"):
        vortan.distance(vortan.Sphere(0.1), at([0, 0, 0]), 3, at([0, 0, 0]))
    with pytest.raises(ValueError, match="^placement2 holds NaN or infinity$"):
        vortan.distance(vortan.Sphere(0.1), at([0, 0, 0]), vortan.Sphere(0.1), at([np.nan, 0, 0]))


@pytest.mark.parametrize("name, text", [
    ("nan.stl", "solid s\nfacet normal 0 0 1\nouter loop\nvertex nan 0 0\nvertex 1 0 0\n"
                "vertex 0 1 0\nendloop\nendfacet\nendsolid s\n"),
    ("inf.obj", "v 0 0 0\nv 1 0 0\nv 0 inf 0\nf 1 2 3\n"),
])
def test_distance_refuses_mesh_files_with_non_finite_vertices(tmp_path, name, text):
    path = tmp_path / name
    path.write_text(text)
    with pytest.raises(ValueError, match="holds a vertex that is not finite"):
        vortan.distance(vortan.PyMesh(str(path)), at([0, 0, 0]), vortan.Sphere(0.1), at([1, 0, 0]))


def chain(n):
    """A chain of n revolute joints about z, one ball per link, 0.3 apart along x."""
    model = kinetra.Model()
    parent = 0
    for k in range(n):
        parent = model.add_joint(parent, kinetra.JointModelRZ(), at([0.3 if k else 0.0, 0, 0]),
                                 f"j{k}")
    geometry = kinetra.GeometryModel()
    for k in range(n):
        geometry.add_geometry_object(kinetra.GeometryObject(f"ball{k}", k + 1, 0,
                                                            vortan.Sphere(0.1), at([0, 0, 0])))
    return model, geometry


def test_pairs_are_kept_ordered_once():
    _, geometry = chain(4)
    geometry.add_collision_pair(2, 0)
    geometry.add_collision_pair(0, 2)
    geometry.add_collision_pair(1, 3)
    assert geometry.collision_pairs == [(0, 2), (1, 3)]
    geometry.remove_collision_pair(3, 1)
    geometry.remove_collision_pair(0, 1)
    assert geometry.collision_pairs == [(0, 2)]
    geometry.add_all_collision_pairs(skip_adjacent=False)
    assert sorted(geometry.collision_pairs) == [(i, j) for i in range(4) for j in range(i + 1, 4)]
    geometry.use_convex_hulls(True)
    assert pickle.loads(pickle.dumps(geometry)).collision_pairs == geometry.collision_pairs


@pytest.mark.parametrize("i, j, error, message", [
    (4, 0, IndexError, "geometry object index 4 is out of range for a model with 4 objects"),
    (0, -1, IndexError, "geometry object index -1 is out of range for a model with 4 objects"),
    (2, 2, ValueError, r"a collision pair needs two different objects, got \(2, 2\)"),
])
@pytest.mark.parametrize("method", ["add_collision_pair", "remove_collision_pair"])
def test_bad_pairs_are_refused(method, i, j, error, message):
    _, geometry = chain(4)
    with pytest.raises(error, match="^" + message + "$"):
        getattr(geometry, method)(i, j)
    assert geometry.collision_pairs == []


def test_collisions_follow_distances_and_stop_at_first():
    model, geometry = chain(4)
    geometry.add_all_collision_pairs(skip_adjacent=False)
    data = model.create_data()
    geometry_data = geometry.create_data(data)
    folded = np.array([0.0, np.pi * 0.9, np.pi * 0.9, 0.0])  # ball 3 comes back near ball 0
    d, points, normals = kinetra.compute_distances(model, data, geometry, geometry_data, folded)
    hits = kinetra.compute_collisions(model, data, geometry, geometry_data, folded)
    assert hits.dtype == bool and hits.tolist() == (d < 0).tolist()
    assert points.shape == (6, 2, 3) and normals.shape == (6, 3)
    first = kinetra.compute_collisions(model, data, geometry, geometry_data, folded,
                                       stop_at_first=True)
    k = int(np.argmax(hits))
    assert first.tolist() == [i == k for i in range(6)]


def test_nan_configuration_is_refused_before_any_work():
    model, geometry = chain(2)
    geometry.add_collision_pair(0, 1)
    data = model.create_data()
    geometry_data = geometry.create_data(data)
    before = geometry_data.get_object_placement(1).homogeneous
    with pytest.raises(ValueError, match="^compute_distances: q holds NaN or infinity"):
        kinetra.compute_distances(model, data, geometry, geometry_data, np.array([0.0, np.nan]))
    np.testing.assert_array_equal(geometry_data.get_object_placement(1).homogeneous, before)


def test_bad_sizes_are_refused_with_the_objects_name():
    model, geometry = chain(2)
    geometry.add_geometry_object(kinetra.GeometryObject("flat", 1, 0, vortan.Cylinder(0.1, 0.0),
                                                        at([0, 0, 0])))
    geometry.add_collision_pair(0, 2)
    data = model.create_data()
    with pytest.raises(ValueError, match="^compute_collisions: geometry object 'flat': a cylinder"):
        kinetra.compute_collisions(model, data, geometry, geometry.create_data(data),
                                   np.zeros(2))


SRDF = """<robot name="panda">
  <disable_collisions link1="panda_link0" link2="panda_link1" reason="Adjacent"/>
  <disable_collisions link1="panda_leftfinger" link2="panda_rightfinger" reason="Never"/>
  {extra}
</robot>"""


@pytest.fixture
def panda(monkeypatch):
    if not PANDA.is_dir():
        pytest.skip("shared robots not present")
    monkeypatch.setenv("ROS_PACKAGE_PATH", str(PANDA / "_packages" / "meshes"))
    model, collision, _ = kinetra.build_models_from_urdf(str(PANDA / "panda.urdf"), str(PANDA))
    collision.add_all_collision_pairs()
    return model, collision


def test_srdf_removes_the_pairs_of_named_links(panda, tmp_path):
    model, collision = panda
    names = [o.name for o in collision.geometry_objects]
    fingers = (names.index("panda_leftfinger_0"), names.index("panda_rightfinger_0"))
    assert fingers in collision.collision_pairs
    srdf = tmp_path / "panda.srdf"
    srdf.write_text(SRDF.format(extra='<disable_collisions link1="panda_link9" link2="panda_hand"/>'))
    before = collision.collision_pairs
    with pytest.raises(ValueError, match="names link 'panda_link9'"):
        collision.remove_collision_pairs_from_srdf(srdf)
    assert collision.collision_pairs == before
    collision.remove_collision_pairs_from_srdf(str(srdf), strict=False)
    assert collision.collision_pairs == [p for p in before if p != fingers]
    srdf.write_text("not xml <")
    with pytest.raises(ValueError, match="^cannot read SRDF file"):
        collision.remove_collision_pairs_from_srdf(srdf)


@pytest.mark.parametrize("hulls", [False, True])
def test_panda_self_collision(panda, hulls):
    model, collision = panda
    # adjacent links are skipped; the fingers touch when closed
    assert len(collision.collision_pairs) == 42
    collision.use_convex_hulls(hulls)
    data = model.create_data()
    geometry_data = collision.create_data(data)
    configurations = [kinetra.neutral(model)] + [kinetra.random_configuration(model, seed=k)
                                                 for k in range(5)]
    for q in configurations:
        d, points, normals = kinetra.compute_distances(model, data, collision, geometry_data, q)
        hits = kinetra.compute_collisions(model, data, collision, geometry_data, q)
        assert hits.tolist() == (d < 0).tolist()
    folded = np.array([0, 1.7, 0, -3.0, 0, 3.7, 0, 0.04, 0.04])
    hits = kinetra.compute_collisions(model, data, collision, geometry_data, folded)
    names = [o.name for o in collision.geometry_objects]
    hit_pairs = {(names[i], names[j]) for (i, j), hit in zip(collision.collision_pairs, hits) if hit}
    assert ("panda_link0_0", "panda_hand_0") in hit_pairs


@pytest.mark.skipif(not ROBOTS.is_dir(), reason="shared robots not present")
def test_placeholder_meshes_are_named_at_the_query(monkeypatch):
    robot = ROBOTS / "panda_arm_hand"
    model, collision, _ = kinetra.build_models_from_urdf(str(robot / "panda.urdf"), str(robot))
    collision.add_all_collision_pairs()
    data = model.create_data()
    geometry_data = collision.create_data(data)
    q = kinetra.random_configuration(model, seed=2)
    with pytest.raises(ValueError, match=r"mesh file '.*panda_arm_hand.*' holds no triangles|"
                                         r"cannot read mesh file '.*panda_arm_hand.*'"):
        kinetra.compute_collisions(model, data, collision, geometry_data, q)
    # refused before forward kinematics: data still holds its identity placements
    assert all(np.array_equal(m.homogeneous, np.eye(4)) for m in data.oMi)


def chain_states(model, count, seed=4):
    return np.random.default_rng(seed).uniform(-np.pi, np.pi, (count, model.nq))


@pytest.mark.parametrize("threads", [1, 2])
def test_batch_rows_equal_single_calls(threads):
    model, geometry = chain(5)
    geometry.add_all_collision_pairs(skip_adjacent=False)
    q = chain_states(model, 64)
    hits = kinetra.batch.compute_collisions(model, geometry, q, threads=threads)
    distances = kinetra.batch.compute_distances(model, geometry, q, threads=threads)
    assert hits.shape == distances.shape == (64, 10) and hits.dtype == bool
    data = model.create_data()
    geometry_data = geometry.create_data(data)
    for row, state in enumerate(q):
        d, _, _ = kinetra.compute_distances(model, data, geometry, geometry_data, state)
        assert distances[row].tolist() == d.tolist()
        assert hits[row].tolist() == kinetra.compute_collisions(
            model, data, geometry, geometry_data, state).tolist()
    assert 0 < hits.sum() < hits.size
    out = np.zeros((64, 10), bool)
    assert kinetra.batch.compute_collisions(model, geometry, q, out=out) is out
    assert out.tolist() == hits.tolist()


def test_batch_refusals():
    model, geometry = chain(3)
    geometry.add_all_collision_pairs(skip_adjacent=False)
    q = chain_states(model, 4)
    with pytest.raises(TypeError, match="^out must have dtype bool, got float64$"):
        kinetra.batch.compute_collisions(model, geometry, q, out=np.zeros((4, 3)))
    q[2, 1] = np.nan
    with pytest.raises(ValueError, match=r"^q holds NaN or infinity \(state 2\)"):
        kinetra.batch.compute_distances(model, geometry, q)


def test_geometry_model_cannot_change_during_a_batch():
    model, geometry = chain(6)
    geometry.add_all_collision_pairs(skip_adjacent=False)
    q = chain_states(model, 20_000)
    expected = kinetra.batch.compute_collisions(model, geometry, q[:100], threads=1)
    refused, stop = [], threading.Event()

    def mutate():
        while not stop.is_set():
            try:
                geometry.remove_collision_pair(0, 1)
            except RuntimeError as e:
                refused.append(str(e))

    # the first call may run before the mutator starts removing: compare with the result kept
    mutator = threading.Thread(target=mutate)
    mutator.start()
    try:
        result = kinetra.batch.compute_collisions(model, geometry, q, threads=2)
    finally:
        stop.set()
        mutator.join()
    assert refused and set(refused) == {"Already borrowed"}
    assert result.shape[1] in (14, 15)
    if result.shape[1] == 15:
        assert result[:100].tolist() == expected.tolist()


@pytest.mark.parametrize("threads", [1, 2])
def test_panda_batch_rows_equal_single_calls(panda, threads):
    model, collision = panda
    collision.use_convex_hulls(True)
    q = np.array([kinetra.random_configuration(model, seed=k) for k in range(20)])
    hits = kinetra.batch.compute_collisions(model, collision, q, threads=threads)
    data = model.create_data()
    geometry_data = collision.create_data(data)
    for row, state in enumerate(q):
        assert hits[row].tolist() == kinetra.compute_collisions(
            model, data, collision, geometry_data, state).tolist()
