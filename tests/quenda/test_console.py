"""What the console logger prints for models that fail, seen from a separate
interpreter's standard output."""
import subprocess
import sys


def run(script):
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    return done.stdout.splitlines()


def test_a_failed_load_prints_its_errors(tmp_path):
    missing = tmp_path / "missing.txt"
    lines = run(f"""
import Quenda
model = Quenda.createRealStaticModel(Quenda.StaticProblem.NLE, Quenda.getConsoleLogger())
# y, at line 7 and column 7, is not declared.
text = "Header:\\nend\\nModel [type = NL]\\nVars\\nx = 1\\nNLEs\\nx^2 = y\\nend\\n"
print(model.initFromString(text), model.initFromFile({str(missing)!r}), flush=True)
""")
    assert lines == [
        "Error! line 7, column 7: the name y is not declared [@ML.UnknownLbl]",
        f"Error! Cannot open model file {missing}!",
        "False False",
    ]


def test_a_model_that_cannot_be_made_prints_why():
    lines = run("""
import Quenda
try:
    Quenda.createRealDynamicModel(Quenda.DynamicProblem.ODE, Quenda.getConsoleLogger())
except RuntimeError as e:
    print(e, flush=True)
""")
    assert lines == ["Error! no solver can be made for this kind of model [@SC.CannotCreateSolver]",
                     "Failed to create the model"]


def test_without_a_logger_nothing_is_printed():
    lines = run("""
import Quenda
model = Quenda.createRealStaticModel(Quenda.StaticProblem.NLE)
print(model.initFromString("nonsense"), flush=True)
""")
    assert lines == ["False"]
