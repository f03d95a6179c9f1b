"""kinetra beside KDL, MuJoCo and PyBullet: nanoseconds per call and ratios, in one table.

The same URDF robots (the bundled arm and, from the shared robots folder, the iiwa, the Panda and
the humanoid g1 with a fixed base) run in two processes: the C++ harness
benchmarks/kdl_dynamics_bench.cpp (kinetra and KDL, built here on demand) and this Python process
(kinetra's module, MuJoCo and PyBullet). Each process draws one random state per robot and first
checks that every engine's results agree with kinetra's at it: the worst absolute difference is
printed. Ratios are the peer's time over kinetra's ("kdl rnea/kinetra" sets KDL's inverse
dynamics against each kinetra algorithm); "py-c++" is kinetra's Python call overhead. A second
table times reading the Panda's URDF: kinetra on the file as shipped and on the copy without
geometry that MuJoCo reads, MuJoCo's loader on that copy. The output is markdown.

    python3 benchmarks/compare.py [--robots DIR] [--only arm,iiwa,panda,g1] [--no-cpp]
                                  [--no-python] [--repeat N] [--build-dir DIR]

MuJoCo and PyBullet come from PyPI (pip install mujoco pybullet), KDL from Debian
(apt-get install liborocos-kdl-dev) and Google Benchmark (libbenchmark-dev); a missing peer
leaves its columns empty and the run goes on. kinetra is imported from the environment.
"""

from __future__ import annotations

import argparse
import contextlib
import ctypes
import json
import os
import platform
import shutil
import subprocess
import sys
import tempfile
import time
import timeit
import xml.etree.ElementTree as ET
from pathlib import Path

import numpy as np

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "validation"))
import compare_mujoco as validation  # noqa: E402  (URDF copies and joint matching for MuJoCo)

ROBOTS = {  # name: (folder relative to the robots folder or None for bundled, file)
    "arm": (None, "kinetra_arm.urdf"),
    "iiwa": ("iiwa_relative_meshes", "model.urdf"),
    "panda": ("panda_arm_hand", "panda.urdf"),
    "g1": ("humanoid_g1", "g1_29dof.urdf"),
}
ALGORITHMS = ("fk", "rnea", "aba", "crba")
LOADED = "panda"  # the robot whose URDF reading is timed


def robot_path(name, robots):
    folder, file = ROBOTS[name]
    base = ROOT / "examples" / "robots" / "kinetra_arm" if folder is None else robots / folder
    return base, base / file


# ---------------------------------------------------------------------------------------------
# C++: kinetra and KDL through the benchmark harness


