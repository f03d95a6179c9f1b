"""Forward kinematics, the dynamics entry points, their size checks and the model configurations."""
import numpy as np
import pytest

import kinetra
from kinetra import SE3, Configuration, Data, Model

TWO_PI = 6.283185307179586
REFUSED_ARRAY = "argument 'q': '{}' object cannot be converted to 'PyArray<T, D>'"

FUNCTIONS = [
    ("neutral", "(model)", "Python wrapper for the `neutral` function."),
    ("random_configuration", "(model, seed=None)", None),
    ("forward_kinematics", "(model, data, q)", None),
    ("forward_dynamics", "(model, data, q, v, tau)", None),
    ("aba", "(model, data, q, v, tau)", None),
    ("inverse_dynamics", "(model, data, q, v, a)", None),
    ("rnea", "(model, data, q, v, a)", None),
    ("crba", "(model, data, q)", "The joint-space inertia matrix M(q), an (nv, nv) array, by the "
     "composite rigid-body algorithm."),
    ("mass_matrix", "(model, data, q)",
     "The joint-space inertia matrix M(q), an (nv, nv) array; the same as `crba`."),
    ("nonlinear_effects", "(model, data, q, v)", "The Coriolis, centrifugal and gravity efforts "
     "for (q, v): rnea with a zero acceleration."),
    ("generalized_gravity", "(model, data, q)",
     "The gravity efforts for q: the gradient of the potential energy."),
    ("kinetic_energy", "(model, data, q, v)",
     "The kinetic energy of every body for (q, v), as a float."),
    ("potential_energy", "(model, data, q)",
     "The gravitational potential energy of every body for q, as a float."),
]

# each algorithm taking (model, data, ...) with its size-error prefix and its vector parameters
ALGORITHMS = [
    ("rnea", "Error in inverse dynamics: ", "qva"),
    ("inverse_dynamics", "Error in inverse dynamics: ", "qva"),
    ("aba", "Forward dynamics failed: ", ["q", "v", "tau"]),
    ("forward_dynamics", "Forward dynamics failed: ", ["q", "v", "tau"]),
    ("crba", "Error in mass matrix: ", "q"),
    ("mass_matrix", "Error in mass matrix: ", "q"),
    ("nonlinear_effects", "Error in nonlinear effects: ", "qv"),
    ("generalized_gravity", "Error in generalized gravity: ", "q"),
    ("kinetic_energy", "Error in kinetic energy: ", "qv"),
    ("potential_energy", "Error in potential energy: ", "q"),
]

URDF = """<robot name="kinds">
  <link name="base"/><link name="l1"/><link name="l2"/><link name="l3"/><link name="l4"/>
  <joint name="hinge" type="revolute"><parent link="base"/><child link="l1"/>
    <axis xyz="0 0 1"/><limit lower="{lower}" upper="{upper}" effort="1" velocity="1"/></joint>
  <joint name="spin" type="continuous"><parent link="l1"/><child link="l2"/>
    <axis xyz="1 0 0"/></joint>
  <joint name="weld" type="fixed"><parent link="l2"/><child link="l3"/></joint>
  <joint name="slide" type="prismatic"><parent link="l3"/><child link="l4"/>
    <axis xyz="0 0 2"/><limit lower="-1" upper="1" effort="1" velocity="1"/></joint>
</robot>"""


def translation(x, y, z):
    return SE3(np.eye(3), np.array([x, y, z], dtype=float))


def chain(*makers, offset=(0.0, 0.0, 1.0)):
    model = Model()
    for i, make in enumerate(makers):
        model.add_joint(i, make(), translation(*offset), f"j{i + 1}")
    return model


def urdf_model(tmp_path, lower=-1, upper=1):
    path = tmp_path / "kinds.urdf"
    path.write_text(URDF.format(lower=lower, upper=upper))
    model, _, _ = kinetra.build_models_from_urdf(str(path))
    return model


def homogeneous(data):
    return [p.homogeneous for p in data.oMi]


@pytest.mark.parametrize("name, signature, doc", FUNCTIONS)
def test_docstrings(name, signature, doc):
    function = getattr(kinetra, name)
    assert function.__text_signature__ == signature
    assert function.__doc__ == doc


def test_forward_kinematics_places_every_joint():
    model = Model()
    model.add_joint(0, kinetra.JointModelRZ(), translation(1, 0, 0), "shoulder")
    model.add_joint(1, kinetra.JointModelRX(), translation(0, 0, 1), "elbow")
    data = Data(model)
    assert kinetra.forward_kinematics(model, data, np.array([0.3, -0.4])) is None
    kinetra.forward_kinematics(model=model, data=data, q=np.array([np.pi / 2, 0.7]))
    world, shoulder, elbow = data.oMi
    assert np.array_equal(world.homogeneous, np.eye(4))
    expected_shoulder = np.array([[0, -1, 0, 1], [1, 0, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1.0]])
    np.testing.assert_allclose(shoulder.homogeneous, expected_shoulder, atol=1e-15)
    # parent x rest placement x the joint's own motion
    c, s = np.cos(0.7), np.sin(0.7)
    own = np.array([[1, 0, 0, 0], [0, c, -s, 0], [0, s, c, 0], [0, 0, 0, 1]])
    rest = translation(0, 0, 1).homogeneous
    np.testing.assert_allclose(elbow.homogeneous, expected_shoulder @ rest @ own, atol=1e-15)


