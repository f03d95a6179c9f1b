"""Shows a URDF robot in the browser: prints the viewer's URL, then serves until interrupted
(Ctrl-C). With --trajectory, plays a saved (N, nq) array of configurations in a loop."""
import argparse
import logging
import os
import sys
import threading

import numpy as np

from kinetra_tools.urdf_summary import load


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("path", help="URDF file")
    parser.add_argument("--floating", action="store_true",
                        help="load with a floating base: the robot free to move as a whole")
    parser.add_argument("--package", action="append", default=[], metavar="NAME=DIR",
                        help="folder of a package named by package:// references (repeatable; "
                        "looked up before ROS_PACKAGE_PATH)")
    parser.add_argument("--port", type=int, default=8080, help="port to serve on (default 8080; "
                        "0 picks a free one)")
    parser.add_argument("--host", default="127.0.0.1", help="address to listen on (default "
                        "127.0.0.1: this machine only; 0.0.0.0 for every interface)")
    parser.add_argument("--trajectory", metavar="FILE.npy",
                        help="configurations to play, an (N, nq) array saved by numpy.save")
    parser.add_argument("--dt", type=float, default=0.01,
                        help="seconds between the trajectory's configurations (default 0.01)")
    args = parser.parse_args(argv)
    logging.basicConfig(format="%(levelname)s: %(message)s")
    try:
        from kinetra_tools.viewer import Viewer
    except ImportError as error:
        print(f"error: {error}", file=sys.stderr)
        return 1
    packages = dict(entry.partition("=")[::2] for entry in args.package)
    try:
        model, collision, visual = load(args.path, os.path.dirname(os.path.abspath(args.path)),
                                        args.floating, packages=packages, check_meshes=False)
        trajectory = None if args.trajectory is None else np.load(args.trajectory)
        if trajectory is not None and (trajectory.ndim != 2 or trajectory.shape[1] != model.nq):
            raise ValueError(f"the trajectory must be an (N, {model.nq}) array, got shape "
                             f"{trajectory.shape}")
        viewer = Viewer(model, visual, port=args.port, host=args.host)
    except (OSError, TypeError, ValueError) as error:
        print(f"error: {error}", file=sys.stderr)
        return 1
    with viewer:
        print(viewer.url, flush=True)
        try:
            if trajectory is None:
                threading.Event().wait()
            else:
                viewer.play(trajectory, args.dt, loop=True)
        except ValueError as error:  # a configuration the algorithms refuse
            print(f"error: {error}", file=sys.stderr)
            return 1
        except KeyboardInterrupt:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
