"""Model objects from the create functions: loading, solving, reading and
setting values, failures, and the life of a model and its solver view."""
import gc
import weakref

import pytest
import Quenda
from Quenda import ComplexVector, DoubleVector, Solution, StaticProblem, StringVector, UintVector

from conftest import CIRCLE, SQUARE_ROOT_OF_MINUS_FOUR, vector

TOLERANCE = 1e-6


def values(v):
    return [x for x in v]


def names(v):
    return [str(s) for s in v]


def test_the_circle_solves_and_solves_again_with_another_radius(circle):
    solver = circle.getSolverInterface()
    assert solver.solve() == Solution.OK
    x, y = values(circle.getVariableValues())
    assert (x, y) == pytest.approx((4, 3), abs=TOLERANCE)

    r = circle.getParameterIndex("r")
    assert circle.setParameterValues(vector(UintVector, [r]), vector(DoubleVector, [29]))
    assert solver.solve() == Solution.OK
    assert values(circle.getVariableValues()) == pytest.approx([21, 20], abs=TOLERANCE)


def test_loading_from_a_file(tmp_path):
    path = tmp_path / "circle.txt"
    path.write_text(CIRCLE)
    model = Quenda.createRealStaticModel(StaticProblem.NLE)
    assert model.initFromFile(str(path))
    assert model.getSolverInterface().solve() == Solution.OK
    assert values(model.getVariableValues()) == pytest.approx([4, 3], abs=TOLERANCE)
    assert not model.initFromFile(str(tmp_path / "missing.txt"))
    assert model.getNumberOfVariables() == 0


def test_names_indices_and_counts(circle):
    assert (circle.getNumberOfVariables(), circle.getNumberOfParameters()) == (2, 2)
    assert names(circle.getVariableNames()) == ["x", "y"]
    assert names(circle.getParameterNames()) == ["r", "k"]
    assert [circle.getVariableIndex(n) for n in ("x", "y", "r", "", "nothing")] == [0, 1, -1, -1, -1]
    assert [circle.getParameterIndex(n) for n in ("r", "k", "x", "")] == [0, 1, -1, -1]
    assert circle.getParameterIndex(Quenda.String("k")) == 1


def test_values_read_and_set(circle):
    assert values(circle.getAllParameterValues()) == [5, 7]
    assert values(circle.getVariableValues()) == [1, 2]
    assert values(circle.getParameterValues(vector(UintVector, [1, 0]))) == [7, 5]
    assert len(circle.getParameterValues(UintVector())) == 0
    assert circle.setVariableValues(vector(DoubleVector, [10, 20]))
    assert values(circle.getVariableValues()) == [10, 20]


def test_output_symbols(circle):
    # Symbols number the variables first, then the parameters: x is 0, r is 2.
    circle.getSolverInterface().solve()
    indices = circle.getOutputSymbolIndices()
    assert values(indices) == [0, 2]
    assert names(circle.getOutputSymbolNames(indices)) == ["x", "r"]
    assert values(circle.getOutputSymbolValues(indices)) == pytest.approx([4, 5], abs=TOLERANCE)


def test_indices_and_lengths_that_do_not_fit(circle):
    with pytest.raises(ValueError, match="^Failed to get parameter values$"):
        circle.getParameterValues(vector(UintVector, [0, 2]))
    for indices in ([0], [0, 2, 1], [0, 4294967295]):
        with pytest.raises(ValueError, match="^Failed to get output symbol values$"):
            circle.getOutputSymbolValues(vector(UintVector, indices))
    for indices in ([0], [0, 4294967295]):
        result = circle.getOutputSymbolNames(vector(UintVector, indices))
        assert type(result) is StringVector and len(result) == 0
    assert not circle.setParameterValues(vector(UintVector, [0, 9]), vector(DoubleVector, [1, 2]))
    assert not circle.setParameterValues(vector(UintVector, [0, 1]), vector(DoubleVector, [1]))
    assert not circle.setVariableValues(vector(DoubleVector, [1]))
    assert values(circle.getVariableValues()) == [1, 2]


def test_wrong_arguments(circle):
    none_refused = [
        lambda: circle.initFromString(None),
        lambda: circle.initFromFile(None),
        lambda: circle.getVariableIndex(None),
        lambda: circle.getParameterValues(None),
        lambda: circle.setVariableValues(None),
        lambda: circle.setParameterValues(UintVector(), None),
        lambda: circle.setSolutionOptions(None),
    ]
    for call in none_refused:
        with pytest.raises(RuntimeError):
            call()
    wrong_types = [
        lambda: circle.setVariableValues(vector(UintVector, [1, 2])),
        lambda: circle.getParameterValues(vector(DoubleVector, [0])),
        lambda: circle.setVariableValues(vector(ComplexVector, [1, 2])),
        lambda: circle.setSolutionOptions(object()),
        lambda: circle.setLogger("console"),
        lambda: circle.initFromString(5),
    ]
    for call in wrong_types:
        with pytest.raises(TypeError):
            call()
    circle.setLogger(None)
    circle.setLogger(pLog=Quenda.getConsoleLogger())


