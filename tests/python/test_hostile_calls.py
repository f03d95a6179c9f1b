"""Every public callable, fed hostile values, raises a documented exception or succeeds.

The calls run in a child process so that a crash fails the callable being called instead of the
whole session; after a crash the child is restarted on the callables not yet called.
"""
import json
import os
import subprocess
import sys

import pytest

import kinetra
import kinetra.vortan

ALLOWED = {"TypeError", "ValueError", "IndexError", "KeyError", "OverflowError", "RuntimeError",
           "AttributeError", "NotImplementedError", "ZeroDivisionError"}


def public_callables():
    """Paths 'module:name[.member]' of the module functions, the classes and their members."""
    found = []
    for label, module in (("kinetra", kinetra), ("kinetra.vortan", kinetra.vortan)):
        for name in dict.fromkeys(module.__all__):
            item = getattr(module, name)
            path = f"{label}:{name}"
            if isinstance(item, type):
                found.append(path)
                found += [f"{path}.{member}" for member, value in vars(item).items()
                          if member != "__new__" and not isinstance(value, item)
                          and (not member.startswith("_") or callable(value))
                          and member not in ("__doc__", "__module__", "__dict__", "__weakref__")]
            elif callable(item):
                found.append(path)
    return found


CHILD = r'''
import itertools, json, math, sys
import numpy as np
import kinetra, kinetra.vortan

arm = sys.argv[1]
model, collision, visual = kinetra.build_models_from_urdf(arm + "/kinetra_arm.urdf", arm)
data = model.create_data()
other = kinetra.Model()
other_data = other.create_data()
q = np.zeros(model.nq)
pool = [model, data, collision, visual, collision.create_data(data), model.frames[1],
        model.joint_models[1], model.inertias[1], collision.geometry_objects[0],
        collision.geometry_objects[0].geometry, kinetra.SE3.Identity(), kinetra.Vector3D.zeros(),
        kinetra.Symmetric3.Zero(), kinetra.FrameType.Body, kinetra.JointType.Revolute,
        kinetra.neutral(model)]
hostile = [None, math.nan, -math.inf, 10**100, -2**63, 2**64, -1, True, "", "\0", b"x", 1j,
           np.zeros(0), np.full(7, math.nan), np.zeros((2, 3, 4)), np.array(["a", "b"]),
           np.zeros(6, dtype=np.int8), np.zeros(model.nq)[::-1], np.zeros((4, 4), order="F"),
           [1, "a"], object(), other, other_data, data, model, kinetra.SE3.Identity()]
prefixes = [(), (model,), (model, data), (model, other_data), (model, data, q), (model, data, q, q),
            (other, data)]


def sample(cls):
    for item in pool:
        if isinstance(item, cls):
            return item
    for arguments in [(), (1.0,), (1.0, 1.0)]:
        try:
            return cls(*arguments)
        except Exception:
            pass
    return None


def resolve(path):
    label, _, name = path.partition(":")
    owner_name, _, member = name.partition(".")
    module = {"kinetra": kinetra, "kinetra.vortan": kinetra.vortan}[label]
    return getattr(module, owner_name), member or None


def outcome(call):
    try:
        call()
    except Exception as error:
        return type(error).__name__, str(error)[:200]
    return None, None


for path in sys.stdin.read().split():
    print("START", path, flush=True)
    owner, member = resolve(path)
    bad = {}
    calls = []
    if member is None:
        target = owner
        calls += [lambda a=a: target(*a) for p in prefixes for h in hostile
                  for a in (p + (h,), p + (h, h))]
        calls += [lambda: target(), lambda: target(**{"bogus": None})]
    else:
        raw = owner.__dict__[member]
        instance = sample(owner)
        if hasattr(raw, "__set__") and instance is not None:
            calls += [lambda h=h: setattr(instance, member, h) for h in hostile]
            calls += [lambda h=h: delattr(instance, member) for h in hostile[:1]]
        try:  # a getter may refuse this instance
            bound = getattr(instance, member) if instance is not None else None
        except Exception:
            calls.append(lambda: getattr(instance, member))
            bound = None
        if callable(bound):
            calls += [lambda a=a: bound(*a) for p in prefixes for h in hostile
                      for a in (p + (h,), p + (h, h))]
            calls += [lambda: bound(), lambda: bound(bogus=None)]
        unbound = getattr(owner, member)
        if callable(unbound):
            calls += [lambda h=h: unbound(h) for h in hostile]
    for call in calls:
        kind, message = outcome(call)
        if kind is not None and kind not in bad and kind not in set(sys.argv[2].split(",")):
            bad[kind] = message
    print("DONE", path, json.dumps(bad), flush=True)
'''


@pytest.fixture(scope="module")
def outcomes():
    """{path: {exception type: message}} for every callable, a crash recorded as 'crash'."""
    arm = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "robots", "kinetra_arm")
    pending = public_callables()
    results = {}
    while pending:
        child = subprocess.run([sys.executable, "-c", CHILD, arm, ",".join(sorted(ALLOWED))],
                               input="\n".join(pending), capture_output=True, text=True,
                               timeout=300)
        started = None
        for line in child.stdout.splitlines():
            word, _, rest = line.partition(" ")
            if word == "START":
                started = rest
            elif word == "DONE":
                path, _, bad = rest.partition(" ")
                results[path] = json.loads(bad)
                started = None
        if child.returncode != 0:
            if started is None:  # the set-up itself failed
                pytest.fail(f"exit {child.returncode}: {child.stderr[-2000:]}")
            results[started] = {"crash": f"exit {child.returncode}: {child.stderr[-2000:]}"}
        pending = [path for path in pending if path not in results]
    return results


@pytest.mark.parametrize("path", public_callables())
def test_hostile_arguments_raise_documented_errors(outcomes, path):
    assert outcomes[path] == {}