def run_cpp(args, names, copy):
    """{(algorithm, engine, robot): (ns, worst_diff or None)} from kdl_dynamics_bench.

    `copy` is MuJoCo's copy of the Panda's URDF (or None), whose reading the harness also times.
    """
    build = args.build_dir
    configure = ["cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja",
                 "-DCMAKE_BUILD_TYPE=Release", "-DKINETRA_PYTHON=OFF",
                 "-DKINETRA_BENCHMARKS=ON"]
    if shutil.which("ccache"):
        configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    for step in (configure, ["cmake", "--build", str(build), "--target", "kdl_dynamics_bench"]):
        try:
            done = subprocess.run(step, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                  text=True)
        except OSError as error:  # no cmake
            done = subprocess.CompletedProcess(step, 1, str(error))
        if done.returncode != 0:
            print("C++ harness not built (KDL or Google Benchmark missing?):\n"
                  + done.stdout[-2000:], file=sys.stderr)
            return {}
    pattern = "/(" + "|".join(names) + ")$"
    env = dict(os.environ, KINETRA_SHARED_ROBOTS=str(args.robots))
    if copy is not None:
        env["KINETRA_PANDA_COPY"] = str(copy)
    ran = subprocess.run(
        [str(build / "benchmarks" / "kdl_dynamics_bench"), "--benchmark_format=json",
         f"--benchmark_filter={pattern}", f"--benchmark_repetitions={args.repeat}",
         "--benchmark_min_time=0.1"],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
    try:
        benchmarks = json.loads(ran.stdout)["benchmarks"]
    except (ValueError, KeyError):
        print(f"C++ harness failed (exit {ran.returncode}):\n{ran.stderr[-2000:]}",
              file=sys.stderr)
        return {}
    results = {}  # CPU time, as in Python: the figures hold up on a busy machine
    for bench in benchmarks:
        if bench.get("run_type") != "iteration" or bench.get("error_occurred"):
            continue
        key = tuple(bench["run_name"].split("/"))
        ns = bench["cpu_time"] * {"ns": 1, "us": 1e3, "ms": 1e6}[bench["time_unit"]]
        best = results.get(key, (float("inf"), None))[0]
        results[key] = (min(best, ns), bench.get("worst_diff"))
    return results


# ---------------------------------------------------------------------------------------------
# Python: kinetra, MuJoCo and PyBullet in this process


def best_ns(call, repeat):
    """The fastest of `repeat` timings in CPU time, each of enough calls to last about 20 ms."""
    number, elapsed = 1, 0.0
    while elapsed < 0.02:
        number *= 4
        elapsed = timeit.timeit(call, number=number, timer=time.thread_time)
    return min(timeit.repeat(call, number=number, repeat=repeat, timer=time.thread_time)) \
        / number * 1e9


class Kinetra:
    def __init__(self, model, state):
        import kinetra

        self.model, self.data, self.s = model, model.create_data(), state
        # the arguments as closure variables, as the peers' calls have theirs
        m, d, q, v, a = self.model, self.data, state.q, state.v, state.a
        self.calls = {
            "fk": lambda: kinetra.forward_kinematics(m, d, q),
            "rnea": lambda: kinetra.rnea(m, d, q, v, a),
            "aba": lambda: kinetra.aba(m, d, q, v, a),
            "crba": lambda: kinetra.crba(m, d, q),
        }
        self.tau = kinetra.rnea(m, d, q, v, a).to_numpy()
        self.ddq = kinetra.aba(m, d, q, v, a).to_numpy()
        self.mass = np.asarray(kinetra.crba(m, d, q))


def mujoco_calls(m, d):
    """MuJoCo's call of each algorithm at the state in `d`, and the arrays its rnea and crba fill."""
    import mujoco

    rne, full = np.zeros(m.nv), np.zeros((m.nv, m.nv))

    def rnea():
        mujoco.mj_kinematics(m, d)
        mujoco.mj_comPos(m, d)
        mujoco.mj_comVel(m, d)
        mujoco.mj_rne(m, d, 1, rne)

    def crba():
        mujoco.mj_kinematics(m, d)
        mujoco.mj_comPos(m, d)
        mujoco.mj_crb(m, d)
        mujoco.mj_fullM(m, d, full)

    calls = {
        "fk": lambda: mujoco.mj_kinematics(m, d),
        "rnea": rnea,
        "aba": lambda: mujoco.mj_forward(m, d),
        "crba": crba,
    }
    return calls, rne, full


def mujoco_copy(path):
    """The URDF text MuJoCo reads: no geometry, and welded links fused into their bodies, as a
    user of MuJoCo would load the robot."""
    root = ET.parse(path).getroot()
    validation.fold_rejected_inertias(root)
    validation.weigh_massless_moving_links(root)
    return validation.mujoco_text(root).replace('fusestatic="false"', 'fusestatic="true"')


class Mujoco:
    """MuJoCo's calls at the state, with results in kinetra's velocity order."""

    def __init__(self, kmodel, state, path):
        import mujoco

        m = self.model = validation.load_mujoco(mujoco_copy(path), kmodel.gravity)
        m.opt.enableflags &= ~int(mujoco.mjtEnableBit.mjENBL_ENERGY)  # not part of the calls
        d = mujoco.MjData(m)
        joints = validation.match_joints(kmodel, m)
        dofs = np.array([j.mujoco_v for j in sorted(joints, key=lambda j: j.kinetra_v)])
        for j in joints:
            d.qpos[j.mujoco_q] = state.q[j.kinetra_q]
        d.qvel[dofs] = state.v
        d.qacc[dofs] = state.a
        d.qfrc_applied[dofs] = state.a  # aba reads a as the efforts, as kinetra's call does
        self.calls, rne, full = mujoco_calls(m, d)
        qacc = d.qacc.copy()
        self.calls["rnea"]()
        self.tau = rne[dofs].copy()
        mujoco.mj_forward(m, d)
        self.ddq = d.qacc[dofs].copy()
        d.qacc[:] = qacc  # mj_forward overwrote it
        self.calls["crba"]()
        self.mass = full[np.ix_(dofs, dofs)].copy()


@contextlib.contextmanager
def quiet():
    """Silences what C code prints to the process's standard output and error."""
    sys.stdout.flush()
    sys.stderr.flush()
    saved = [os.dup(1), os.dup(2)]
    with open(os.devnull, "w") as null:
        os.dup2(null.fileno(), 1)
        os.dup2(null.fileno(), 2)
    try:
        yield
    finally:
        ctypes.CDLL(None).fflush(None)
        for fd, copy in zip((1, 2), saved):
            os.dup2(copy, fd)
            os.close(copy)


class Pybullet:
    def __init__(self, kmodel, state, path):
        with quiet():  # its build time
            import pybullet

            self.p = p = pybullet
            self.client = client = p.connect(p.DIRECT)
        p.setGravity(*kmodel.gravity, physicsClientId=client)
        root = ET.parse(path).getroot()
        validation.strip_geometry(root)
        for link in root.findall("link"):  # pybullet gives a link without inertial 1 kg
            if link.find("inertial") is None:
                link.append(validation.Inertial(0.0, np.zeros(3), np.zeros((3, 3))).element())
        with tempfile.TemporaryDirectory() as tmp:
            copy = Path(tmp) / path.name
            ET.ElementTree(root).write(copy)
            with quiet():  # pybullet reports what it loads
                body = p.loadURDF(str(copy), useFixedBase=True, physicsClientId=client,
                                  flags=p.URDF_USE_INERTIA_FROM_FILE)
        # pybullet's order of moving joints, by name into kinetra's velocity order
        names = [p.getJointInfo(body, j, physicsClientId=client) for j in
                 range(p.getNumJoints(body, physicsClientId=client))]
        moving = [info[1].decode() for info in names if info[2] != p.JOINT_FIXED]
        order = [moving.index(name) for name in kmodel.joint_names[1:]]
        q, v, a = (np.zeros(len(moving)) for _ in range(3))
        q[order], v[order], a[order] = state.q, state.v, state.a
        q, v, a = q.tolist(), v.tolist(), a.tolist()
        self.calls = {
            "rnea": lambda: p.calculateInverseDynamics(body, q, v, a, physicsClientId=client),
            "crba": lambda: p.calculateMassMatrix(body, q, physicsClientId=client),
        }
        self.tau = np.array(self.calls["rnea"]())[order]
        self.mass = np.array(self.calls["crba"]())[np.ix_(order, order)]


class State:
    def __init__(self, model, rng):
        import kinetra

        self.q = kinetra.random_configuration(model, seed=1).to_numpy()
        self.v = rng.uniform(-1.0, 1.0, model.nv)
        self.a = rng.uniform(-1.0, 1.0, model.nv)


def run_python(args, names):
    """{(algorithm, engine, robot): (ns, worst_diff or None)} in this process."""
    import kinetra

    results = {}
    for name in names:
        base, path = robot_path(name, args.robots)
        if not path.exists():
            print(f"{name}: {path} absent, skipped", file=sys.stderr)
            continue
        kmodel = validation.load_kinetra(path, base)
        if any(joint.nq != 1 for joint in kmodel.joint_models[1:]):
            print(f"{name}: only joints of one coordinate are compared, skipped", file=sys.stderr)
            continue
        state = State(kmodel, np.random.default_rng(1))
        ours = Kinetra(kmodel, state)
        for algorithm in ALGORITHMS:
            results[(algorithm, "kinetra", name)] = (best_ns(ours.calls[algorithm], args.repeat),
                                                     None)
        peers = []
        try:
            peers.append(("mujoco", Mujoco(kmodel, state, path)))
        except ImportError:
            pass
        except Exception as error:  # a peer that fails leaves its columns empty
            print(f"{name}: mujoco failed: {error!r}", file=sys.stderr)
        try:
            peers.append(("pybullet", Pybullet(kmodel, state, path)))
        except ImportError:
            pass
        except Exception as error:
            print(f"{name}: pybullet failed: {error!r}", file=sys.stderr)
        for engine, peer in peers:
            for algorithm, call in peer.calls.items():
                worst = {
                    "rnea": lambda: np.max(np.abs(peer.tau - ours.tau)),
                    "aba": lambda: np.max(np.abs(peer.ddq - ours.ddq)),
                    "crba": lambda: np.max(np.abs(peer.mass - ours.mass)),
                }.get(algorithm, lambda: None)()
                results[(algorithm, engine, name)] = (best_ns(call, args.repeat), worst)
    return results


def run_loads(args, copy):
    """{(file, engine): ns} for reading the Panda's URDF in this process."""
    import kinetra

    base, path = robot_path(LOADED, args.robots)
    results = {
        ("shipped", "kinetra"): best_ns(
            lambda: kinetra.build_models_from_urdf(str(path), package_dir=str(base)), args.repeat),
        ("copy", "kinetra"): best_ns(
            lambda: kinetra.build_models_from_urdf(str(copy), package_dir=str(copy.parent)),
            args.repeat),
    }
    try:
        import mujoco

        results[("copy", "mujoco")] = best_ns(lambda: mujoco.MjModel.from_xml_path(str(copy)),
                                              args.repeat)
    except ImportError:
        pass
    except Exception as error:
        print(f"{LOADED}: mujoco failed to load its copy: {error!r}", file=sys.stderr)
    return results


# ---------------------------------------------------------------------------------------------
# The tables, in markdown


def markdown(header, rows):
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(len(header))]
    lines = ["| " + " | ".join(c.rjust(w) for c, w in zip(row, widths)) + " |"
             for row in [header] + rows]
    lines.insert(1, "|" + "|".join("-" * (w + 1) + ":" for w in widths) + "|")
    return "\n".join(lines)


