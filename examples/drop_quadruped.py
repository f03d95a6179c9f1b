"""Drops the quadruped of ../shared/robots with a floating base from 1 m, tumbling and with its
legs swinging, rolls the fall out with kinetra.batch.rollout (no motor torques, no contact), and
plays it in the browser viewer, in a loop until Ctrl-C.

    pip install ".[viewer]"
    python examples/drop_quadruped.py            # then open the printed URL
    python examples/drop_quadruped.py --no-view  # the rollout only
"""
import argparse
import os
import sys

import numpy as np

import kinetra
from kinetra import batch

QUADRUPED = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                         "shared", "robots", "quadruped_a1"))
DT = 1e-3
STEPS = 430  # about the time of a 0.9 m fall


def load():
    path = os.path.join(QUADRUPED, "a1.urdf")
    return kinetra.build_models_from_urdf(
        path, packages={"a1_description": os.path.join(QUADRUPED, "_packages", "a1_description")},
        root_joint=kinetra.JointModelFloating())


def initial_state(model):
    """q0, v0: 1 m up, tumbling, legs swinging."""
    q0 = kinetra.neutral(model).to_numpy()
    q0[2] = 1.0
    v0 = np.zeros(model.nv)
    v0[:3] = [0.8, 1.5, 0.3]  # base angular velocity in its own axes (rad/s)
    v0[6:] = np.resize([2.0, -3.0, 4.0], model.nv - 6)  # leg joints (rad/s)
    return q0, v0


def fall(model):
    """The configurations (STEPS + 1, nq) of the fall."""
    q0, v0 = initial_state(model)
    tau = np.zeros((1, STEPS, model.nv))
    qs, _ = batch.rollout(model, q0[None], v0[None], tau, DT, integrator="rk4")
    return qs[0]


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--no-view", action="store_true", help="roll out without a viewer")
    parser.add_argument("--port", type=int, default=8080, help="viewer port (default 8080)")
    args = parser.parse_args(argv)
    if not os.path.isdir(QUADRUPED):
        print(f"error: no quadruped at {QUADRUPED}", file=sys.stderr)
        return 1
    model, collision, visual = load()
    qs = fall(model)
    print(f"base height {qs[0, 2]:.3f} m -> {qs[-1, 2]:.3f} m in {STEPS * DT:.3f} s")
    if args.no_view:
        return 0
    from kinetra.viewer import Viewer

    with Viewer(model, visual, port=args.port) as viewer:
        # the mesh files may be placeholders; the collision shapes show the body either way
        viewer.show_collision(collision)
        viewer.show_center_of_mass(True)
        print(viewer.url, flush=True)
        try:
            viewer.play(qs, DT, loop=True)
        except KeyboardInterrupt:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
