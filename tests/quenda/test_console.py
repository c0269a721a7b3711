"""What the console logger prints for models that fail or warn, seen from a separate
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
    Quenda.createRealStaticModel(Quenda.StaticProblem(5), Quenda.getConsoleLogger())
except RuntimeError as e:
    print(e, flush=True)
""")
    assert lines == ["Error! Unknown problem type!", "Failed to create the model"]


def test_without_a_logger_nothing_is_printed():
    lines = run("""
import Quenda
model = Quenda.createRealStaticModel(Quenda.StaticProblem.NLE)
print(model.initFromString("nonsense"), flush=True)
""")
    assert lines == ["False"]


def test_positions_are_the_texts_own_lines_and_columns():
    lines = run("""
import Quenda
model = Quenda.createRealStaticModel(Quenda.StaticProblem.NLE, Quenda.getConsoleLogger())
# A comment and a header with a setting above the model: y is on line 9 at column 9.
text = "// circle\\nHeader:\\n  maxIter = 50\\nend\\nModel [type = NL]\\nVars\\n  x = 1\\nNLEs\\n  x^2 = y\\nend\\n"
print(model.initFromString(text), flush=True)
""")
    assert lines == ["Error! line 9, column 9: the name y is not declared [@ML.UnknownLbl]", "False"]


def test_a_nul_byte_fails_the_load_unless_it_is_in_a_comment():
    lines = run("""
import Quenda
model = Quenda.createRealStaticModel(Quenda.StaticProblem.NLE, Quenda.getConsoleLogger())
head = "Header:\\nend\\nModel [type = NL]\\nVars\\nx = 1\\nNLEs\\n"
# The NUL is on line 7 at column 7; what follows it must not be lost.
print(model.initFromString(head + "x^2 = \\0 4\\nend\\n"), flush=True)
print(model.initFromString(head + "x^2 = 4 // a note\\0 after a NUL\\nend\\n"), flush=True)
print(model.getSolverInterface().solve(), [round(x, 6) for x in model.getVariableValues()], flush=True)
""")
    assert lines == ["Error! line 7, column 7: the text holds a NUL byte (character code 0) outside a comment [@ML.NulInText]", "False", "True", "Solution.OK [2.0]"]


def test_a_folder_is_no_model_file(tmp_path):
    lines = run(f"""
import Quenda
model = Quenda.createRealStaticModel(Quenda.StaticProblem.NLE, Quenda.getConsoleLogger())
print(model.initFromFile({str(tmp_path)!r}), flush=True)
""")
    assert lines == [f"Error! Cannot open model file {tmp_path}!", "False"]


def test_the_no_improvement_stop_is_named_and_says_why():
    # Newton on the cube root doubles x and flips its sign: from 1e15 the
    # residual grows past 1e5 by 2^(1/3) a step.
    lines = run("""
import Quenda
model = Quenda.createRealStaticModel(Quenda.StaticProblem.NLE, Quenda.getConsoleLogger())
text = "Header:\\nend\\nModel [type = NL]\\nVars\\nx = 1e15\\nNLEs\\nsign(x)*abs(x)^(1/3) = 0\\nend\\n"
print(model.initFromString(text), flush=True)
print(model.getSolverInterface().solve(), flush=True)
""")
    assert lines == ["True", "Error! the iterations diverge: the residual grew in two iterations in a row and is above 1e5 [@SC.NoImprovement]", "Solution.NoImprovement"]


def test_repetitions_end_at_the_headers_maxreps_or_else_at_the_default_limit():
    # The Repeats group always asks again; PostProc counts the solves: the
    # first and one per repetition allowed, 3 by maxReps, else 10000.
    lines = run("""
import Quenda
model = Quenda.createRealStaticModel(Quenda.StaticProblem.NLE, Quenda.getConsoleLogger())
text = "Header:\\n{}\\nend\\nModel [type = NL]\\nVars\\nx = 1\\nParams\\nn = 0\\nNLEs\\nx = 2\\nPostProc\\nn += 1\\nRepeats\\nrepeat\\nend\\n"
first = Quenda.UintVector(1)
first[0] = 0
for header in ["maxReps = 3", ""]:
    assert model.initFromString(text.format(header))
    print(model.getSolverInterface().solve(), list(model.getParameterValues(first)), flush=True)
""")
    assert lines == [
        "Solution.OK [4.0]",
        "Warning! the Repeats group still asks for another solve after 10000 repetitions; the repetitions stop "
        "here (set maxReps in the header to allow more) [@SC.RepetitionLimit]",
        "Solution.OK [10001.0]",
    ]