def text(x, scale=1.0):
    return "-" if x is None else f"{x / scale:.0f}"


def ratio(theirs, ours):
    return "-" if theirs is None or not ours else f"{theirs / ours:.1f}x"


def table(cpp, py, names):
    header = ["robot", "algorithm", "kinetra c++", "kdl", "kdl/kinetra", "kdl rnea/kinetra",
              "kinetra py", "py-c++", "mujoco", "mujoco/kinetra", "pybullet", "pybullet/kinetra"]
    rows, diffs = [], []

    def ns(results, key):
        return results[key][0] if key in results else None

    for name in names:
        for algorithm in ALGORITHMS:
            c, k = ns(cpp, (algorithm, "kinetra", name)), ns(cpp, (algorithm, "kdl", name))
            kdl_rnea = ns(cpp, ("rnea", "kdl", name))
            p = ns(py, (algorithm, "kinetra", name))
            mj, pb = ns(py, (algorithm, "mujoco", name)), ns(py, (algorithm, "pybullet", name))
            if c is None and p is None:
                continue
            rows.append([name, algorithm, text(c), text(k), ratio(k, c), ratio(kdl_rnea, c),
                         text(p), "-" if c is None or p is None else f"{p - c:.0f}", text(mj),
                         ratio(mj, p), text(pb), ratio(pb, p)])
        worst = [f"{engine} {algorithm} {diff:.1e}" for results in (cpp, py)
                 for (algorithm, engine, robot), (_, diff) in results.items()
                 if robot == name and diff is not None]
        if worst:
            diffs.append(f"- {name}: " + ", ".join(worst))
    return markdown(header, rows), diffs


