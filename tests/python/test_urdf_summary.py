import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "src"))

from kinetra_tools.urdf_summary import main  # noqa: E402

ARM = os.path.join(ROOT, "examples", "robots", "kinetra_arm")


def test_summary_of_the_bundled_arm(capsys):
    assert main([os.path.join(ARM, "kinetra_arm.urdf")]) == 0
    out = capsys.readouterr().out
    assert out.startswith("robot 'kinetra_arm': 6 joints, nq 6, nv 6, 18 frames")
    assert "    shoulder_lift (Revolute, axis 0 1 0) range [-2.0, 2.0] effort 150 velocity 2.0" in out
    assert "total mass: 17.9000 kg" in out
    assert "  wrist_roll               +0.0000 +0.0000 +1.0200" in out
    assert out.count("gravity torques") == 1


def test_errors_are_reported_not_raised(tmp_path, capsys):
    path = tmp_path / "bad.urdf"
    path.write_text("<robot name='r'><link name='a'/><joint name='j' type='planar'>"
                    "<parent link='a'/><child link='a2'/></joint><link name='a2'/></robot>")
    assert main([str(path)]) == 1
    assert capsys.readouterr().err == "error: unknown joint type (planar).\n"