@pytest.mark.parametrize(
    "q, message",
    [
        (np.zeros(3), "Invalid input size. Expected a configuration of size 2, got [3]"),
        (np.zeros(1), "Invalid input size. Expected a configuration of size 2, got [1]"),
        (np.broadcast_to(0.0, (2**40,)),
         "Invalid input size. Expected a configuration of size 2, got [1099511627776]"),
    ],
)
def test_forward_kinematics_refusals_leave_the_data(q, message):
    model = chain(kinetra.JointModelRX, kinetra.JointModelRY)
    data = Data(model)
    kinetra.forward_kinematics(model, data, np.array([0.1, 0.2]))
    before = homogeneous(data)
    with pytest.raises(ValueError) as error:
        kinetra.forward_kinematics(model, data, q)
    assert str(error.value) == message
    assert all(np.array_equal(a, b) for a, b in zip(homogeneous(data), before))


def test_forward_kinematics_reads_a_strided_single_value():
    model = chain(kinetra.JointModelRZ)
    data = Data(model)
    kinetra.forward_kinematics(model, data, np.array([0.0, 9.0, np.pi])[::2][1:])
    np.testing.assert_allclose(data.oMi[1].rotation[:2, :2], -np.eye(2), atol=1e-15)


@pytest.mark.parametrize(
    "q, type_name",
    [(np.zeros((1, 2)), "ndarray"), ([[0.0, 0.0]], "list"), (0.5, "float"),
     (np.zeros(2, dtype=complex), "ndarray")],
)
def test_forward_kinematics_takes_only_one_dimensional_real_arrays(q, type_name):
    model = chain(kinetra.JointModelRX, kinetra.JointModelRY)
    with pytest.raises(TypeError) as error:
        kinetra.forward_kinematics(model, Data(model), q)
    assert str(error.value) == REFUSED_ARRAY.format(type_name)


@pytest.mark.parametrize("name, prefix, parameters", ALGORITHMS)
def test_exact_sizes_in_parameter_order(name, prefix, parameters):
    function = getattr(kinetra, name)
    model = chain(kinetra.JointModelRX, kinetra.JointModelRY)
    data = Data(model)
    for position, wrong in enumerate(parameters):
        # a vector's size is checked before it is converted or copied: 2**40 fails at once
        for size in [1, 3, 2**40]:
            # the first wrong vector is named, whatever follows it
            wrong_size = np.broadcast_to(np.int8(0), (size,))
            vectors = [np.zeros(2)] * position + [wrong_size] * (len(parameters) - position)
            with pytest.raises(ValueError) as error:
                function(model, data, *vectors)
            assert str(error.value) == (
                f"{prefix}Parameter '{wrong}' expected configuration size 2, but got {size}")


@pytest.mark.parametrize("name, prefix, parameters", ALGORITHMS)
def test_data_of_another_model_is_refused(name, prefix, parameters):
    model = chain(kinetra.JointModelRX, kinetra.JointModelRY)
    vectors = [np.zeros(2)] * len(parameters)
    with pytest.raises(ValueError) as error:
        getattr(kinetra, name)(model, Data(Model()), *vectors)
    assert str(error.value) == prefix + "Data does not match the model: expected 3 joint data, got 1"
    with pytest.raises(ValueError) as error:
        kinetra.forward_kinematics(model, Data(Model()), np.zeros(2))
    assert str(error.value) == (
        "Forward kinematics failed: Data does not match the model: expected 3 joint data, got 1")


def test_data_with_joints_of_other_kinds_is_refused(tmp_path):
    model = urdf_model(tmp_path)
    stranger = chain(kinetra.JointModelRX, kinetra.JointModelRX, kinetra.JointModelRX)
    with pytest.raises(ValueError) as error:
        kinetra.forward_kinematics(model, Data(stranger), np.zeros(model.nq))
    assert str(error.value) == ("Forward kinematics failed: Data does not match the model: joint 2 "
                                "is Continuous but its data is Revolute")


@pytest.mark.parametrize("name", ["rnea", "aba", "nonlinear_effects", "kinetic_energy"])
def test_vectors_of_any_shape_are_read_in_logical_order(name):
    model = chain(kinetra.JointModelRX, kinetra.JointModelRY, kinetra.JointModelRZ,
                  kinetra.JointModelRX)
    model.add_frame(kinetra.Frame("b", 4, 0, translation(0.3, 0.1, 0), kinetra.FrameType.Body,
                                  kinetra.Inertia.FromSphere(1.0, 0.2)), True)
    data = Data(model)
    rng = np.random.default_rng(3)
    flat = [rng.standard_normal(4) for _ in range(3)]
    function = getattr(kinetra, name)
    arity = function.__text_signature__.count(",") - 1

    def call(vectors):
        result = function(model, data, *vectors[:arity])
        return result if isinstance(result, float) else result.to_numpy()

    expected = call(flat)
    for layout in [lambda x: x.reshape(2, 2), lambda x: np.asfortranarray(x.reshape(2, 2)),
                   lambda x: np.repeat(x, 2)[::2], lambda x: x[::-1].copy()[::-1],
                   lambda x: x.reshape(1, 4, 1)]:
        np.testing.assert_array_equal(call([layout(x) for x in flat]), expected)