def load_table(cpp, loads):
    """Microseconds per read of the Panda's URDF, or None when nothing was timed."""
    if not loads and ("load", "kinetra", LOADED) not in cpp:
        return None
    files = {"shipped": "as shipped (its mesh files looked up)",
             "copy": "MuJoCo's copy (no geometry, welded links fused)"}
    rows = []
    for file, label in files.items():
        c = cpp.get(("load" if file == "shipped" else "load_copy", "kinetra", LOADED), (None,))[0]
        p, mj = loads.get((file, "kinetra")), loads.get((file, "mujoco"))
        rows.append([LOADED, label, text(c, 1e3), text(p, 1e3), text(mj, 1e3), ratio(mj, p)])
    return markdown(["robot", "file", "kinetra c++", "kinetra py", "mujoco", "mujoco/kinetra py"],
                    rows)


def machine():
    cpu = "unknown processor"
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    return (f"{cpu}, {os.cpu_count()} cores; {platform.system()} {platform.release()}, "
            f"Python {platform.python_version()}")


def load_average():
    return os.getloadavg()[0] if hasattr(os, "getloadavg") else float("nan")


def versions():
    """The peers' versions, as far as they are installed."""
    found = []
    for module in ("kinetra", "numpy", "mujoco"):
        try:
            found.append(f"{module} {__import__(module).__version__}")
        except (ImportError, AttributeError):
            pass
    with contextlib.suppress(Exception):
        from importlib.metadata import version

        found.append(f"pybullet {version('pybullet')}")
    return ", ".join(found)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--robots", type=Path, default=ROOT.parent / "shared" / "robots")
    parser.add_argument("--only", default=",".join(ROBOTS))
    parser.add_argument("--no-cpp", action="store_true")
    parser.add_argument("--no-python", action="store_true")
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--build-dir", type=Path, default=ROOT / "build" / "compare")
    args = parser.parse_args(argv)
    names = [n for n in args.only.split(",") if n]
    unknown = [n for n in names if n not in ROBOTS]
    if unknown:
        parser.error(f"unknown robot {unknown[0]}; choose from {', '.join(ROBOTS)}")
    args.robots = args.robots.resolve()
    load_before = load_average()
    with tempfile.TemporaryDirectory() as tmp:
        copy = None
        path = robot_path(LOADED, args.robots)[1]
        if LOADED in names and path.exists():
            copy = Path(tmp) / path.name
            copy.write_text(mujoco_copy(path))
        cpp = {} if args.no_cpp else run_cpp(args, names, copy)
        py = {} if args.no_python else run_python(args, names)
        loads = {} if args.no_python or copy is None else run_loads(args, copy)
    rows, diffs = table(cpp, py, names)
    print(f"CPU time per call in ns, best of {args.repeat} (this thread only); {machine()}; "
          f"load average {load_before:.1f} at the start, {load_average():.1f} at the end; "
          f"{versions()}")
    print()
    print(rows)
    print()
    print("\n".join(["Worst absolute difference from kinetra at the drawn state:", *diffs])
          if diffs else "No peer was compared.")
    loaded = load_table(cpp, loads)
    if loaded:
        print()
        print("Reading the Panda's URDF, CPU time per load in us:")
        print()
        print(loaded)
    return 0


if __name__ == "__main__":
    sys.exit(main())
