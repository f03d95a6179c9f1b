import subprocess
import sys

import numpy as np
import pytest

import kinetra

TABLE = [
    "Configuration", "Model", "Data", "Frame", "FrameType", "JointModel", "GeometryModel",
    "GeometryData", "GeometryObject", "neutral", "random_configuration",
    "build_models_from_urdf", "WORLD_ID", "STANDARD_GRAVITY", "Inertia", "JointType",
    "JointModelRX", "JointModelRY", "JointModelRZ", "SE3", "SE3", "Vector3D", "Vector6D",
    "Symmetric3", "forward_kinematics", "forward_dynamics", "aba", "inverse_dynamics", "rnea",
    "vortan",
]
DYNAMICS = [
    "crba", "mass_matrix", "nonlinear_effects", "generalized_gravity", "kinetic_energy",
    "potential_energy",
]
FRAMES = [
    "frame_placement", "frame_placements", "frame_jacobian", "frame_velocity",
    "frame_acceleration", "frame_jacobian_time_variation", "center_of_mass",
    "center_of_mass_jacobian", "total_mass",
]
CONFIGURATION_SPACE = [
    "JointModelFloating", "JointModelSpherical", "JointModelPlanar", "integrate", "difference",
    "interpolate", "normalize", "centroidal_momentum",
]
DERIVATIVES = [
    "rnea_derivatives", "aba_derivatives", "inverse_mass_matrix", "integrate_derivatives",
    "difference_derivatives", "step_derivatives",
]
RIGID_MOTIONS = [
    "exp3", "log3", "exp6", "log6", "jexp3", "jlog3", "jexp6", "jlog6", "rpy_to_matrix",
    "matrix_to_rpy", "quaternion_to_matrix", "matrix_to_quaternion",
]


def test_registration_order():
    assert kinetra.__all__ == (TABLE + DYNAMICS + ["build_models_from_urdf_string"] + FRAMES
                               + CONFIGURATION_SPACE + ["batch"] + DERIVATIVES
                               + ["compute_distances", "compute_collisions"] + RIGID_MOTIONS
                               + ["inverse_kinematics", "IKResult"])
    assert kinetra.__doc__ == ""


def test_constants():
    assert kinetra.WORLD_ID == 0
    np.testing.assert_array_equal(kinetra.STANDARD_GRAVITY, [0.0, 0.0, -9.81])
    assert kinetra.STANDARD_GRAVITY.dtype == np.float64


def test_se3_submodule_and_class():
    import importlib

    import kinetra.SE3  # noqa: F401  (the entry exists, so this import succeeds)

    se3_module = importlib.import_module("kinetra.SE3")
    assert se3_module is sys.modules["kinetra.SE3"]
    assert se3_module.__name__ == "SE3"
    assert [n for n in dir(se3_module) if not n.startswith("__")] == []
    assert isinstance(kinetra.SE3, type)


def test_second_import_returns_the_same_module():
    import importlib

    assert importlib.import_module("kinetra") is kinetra
    assert kinetra.STANDARD_GRAVITY is importlib.import_module("kinetra").STANDARD_GRAVITY


def test_class_identity():
    for name in ["SE3", "Vector3D", "Symmetric3", "Inertia", "Configuration"]:
        cls = getattr(kinetra, name)
        assert cls.__module__ == "builtins"
        assert repr(cls) == f"<class 'builtins.{name}'>"
        with pytest.raises(TypeError):
            type("Sub", (cls,), {})
    with pytest.raises(AttributeError):
        kinetra.SE3.Identity().anything = 1
    with pytest.raises(TypeError, match="^No constructor defined for Configuration$"):
        kinetra.Configuration()


def test_sub_interpreters_are_refused():
    pytest.importorskip("_xxsubinterpreters")
    code = (
        "import _xxsubinterpreters as s, kinetra\n"
        "i = s.create()\n"
        "try:\n"
        "    s.run_string(i, 'import kinetra')\n"
        "except Exception as e:\n"
        "    print(type(e).__name__, e)\n"
    )
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True)
    assert "sub-interpreters" in out.stdout
