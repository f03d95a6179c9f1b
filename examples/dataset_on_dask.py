"""Inverse dynamics and mass matrices for many random states, computed on a Dask cluster.

The states are a dask.array in chunks; each chunk goes through kinetra.batch on a worker, and
every result chunk is written to a Zarr store by the worker that computed it, so no process
ever holds the whole data set. Without --scheduler a local cluster of worker processes runs
the work; with it, a running cluster does (its workers need kinetra, and the store must be a
path or URL that they all reach).

    python examples/dataset_on_dask.py --states 1000000 --output dataset.zarr

The store holds q, v, a (the states), tau = rnea(q, v, a) and M = crba(q).
"""
import argparse
import os
import time

import dask
import dask.array as da
import numpy as np
from dask.distributed import Client, LocalCluster

import kinetra
from kinetra import batch

ARM = os.path.join(os.path.dirname(os.path.abspath(__file__)), "robots", "kinetra_arm")


def inverse_dynamics(q, v, a, model, threads):
    return batch.rnea(model, q, v, a, threads=threads)


def mass_matrices(q, model, threads):
    return batch.crba(model, q, threads=threads)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--states", type=int, default=10**6, help="number of states")
    parser.add_argument("--chunk", type=int, default=25_000, help="states per chunk")
    parser.add_argument("--output", default="dataset.zarr", help="Zarr store to write")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler")
    parser.add_argument("--workers", type=int, default=2, help="local worker processes")
    parser.add_argument("--threads", type=int, default=1,
                        help="kinetra threads per chunk (the workers already run in parallel)")
    parser.add_argument("--urdf", default=os.path.join(ARM, "kinetra_arm.urdf"))
    parser.add_argument("--package-dir", default=ARM)
    parser.add_argument("--seed", type=int, default=0)
    args = parser.parse_args()

    model = kinetra.build_models_from_urdf(args.urdf, package_dir=args.package_dir)[0]
    if model.nq != model.nv:
        parser.error("random states are drawn as angles and offsets: nq must equal nv")

    if args.scheduler:
        client = Client(args.scheduler)
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)

    rng = da.random.default_rng(args.seed)
    n, nv = args.states, model.nv
    q = rng.uniform(-np.pi, np.pi, size=(n, nv), chunks=(args.chunk, nv))
    v = rng.uniform(-2.0, 2.0, size=(n, nv), chunks=(args.chunk, nv))
    a = rng.uniform(-5.0, 5.0, size=(n, nv), chunks=(args.chunk, nv))
    # the model travels pickled with each task
    tau = da.map_blocks(inverse_dynamics, q, v, a, model=model, threads=args.threads,
                        dtype=np.float64)
    mass = da.map_blocks(mass_matrices, q, model=model, threads=args.threads, new_axis=2,
                         chunks=(q.chunks[0], (nv,), (nv,)), dtype=np.float64)

    writes = [da.to_zarr(x, args.output, component=name, overwrite=True, compute=False)
              for name, x in [("q", q), ("v", v), ("a", a), ("tau", tau), ("M", mass)]]
    start = time.perf_counter()
    dask.compute(*writes)
    elapsed = time.perf_counter() - start
    workers = len(client.scheduler_info()["workers"])
    print(f"{n} states on {workers} workers in {elapsed:.2f} s: {n / elapsed:,.0f} states/s "
          f"(rnea and crba, written to {args.output})")
    client.close()


if __name__ == "__main__":
    main()
