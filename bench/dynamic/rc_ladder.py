#!/usr/bin/env python3
"""RC ladder: the implicit integrator beside IDA and SciPy's Radau.

A ladder of N cells (1 ohm per cell, 1 mF in all, far end open) in its
capacitor voltages v1..vN, driven with 1 V at 50 Hz from rest for 40 ms:

    C v_k' = (v_(k-1) - v_k) - (v_k - v_(k+1)) [- g v_k^3]

with v_0 = sin(2 pi 50 t) and no current beyond v_N. The second variant adds
a non-linear conductance g v^3 at every node. For N = 1,000, 10,000 and
100,000 (--cells to choose) the script

- solves the ladder with SciPy's Radau at rtol 1e-10 as the reference,
- runs IDA (through CasADi's integrator) at rtol 1e-4,
- runs the trapezoid and the two-stage Gauss-Legendre method (RK4) of
  Quenda at fixed steps,

and prints per run the time per step, the Newton iterations per step, the
largest error at the 0.1 ms points against the reference, and the ratios to
IDA: time per step, and the time at IDA's accuracy (the largest fixed step
whose error is at most IDA's). Times exclude loading and compiling.

Peers' packages (numpy, scipy, casadi) are installed with pip when missing.
The module is imported from build/release/bin unless --module-dir says
otherwise. Never run by the tests."""
import argparse
import importlib
import math
import pathlib
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
R = 1.0  # ohm per cell
C_TOTAL = 1e-3  # farad
FREQUENCY = 50.0
T_END = 0.04
POINT = 1e-4  # the error is taken every 0.1 ms
G = 0.1  # A/V^3 of the non-linear conductance at each node


def ensure(*packages):
    for name in packages:
        try:
            importlib.import_module(name)
        except ImportError:
            subprocess.check_call([sys.executable, "-m", "pip", "install", "-q", name])


def model_text(n, method, step, nonlinear):
    """The ladder as a model text, with the default precision 1e-6 V of the
    residuals; nIter adds up the Newton iterations."""
    shunt = " - g*v{0}^3" if nonlinear else ""
    lines = [
        "Header:",
        f"  dTime = {step!r}",
        "  maxIter = 50",
        "end",
        f"Model [type = DAE, method = {method}]",
        "Vars",
    ]
    lines += [f"  v{k} = 0" for k in range(1, n + 1)]
    lines += [
        "Params",
        f"  a = {1 / (R * C_TOTAL / n)!r}",
        f"  g = {G / (C_TOTAL / n)!r}",
        f"  w = {2 * math.pi * FREQUENCY!r}",
        "  nIter = 0",
        "ODEs",
    ]
    for k in range(1, n + 1):
        left = "sin(w*t)" if k == 1 else f"v{k - 1}"
        right = f" + v{k + 1}" if k < n else ""
        own = "2*" if k < n else ""
        lines.append(f"  v{k}' = a*({left} - {own}v{k}{right})" + shunt.format(k))
    lines += ["PostProc", "  nIter += baseIter#", "end"]
    return "\n".join(lines) + "\n"


def rhs_and_jacobian(n, nonlinear):
    import numpy as np
    import scipy.sparse as sp

    a = 1 / (R * C_TOTAL / n)
    g = G / (C_TOTAL / n)
    w = 2 * math.pi * FREQUENCY
    diagonal = np.full(n, -2 * a)
    diagonal[-1] = -a
    off = np.full(n - 1, a)
    linear = sp.diags([off, diagonal, off], [-1, 0, 1], format="csc")

    def f(t, v):
        dv = linear @ v
        dv[0] += a * math.sin(w * t)
        if nonlinear:
            dv -= g * v**3
        return dv

    def jac(t, v):
        if not nonlinear:
            return linear
        return linear - sp.diags(3 * g * v**2, format="csc")

    return f, jac


def reference(n, nonlinear, points):
    from scipy.integrate import solve_ivp

    f, jac = rhs_and_jacobian(n, nonlinear)
    solution = solve_ivp(f, (0, T_END), [0.0] * n, method="Radau", t_eval=points, rtol=1e-10, atol=1e-13,
                         jac=jac)
    assert solution.success, solution.message
    return solution.y.T