def test_results_of_the_empty_model():
    model, data, empty = Model(), Data(Model()), np.zeros(0)
    kinetra.forward_kinematics(model, data, empty)
    assert [p.homogeneous.tolist() for p in data.oMi] == [np.eye(4).tolist()]
    for name in ["rnea", "inverse_dynamics", "aba", "forward_dynamics"]:
        result = getattr(kinetra, name)(model, data, empty, empty, empty)
        assert type(result) is Configuration and result.to_numpy().shape == (0,)
    assert kinetra.nonlinear_effects(model, data, empty, empty).to_numpy().shape == (0,)
    assert kinetra.generalized_gravity(model, data, empty).to_numpy().shape == (0,)
    mass = kinetra.crba(model, data, empty)
    assert mass.shape == (0, 0) and mass.dtype == np.float64
    assert kinetra.kinetic_energy(model, data, empty, empty) == 0.0
    assert kinetra.potential_energy(model, data, empty) == 0.0


def test_dynamics_leave_the_data_alone():
    model = chain(kinetra.JointModelRX, kinetra.JointModelRY)
    data = Data(model)
    kinetra.forward_kinematics(model, data, np.array([0.4, -0.2]))
    before = homogeneous(data)
    q, v = np.array([1.0, 2.0]), np.ones(2)
    tau = kinetra.rnea(model, data, q, v, v).to_numpy()
    assert np.array_equal(kinetra.inverse_dynamics(model, data, q, v, v).to_numpy(), tau)
    kinetra.aba(model, data, q, v, tau)
    kinetra.crba(model, data, q)
    kinetra.kinetic_energy(model, data, q, v)
    kinetra.potential_energy(model, data, q)
    assert all(np.array_equal(a, b) for a, b in zip(homogeneous(data), before))


def test_neutral_and_random_of_the_empty_model():
    assert kinetra.neutral(Model()).to_numpy().shape == (0,)
    assert kinetra.random_configuration(model=Model()).to_numpy().shape == (0,)


def test_neutral_and_random_follow_the_joint_kinds(tmp_path):
    model = urdf_model(tmp_path)
    assert kinetra.neutral(model).to_numpy().tolist() == [0.0, 1.0, 0.0, 0.0]
    samples = np.array([kinetra.random_configuration(model).to_numpy() for _ in range(300)])
    assert samples.shape == (300, 4)
    np.testing.assert_allclose(np.hypot(samples[:, 1], samples[:, 2]), 1.0, rtol=1e-15)
    assert np.all((samples[:, [0, 3]] >= -1) & (samples[:, [0, 3]] < 1))


def test_unbounded_revolute_joints_sample_two_turns_each_way():
    model = chain(kinetra.JointModelRX, kinetra.JointModelRY, kinetra.JointModelRZ)
    samples = np.concatenate([kinetra.random_configuration(model).to_numpy() for _ in range(500)])
    assert samples.min() >= -TWO_PI and samples.max() < TWO_PI
    assert samples.min() < -5 and samples.max() > 5


@pytest.mark.parametrize("lower, upper", [(0.5, 0.5), (1, -1)])
def test_empty_sampling_range(tmp_path, lower, upper):
    model = urdf_model(tmp_path, lower, upper)
    with pytest.raises(ValueError, match="^cannot sample empty range of joint 'hinge'$"):
        kinetra.random_configuration(model)


def test_ranges_wider_than_the_largest_double_are_sampled(tmp_path):
    model = urdf_model(tmp_path, "-1e308", "1e308")
    assert np.isfinite(kinetra.random_configuration(model).to_numpy()).all()


def test_a_seed_makes_the_random_configuration_reproducible(tmp_path):
    model = urdf_model(tmp_path)
    draw = lambda seed: kinetra.random_configuration(model, seed=seed).to_numpy()  # noqa: E731
    assert np.array_equal(draw(7), draw(np.int64(7)))
    assert not np.array_equal(draw(7), draw(8))
    assert np.array_equal(draw(2**64 - 1), kinetra.random_configuration(model, 2**64 - 1).to_numpy())


@pytest.mark.parametrize("seed, error, message", [
    (1.0, TypeError, "seed must be an int or None, got float"),
    (True, TypeError, "seed must be an int or None, got bool"),
    ("1", TypeError, "seed must be an int or None, got str"),
    (-1, ValueError, r"seed must be in \[0, 2\*\*64\), got -1"),
    (2**64, ValueError, r"seed must be in \[0, 2\*\*64\), got 18446744073709551616"),
])
def test_refused_seeds(seed, error, message):
    with pytest.raises(error, match=f"^{message}$"):
        kinetra.random_configuration(Model(), seed)
