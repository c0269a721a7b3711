"""Dynamic models through the module: stepping both kinds, the step size,
and failures, checked against closed forms."""
import math

import pytest
import Quenda
from Quenda import DynamicProblem, Solution


def decay(model_type, method="Trapez", header="dTime = 0.1"):
    """x' = -x from 1."""
    return f"""Header:
{header}
end
Model [type = {model_type}, method = {method}]
Vars
  x = 1
ODEs
  x' = -x
end
"""


def load(problem, text):
    model = Quenda.createRealDynamicModel(problem)
    assert model.initFromString(text)
    return model


def value(model, name):
    index = model.getVariableIndex(name)
    if index >= 0 and index < model.getNumberOfVariables():
        return model.getVariableValues()[index]
    return model.getAllParameterValues()[model.getParameterIndex(name)]


# The methods' factors per step of x' = -x at z = -0.1.
FACTORS = {
    "Euler": 1 / 1.1,
    "Trapez": 0.95 / 1.05,
    "RK4": (1 - 0.05 + 0.01 / 12) / (1 + 0.05 + 0.01 / 12),
    "RK6": (1 - 0.05 + 0.001 - 0.001 / 120) / (1 + 0.05 + 0.001 + 0.001 / 120),
}


@pytest.mark.parametrize("method", FACTORS)
def test_implicit_methods_step_by_their_factors(method):
    model = load(DynamicProblem.DAE, decay("DAE", method))
    solver = model.getSolverInterface()
    assert type(solver) is Quenda.IDynamic
    assert solver.getStepSize() == 0.1
    assert solver.reset()
    assert solver.step() == Solution.OK
    assert value(model, "x") == pytest.approx(FACTORS[method], abs=1e-12)
    assert solver.step(9) == Solution.OK
    assert value(model, "x") == pytest.approx(FACTORS[method] ** 10, abs=1e-12)
    assert value(model, "t") == pytest.approx(1.0, abs=1e-12)


def test_explicit_steps_and_reset_sets_the_time():
    model = load(DynamicProblem.ODE, decay("ODE"))
    solver = model.getSolverInterface()
    assert solver.reset(2.0)
    assert value(model, "t") == 2.0
    assert solver.step(0) == Solution.OK
    assert value(model, "x") == 1.0
    assert solver.step(10) == Solution.OK
    # Heun: 1 - h + h^2/2 per step.
    assert value(model, "x") == pytest.approx(0.905**10, abs=1e-14)
    assert value(model, "t") == pytest.approx(3.0, abs=1e-12)


@pytest.mark.parametrize("problem, model_type", [(DynamicProblem.DAE, "DAE"), (DynamicProblem.ODE, "ODE")])
def test_the_step_size(problem, model_type):
    model = load(problem, decay(model_type, header="dTime = 0"))
    solver = model.getSolverInterface()
    solver.setStepSize(0.0)
    assert not solver.reset(0.0)
    solver.setStepSize(0.05)
    assert solver.getStepSize() == 0.05
    assert solver.reset(0.0)
    assert solver.step(20) == Solution.OK
    assert value(model, "t") == pytest.approx(1.0, abs=1e-12)
    assert value(model, "x") == pytest.approx(math.exp(-1), abs=1e-3)
    with pytest.raises(TypeError):
        solver.setStepSize(dT=0.1)


def test_a_failing_step_reports_a_solution_error():
    # y^2 + 1 = 0 has no real root.
    model = load(DynamicProblem.DAE, """Header:
dTime = 0.1
end
Model [type = DAE]
Vars
  x = 1
  y = 1
ODEs
  x' = -x
NLEs
  y^2 + 1 = 0
end
""")
    solver = model.getSolverInterface()
    assert solver.reset(0.0)
    assert solver.step(2) == Solution.SolutionError


def test_a_released_model_finishes_its_view():
    model = load(DynamicProblem.DAE, decay("DAE"))
    solver = model.getSolverInterface()
    model.release()
    with pytest.raises(RuntimeError, match="released"):
        solver.step()
