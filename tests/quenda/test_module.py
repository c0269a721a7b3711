"""What the module holds once imported, and a second import."""
import importlib
import re
import sys

import pytest
import Quenda

NAMES = [
    "String", "DoubleVector", "ComplexVector", "UintVector", "StringVector", "Solution", "ILog",
    "StaticProblem", "IStatic", "DynamicProblem", "IDynamic", "SolutionOptions", "ModelType",
    "IRealStaticModel", "IComplexStaticModel", "IRealDynamicModel", "getConsoleLogger",
    "createRealStaticModel", "createComplexStaticModel", "createRealDynamicModel",
]


def test_the_module_holds_exactly_its_names():
    assert sorted(n for n in vars(Quenda) if not n.startswith("__")) == sorted(NAMES)
    assert Quenda.__doc__.startswith("Python bindings for Quenda library (")


def test_signatures_name_the_python_classes():
    doc = Quenda.createRealStaticModel.__doc__
    for name in ("problemType: Quenda.StaticProblem", "pLog: Quenda.ILog = None", "maxIter", "= 1000",
                 "-> Quenda.IRealStaticModel"):
        assert name in doc
    assert "-> Quenda.StringVector" in Quenda.IRealStaticModel.getVariableNames.__doc__
    assert "-> Quenda.IDynamic" in Quenda.IRealDynamicModel.getSolverInterface.__doc__


def test_dynamic_side_arguments():
    # No dynamic solver can be made yet, so the signatures are what shows them.
    assert re.search(r"\(self: Quenda.IDynamic, t0: [^=]+= 0.0\) -> bool", Quenda.IDynamic.reset.__doc__)
    assert re.search(r"\(self: Quenda.IDynamic, nSteps: [^=]+= 1\) -> Quenda.Solution", Quenda.IDynamic.step.__doc__)
    assert "(self: Quenda.IDynamic, arg0:" in Quenda.IDynamic.setStepSize.__doc__


@pytest.mark.parametrize(
    "cls", ["ILog", "SolutionOptions", "IStatic", "IDynamic", "IRealStaticModel", "IComplexStaticModel",
            "IRealDynamicModel"]
)
def test_classes_a_script_cannot_construct(cls):
    with pytest.raises(TypeError):
        getattr(Quenda, cls)()


def test_a_second_import_hands_out_the_first_module():
    first = sys.modules.pop("Quenda")
    try:
        again = importlib.import_module("Quenda")
        assert again is first and again.String is first.String
    finally:
        sys.modules["Quenda"] = first