def test_a_complex_model():
    model = Quenda.createComplexStaticModel(StaticProblem.NLE)
    assert model.initFromString(SQUARE_ROOT_OF_MINUS_FOUR)
    assert model.getSolverInterface().solve() == Solution.OK
    z = model.getVariableValues()
    assert type(z) is ComplexVector
    assert abs(z[0] - 2j) < TOLERANCE
    # A real model refuses the complex domain.
    assert not Quenda.createRealStaticModel(StaticProblem.NLE).initFromString(SQUARE_ROOT_OF_MINUS_FOUR)


LINE_FIT = """Header:
end
Model [type = WLS]
Vars
  a = 0
  b = 0
Params
  m = 2.97
WLSEs
  a + b = 1.02 [w = 1]
  a + 2*b = m [w = 2]
  a + 3*b = 4.95 [w = 1]
end
"""


def test_a_measurement_model_estimates_and_estimates_again():
    # The weighted normal equations [4 8; 8 18] (a, b) = (11.91, 27.75).
    model = Quenda.createRealStaticModel(StaticProblem.WLS)
    assert model.initFromString(LINE_FIT)
    solver = model.getSolverInterface()
    assert solver.solve() == Solution.OK
    assert values(model.getVariableValues()) == pytest.approx([-0.9525, 1.965], abs=1e-12)
    # The middle point measured at 3.97: the sums become (13.91, 31.75).
    assert model.setParameterValues(vector(UintVector, [0]), vector(DoubleVector, [3.97]))
    assert solver.solve() == Solution.OK
    assert values(model.getVariableValues()) == pytest.approx([-0.4525, 1.965], abs=1e-12)
    # A complex model object estimates complex values: the mean of 1 + i and 3 + 3i.
    cmplx = Quenda.createComplexStaticModel(StaticProblem.WLS)
    assert cmplx.initFromString(
        "Header:\nend\nModel [type = WLS, domain = cmplx]\nVars\n  z = 0\nWLSEs\n  z = 1 + 1i\n  z = 3 + 3i\nend\n"
    )
    assert cmplx.getSolverInterface().solve() == Solution.OK
    assert abs(cmplx.getVariableValues()[0] - (2 + 2j)) < 1e-12


@pytest.mark.parametrize(
    "create, problem, max_iter",
    [
        # The solvers count iterations in 16 bits.
        (Quenda.createRealStaticModel, StaticProblem.NLE, 65536),
    ],
)
def test_models_that_cannot_be_made(create, problem, max_iter):
    with pytest.raises(RuntimeError, match="^Failed to create the model$"):
        create(problem, maxIter=max_iter)


def test_iteration_limits_that_are_no_unsigned_int():
    for max_iter in (-1, 2**32, 10.0):
        with pytest.raises(TypeError):
            Quenda.createRealStaticModel(StaticProblem.NLE, None, max_iter)
    assert Quenda.createRealStaticModel(problemType=StaticProblem.NLE, pLog=None, maxIter=65535)


def test_released_models_refuse_every_call(circle):
    solver = circle.getSolverInterface()
    circle.release()
    calls = [
        circle.release,
        circle.getVariableValues,
        circle.getNumberOfVariables,
        circle.getSolverInterface,
        lambda: circle.initFromString(CIRCLE),
        lambda: circle.setLogger(None),
        solver.solve,
    ]
    for call in calls:
        with pytest.raises(RuntimeError, match="released"):
            call()


def test_the_solver_view_keeps_its_model_alive():
    # Made here: pytest would keep a fixture's model alive.
    circle = Quenda.createRealStaticModel(StaticProblem.NLE)
    assert circle.initFromString(CIRCLE)
    solver = circle.getSolverInterface()
    assert type(solver) is Quenda.IStatic and circle.getSolverInterface() is solver
    model = weakref.ref(circle)
    del circle
    gc.collect()
    assert model() is not None
    assert solver.solve() == Solution.OK
    del solver
    gc.collect()
    assert model() is None


def test_a_loaded_model_can_be_loaded_again(circle):
    circle.getSolverInterface().solve()
    assert circle.initFromString(SQUARE_ROOT_OF_MINUS_FOUR.replace("domain = cmplx", "domain = real")
                                 .replace("[conj = false]", "").replace("1 + 1i", "1").replace("+ 4", "- 4"))
    assert names(circle.getVariableNames()) == ["z"]
    assert circle.getSolverInterface().solve() == Solution.OK
    assert values(circle.getVariableValues()) == pytest.approx([2], abs=TOLERANCE)


def test_the_factorys_iteration_limit_holds_where_the_text_states_none():
    # Newton on x^2 = 2 from 1 needs four steps.
    text = "Header:\n{}\nend\nModel [type = NL]\nVars\n  x = 1\nNLEs\n  x^2 - 2 = 0\nend\n"
    for header, max_iter, status in [("", 3, Solution.MaximumIteration), ("", 4, Solution.OK),
                                     ("maxIter = 4", 3, Solution.OK), ("maxIter = 3", 4, Solution.MaximumIteration)]:
        model = Quenda.createRealStaticModel(StaticProblem.NLE, maxIter=max_iter)
        assert model.initFromString(text.format(header))
        assert model.getSolverInterface().solve() == status, (header, max_iter)
