#!/usr/bin/env python3
"""Solves the example models through the Quenda module and prints the results.

Every model text under models/static_real is solved as a real model, every
one under models/static_complex as a complex model (Newton-Raphson), those
under models/measurement_real and models/measurement_complex as real and
complex measurement models (weighted least squares). The dynamic models under
models/dynamic_dae (implicit integrator) and models/dynamic_ode (explicit
integrator) are stepped from time 0 to their parameter tEnd with the step of
their header. The circle is then solved once more with the radius 29 set
from here. Load errors go to the console. Exits with 1 when a model could
not be loaded or solved."""
import pathlib
import sys

import Quenda

MODELS = pathlib.Path(__file__).resolve().parent / "models"
KINDS = {
    "static_real": (Quenda.createRealStaticModel, Quenda.StaticProblem.NLE),
    "static_complex": (Quenda.createComplexStaticModel, Quenda.StaticProblem.NLE),
    "measurement_real": (Quenda.createRealStaticModel, Quenda.StaticProblem.WLS),
    "measurement_complex": (Quenda.createComplexStaticModel, Quenda.StaticProblem.WLS),
    "dynamic_dae": (Quenda.createRealDynamicModel, Quenda.DynamicProblem.DAE),
    "dynamic_ode": (Quenda.createRealDynamicModel, Quenda.DynamicProblem.ODE),
}


def load(kind, path):
    create, problem = KINDS[kind]
    model = create(problem, Quenda.getConsoleLogger())
    return model if model.initFromFile(str(path)) else None


def report(title, model, status):
    """Prints the status and the variables; True when solved."""
    print(f"{title}: {status.name}")
    for name, value in zip(model.getVariableNames(), model.getVariableValues()):
        print(f"  {name} = {value:.10g}")
    return status == Quenda.Solution.OK


def run(kind, model):
    """Solves a static model, or steps a dynamic one from 0 to its tEnd."""
    solver = model.getSolverInterface()
    if not kind.startswith("dynamic"):
        return solver.solve()
    t_end = model.getAllParameterValues()[model.getParameterIndex("tEnd")]
    if not solver.reset(0.0):
        return Quenda.Solution.SolutionError
    return solver.step(round(t_end / solver.getStepSize()))


def solve_with_radius(path, radius):
    model = load("static_real", path)
    if model is None:
        return False
    indices = Quenda.UintVector(1)
    indices[0] = model.getParameterIndex("r")
    values = Quenda.DoubleVector(1)
    values[0] = radius
    ok = model.setParameterValues(indices, values)
    return ok and report(f"{path.stem} with r = {radius}", model, model.getSolverInterface().solve())


def main():
    ok = True
    for kind in KINDS:
        for path in sorted((MODELS / kind).glob("*.txt")):
            model = load(kind, path)
            if model is None:
                print(f"{path.stem}: not loaded")
                ok = False
                continue
            ok = report(f"{path.stem} ({kind.replace('_', ' ')})", model, run(kind, model)) and ok
    ok = solve_with_radius(MODELS / "static_real" / "circle.txt", 29) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