def ida(n, nonlinear, points, expected):
    import casadi as ca
    import numpy as np

    a = 1 / (R * C_TOTAL / n)
    g = G / (C_TOTAL / n)
    w = 2 * math.pi * FREQUENCY
    v = ca.SX.sym("v", n)
    t = ca.SX.sym("t")
    left = ca.vertcat(ca.sin(w * t), v[:-1])
    right = ca.vertcat(v[1:], v[-1])
    dv = a * (left - 2 * v + right)
    if nonlinear:
        dv -= g * v**3
    integrator = ca.integrator("ladder", "idas", {"x": v, "t": t, "ode": dv}, 0.0, points[1:],
                               {"reltol": 1e-4, "abstol": 1e-8, "max_num_steps": 1000000,
                                "linear_solver": "csparse"})
    start = time.perf_counter()
    result = integrator(x0=np.zeros(n))
    elapsed = time.perf_counter() - start
    values = np.hstack([np.zeros((n, 1)), np.array(result["xf"])]).T
    steps = integrator.stats()["nsteps"]
    return {"time": elapsed, "steps": steps, "error": float(np.max(np.abs(values - expected)))}


def quenda(Quenda, n, method, step, nonlinear, points, expected):
    import numpy as np

    model = Quenda.createRealDynamicModel(Quenda.DynamicProblem.DAE)
    assert model.initFromString(model_text(n, method, step, nonlinear))
    solver = model.getSolverInterface()
    per_point = round(POINT / step)
    assert solver.reset(0.0)
    values = np.zeros((len(points), n))
    elapsed = 0.0
    for k in range(1, len(points)):
        start = time.perf_counter()
        status = solver.step(per_point)
        elapsed += time.perf_counter() - start
        assert status == Quenda.Solution.OK, (method, step, k)
        values[k] = np.fromiter(model.getVariableValues(), float, count=model.getNumberOfVariables())[:n]
    steps = per_point * (len(points) - 1)
    iterations = model.getAllParameterValues()[model.getParameterIndex("nIter")]
    model.release()
    return {"time": elapsed, "steps": steps, "iterations": iterations / steps,
            "error": float(np.max(np.abs(values - expected)))}


def report(n, nonlinear, steps, Quenda):
    import numpy as np

    kind = "non-linear" if nonlinear else "linear"
    points = np.linspace(0.0, T_END, round(T_END / POINT) + 1)
    start = time.perf_counter()
    expected = reference(n, nonlinear, points)
    print(f"\n{n} cells, {kind}: Radau reference in {time.perf_counter() - start:.1f} s")
    peer = ida(n, nonlinear, points, expected)
    ida_per_step = peer["time"] / peer["steps"]
    print(f"  IDA rtol 1e-4: {peer['steps']} steps, {1e3 * ida_per_step:.3f} ms/step, "
          f"{peer['time']:.3f} s, error {peer['error']:.2e}")
    print(f"  {'method':8} {'dT':>8} {'ms/step':>9} {'vs IDA':>7} {'Newton':>7} {'time s':>8} {'error':>9}")
    for method in ("Trapez", "RK4"):
        at_accuracy = None
        for step in steps:
            run = quenda(Quenda, n, method, step, nonlinear, points, expected)
            per_step = run["time"] / run["steps"]
            print(f"  {method:8} {step:8.1e} {1e3 * per_step:9.3f} {per_step / ida_per_step:7.2f} "
                  f"{run['iterations']:7.2f} {run['time']:8.3f} {run['error']:9.2e}")
            if run["error"] <= peer["error"] and at_accuracy is None:
                at_accuracy = run
        if at_accuracy:
            print(f"  {method} at IDA's accuracy: {at_accuracy['time']:.3f} s, "
                  f"{at_accuracy['time'] / peer['time']:.2f} times IDA's")
        else:
            print(f"  {method}: no step size reached IDA's accuracy")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cells", type=int, nargs="+", default=[1000, 10000, 100000])
    parser.add_argument("--steps", type=float, nargs="+", default=[1e-4, 5e-5, 2e-5, 1e-5])
    parser.add_argument("--module-dir", default=str(ROOT / "build" / "release" / "bin"))
    args = parser.parse_args()
    ensure("numpy", "scipy", "casadi")
    sys.path.insert(0, args.module_dir)
    import Quenda

    for n in args.cells:
        for nonlinear in (False, True):
            report(n, nonlinear, args.steps, Quenda)
    return 0


if __name__ == "__main__":
    sys.exit(main())
