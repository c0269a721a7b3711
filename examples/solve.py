#!/usr/bin/env python3
"""Solves the example models through the Quenda module and prints the results.

Every model text under models/static_real is solved as a real model, every
one under models/static_complex as a complex model (Newton-Raphson), those
under models/measurement_real and models/measurement_complex as real and
complex measurement models (weighted least squares). The circle is then
solved once more with the radius 29 set from here. Load errors go to the
console. Exits with 1 when a model could not be loaded or solved."""
import pathlib
import sys

import Quenda

MODELS = pathlib.Path(__file__).resolve().parent / "models"
CREATE = {
    "static_real": (Quenda.createRealStaticModel, Quenda.StaticProblem.NLE),
    "static_complex": (Quenda.createComplexStaticModel, Quenda.StaticProblem.NLE),
    "measurement_real": (Quenda.createRealStaticModel, Quenda.StaticProblem.WLS),
    "measurement_complex": (Quenda.createComplexStaticModel, Quenda.StaticProblem.WLS),
}


def load(kind, path):
    create, problem = CREATE[kind]
    model = create(problem, Quenda.getConsoleLogger())
    return model if model.initFromFile(str(path)) else None


def solve(title, model):
    """Solves the model and prints its status and variables; True when solved."""
    status = model.getSolverInterface().solve()
    print(f"{title}: {status.name}")
    for name, value in zip(model.getVariableNames(), model.getVariableValues()):
        print(f"  {name} = {value:.10g}")
    return status == Quenda.Solution.OK


def solve_with_radius(path, radius):
    model = load("static_real", path)
    if model is None:
        return False
    indices = Quenda.UintVector(1)
    indices[0] = model.getParameterIndex("r")
    values = Quenda.DoubleVector(1)
    values[0] = radius
    return model.setParameterValues(indices, values) and solve(f"{path.stem} with r = {radius}", model)


def main():
    ok = True
    for kind in CREATE:
        for path in sorted((MODELS / kind).glob("*.txt")):
            model = load(kind, path)
            if model is None:
                print(f"{path.stem}: not loaded")
                ok = False
                continue
            ok = solve(f"{path.stem} ({kind.replace('_', ' ')})", model) and ok
    ok = solve_with_radius(MODELS / "static_real" / "circle.txt", 29) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
