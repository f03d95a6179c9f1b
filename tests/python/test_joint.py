"""JointType, JointModel and the revolute joint constructors."""
import numpy as np
import pytest

import kinetra
from kinetra import JointModel, JointType

E = np.eye(3)


@pytest.mark.parametrize("name, code", [("Continuous", 0), ("Fixed", 1), ("Prismatic", 2), ("Revolute", 3),
                                        ("Floating", 4), ("Spherical", 5), ("Planar", 6)])
def test_joint_type_kinds(name, code):
    kind = getattr(JointType, name)
    assert int(kind) == code
    assert repr(kind) == f"JointType.{name}"


def test_joint_type_class():
    assert JointType.__doc__ == "Enum representing the type of joint."
    assert [n for n in vars(JointType) if not n.startswith("_")] == [
        "Continuous", "Fixed", "Prismatic", "Revolute", "Floating", "Spherical", "Planar"]
    # equal by kind, also for values handed out by other objects
    assert JointType.Revolute == JointType.Revolute
    assert kinetra.JointModelRX().joint_type == JointType.Revolute
    with pytest.raises(TypeError, match="^No constructor defined for JointType$"):
        JointType()


def test_joint_model_class():
    assert JointModel.__doc__ == "A Python wrapper for the `JointWrapper` type."
    with pytest.raises(TypeError, match="^No constructor defined for JointModel$"):
        JointModel()
    joint = kinetra.JointModelRX()
    assert joint.joint_type is not joint.joint_type
    with pytest.raises(AttributeError):
        joint.nq = 2


# each maker, its letter, and an axis it maps onto the next one by a quarter turn
@pytest.mark.parametrize(
    "maker, letter, axis",
    [(kinetra.JointModelRX, "x", 0), (kinetra.JointModelRY, "y", 1), (kinetra.JointModelRZ, "z", 2)],
)
def test_revolute_makers(maker, letter, axis):
    assert maker.__text_signature__ == "()"
    assert maker.__doc__ == f"Creates a new revolute joint model with `{letter}` as axis of rotation."
    with pytest.raises(TypeError):
        maker(1)
    joint = maker()
    assert type(joint) is JointModel
    assert (int(joint.joint_type), joint.nq, joint.nv) == (3, 1, 1)

    model = kinetra.Model()
    model.add_joint(0, joint, kinetra.SE3.Identity(), "j")
    data = model.create_data()
    kinetra.forward_kinematics(model, data, np.array([np.pi / 2]))
    placed = data.oMi[1]
    rotation = placed.rotation
    np.testing.assert_allclose(rotation @ E[axis], E[axis], atol=1e-15)
    np.testing.assert_allclose(rotation @ E[(axis + 1) % 3], E[(axis + 2) % 3], atol=1e-15)
    assert placed.translation.tolist() == [0.0, 0.0, 0.0]
