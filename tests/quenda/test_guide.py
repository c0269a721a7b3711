"""The model-language guide and the README's quick start, example by example:
every model in them is loaded and solved through the module, and the result
written after it must hold, so the texts cannot drift from the engine.

How an example is written in the Markdown:

- A fenced block ```model NAME holds a whole model text. NAME is unique in
  its file and names the example in test reports. The Model line chooses the
  model object: its `type` (NL, WLS, ODE, DAE) and `domain = cmplx` for a
  complex one.
- The next fenced block, ```result, says what must happen, one statement a
  line; "//" starts a comment:
      load fails                       the load returns False, nothing is solved
      status: NAME                     solve() gives Solution.NAME (OK when absent)
      NAME = VALUE [± TOL]             a variable's or parameter's value after
                                       the solve; complex as 3 - 4i; TOL is
                                       1e-6, relative above 1, when absent
      NAME in [LO, HI]                 a value between two bounds, both included
      steps: N                         a dynamic model: reset(0), then step(N)
                                       instead of solve() (1 step when absent)
      error [at line N]: TEXT [KEY]    the console printed this error entry
      warning [at line N]: TEXT [KEY]  the same for a warning
  KEY is the message key of the entry and TEXT its English sentence; an entry
  without KEY is an English text of its own. N is the line as an editor
  numbers it.
- A fenced ```python [NAME] block runs as it is, from the repository's
  folder, with Quenda imported and MODEL bound to the text of the model
  block above it; it checks with assert.
- A fenced block ```xml NAME holds a model written as XML, with its result
  block after it; the module cannot read XML, so the C++ test
  tests/tarvex/xml/guide runs these through the solvers of the library.
- Any other fenced block (```text, ```sh, ```cpp, ```plot NAME, ...) is only shown.
"""
import ctypes
import dataclasses
import pathlib
import re

import pytest
import Quenda

ROOT = pathlib.Path(__file__).resolve().parents[2]
DOCUMENTS = [ROOT / "docs" / "model-language.md", ROOT / "README.md"]

# Examples that wait for a fix being made elsewhere: name -> the fix they need.
PENDING = {}


@dataclasses.dataclass
class Block:
    path: pathlib.Path
    line: int  # of the opening fence
    words: list
    text: str

    def where(self):
        return f"{self.path.relative_to(ROOT)}:{self.line}"


@dataclasses.dataclass
class Example:
    name: str
    model: Block
    result: Block


@dataclasses.dataclass
class Snippet:
    name: str
    code: Block
    model: str


def fenced_blocks(path):
    lines = path.read_text(encoding="utf-8").splitlines()
    start = None
    for i, line in enumerate(lines):
        if not line.startswith("```"):
            continue
        if start is None:
            start, words = i, line[3:].split()
        else:
            yield Block(path, start + 1, words, "".join(f"{s}\n" for s in lines[start + 1 : i]))
            start = None
    assert start is None, f"{path.relative_to(ROOT)}:{start + 1}: the block is never closed"


# Blocks that are only shown; a misspelt kind would hide an example. A
# ```plot block is a model with a plot section, which the module cannot
# read: the C++ plot tests check it.
SHOWN = {"", "text", "sh", "cpp", "plot"}


def read_documents():
    """The examples and snippets of every document, and what is wrong with
    the way they are written."""
    examples, snippets, problems = [], [], []
    for path in DOCUMENTS:
        blocks = list(fenced_blocks(path))
        names, model = set(), None
        for i, block in enumerate(blocks):
            kind = block.words[0] if block.words else ""
            if kind not in SHOWN | {"model", "result", "python", "xml"}:
                problems.append(f"{block.where()}: no such kind of block: {kind}")
            if kind == "model":
                following = blocks[i + 1] if i + 1 < len(blocks) else None
                if len(block.words) != 2 or block.words[1] in names:
                    problems.append(f"{block.where()}: a model block needs a name of its own")
                elif not following or following.words != ["result"]:
                    problems.append(f"{block.where()}: a model block needs a result block after it")
                else:
                    names.add(block.words[1])
                    examples.append(Example(block.words[1], block, following))
                model = block.text
            elif kind == "python":
                name = block.words[1] if len(block.words) > 1 else f"{path.stem}:{block.line}"
                if any(s.name == name for s in snippets):
                    problems.append(f"{block.where()}: a second Python block named {name}")
                snippets.append(Snippet(name, block, model))
            elif kind == "result" and (i == 0 or blocks[i - 1].words[:1] not in (["model"], ["xml"])):
                problems.append(f"{block.where()}: a result block belongs after a model block")
    return examples, snippets, problems


EXAMPLES, SNIPPETS, PROBLEMS = read_documents()


# One statement of a result block.
@dataclasses.dataclass
class Statement:
    what: str  # "fails", "status", "value", "range", "error", "warning", "steps"
    name: str = ""
    value: complex = 0
    tolerance: float = 0
    low: float = 0
    high: float = 0
    line: int = 0  # 0: the entry has no line
    text: str = ""
    key: str = ""


def number(text):
    return complex(text.replace(" ", "").replace("i", "j"))


def statement(text):
    if text == "load fails":
        return Statement("fails")
    if m := re.fullmatch(r"status: (\w+)", text):
        return Statement("status", name=m[1])
    if m := re.fullmatch(r"steps: (\d+)", text):
        return Statement("steps", value=int(m[1]))
    if m := re.fullmatch(r"(error|warning)(?: at line (\d+))?: (.*?)(?: \[(\S+)\])?", text):
        return Statement(m[1], line=int(m[2] or 0), text=m[3], key=m[4] or "")
    if m := re.fullmatch(r"(\S+) in \[(\S+), (\S+)\]", text):
        return Statement("range", name=m[1], low=float(m[2]), high=float(m[3]))
    if m := re.fullmatch(r"(\S+) = (.+?)(?: ± (\S+))?", text):
        expected = number(m[2])
        return Statement("value", name=m[1], value=expected, tolerance=float(m[3] or 1e-6 * max(1, abs(expected))))
    raise AssertionError(f"no such statement: {text!r}")


def statements(block):
    found = []
    for n, line in enumerate(block.text.splitlines()):
        text = line.split("//")[0].strip()
        if text:
            try:
                found.append(statement(text))
            except (AssertionError, ValueError) as e:
                raise AssertionError(f"{block.where()} + {n + 1}: {e}") from None
    return found


# The model object of each model type: its create function and problem.
KINDS = {
    "NL": lambda complex_: (
        Quenda.createComplexStaticModel if complex_ else Quenda.createRealStaticModel,
        Quenda.StaticProblem.NLE,
    ),
    "WLS": lambda complex_: (
        Quenda.createComplexStaticModel if complex_ else Quenda.createRealStaticModel,
        Quenda.StaticProblem.WLS,
    ),
    "ODE": lambda complex_: (Quenda.createRealDynamicModel, Quenda.DynamicProblem.ODE),
    "DAE": lambda complex_: (Quenda.createRealDynamicModel, Quenda.DynamicProblem.DAE),
}


def make_model(text):
    """The model object that the text's Model line asks for, with the
    console logger; NL when the line names no type."""
    line = next((s for s in text.splitlines() if s.lstrip().startswith("Model")), "")
    kind = re.search(r"\btype\s*=\s*(\w+)", line)
    kind = kind[1] if kind else "NL"
    assert kind in KINDS, f"no runner for models of type {kind}: add one to KINDS"
    create, problem = KINDS[kind](re.search(r"\bdomain\s*=\s*cmplx\b", line) is not None)
    return create(problem, Quenda.getConsoleLogger())


LIBC = ctypes.CDLL(None)


def printed(capfd):
    """(kind, line, text) of each error and warning entry the console logger
    printed since the last call. The logger writes through C's buffered
    standard output, which is flushed first."""
    LIBC.fflush(None)
    entries = []
    for line in capfd.readouterr().out.splitlines():
        m = re.fullmatch(r"(Error|Warning)! (?:line (\d+)(?:, column \d+)?: )?(.*)", line)
        if m:
            entries.append((m[1].lower(), int(m[2] or 0), m[3]))
    return entries


@dataclasses.dataclass
class Outcome:
    loaded: bool
    status: str
    values: dict
    entries: list


def advance(solver, steps):
    """A static model solves; a dynamic one starts at 0 and makes its steps."""
    if isinstance(solver, Quenda.IStatic):
        return solver.solve().name
    return solver.step(steps).name if solver.reset(0.0) else "reset failed"


def run(example, capfd):
    printed(capfd)
    model = make_model(example.model.text)
    loaded = model.initFromString(example.model.text)
    status, values = "", {}
    if loaded:
        steps = next((int(s.value.real) for s in statements(example.result) if s.what == "steps"), 1)
        status = advance(model.getSolverInterface(), steps)
        values = dict(zip(map(str, model.getParameterNames()), model.getAllParameterValues()))
        values.update(zip(map(str, model.getVariableNames()), model.getVariableValues()))
    return Outcome(loaded, status, values, printed(capfd))


def marked(items, name_of, reason_of):
    return [
        pytest.param(item, id=name_of(item), marks=pytest.mark.xfail(strict=True, reason=reason_of(item)))
        if reason_of(item)
        else pytest.param(item, id=name_of(item))
        for item in items
    ]


def test_the_examples_are_written_as_the_tests_read_them():
    assert not PROBLEMS
    for example in EXAMPLES:
        statements(example.result)


@pytest.mark.parametrize("example", marked(EXAMPLES, lambda e: e.name, lambda e: PENDING.get(e.name)))
def test_example(example, capfd):
    expected = statements(example.result)
    got = run(example, capfd)
    where = example.model.where()
    fails = any(s.what == "fails" for s in expected)
    assert got.loaded != fails, f"{where}: loaded {got.loaded}; printed {got.entries}"
    status = next((s.name for s in expected if s.what == "status"), "" if fails else "OK")
    assert got.status == status, f"{where}: printed {got.entries}"
    for s in expected:
        if s.what == "value":
            assert s.name in got.values, f"{where}: no symbol {s.name}"
            assert abs(got.values[s.name] - s.value) <= s.tolerance, f"{where}: {s.name} = {got.values[s.name]}"
        elif s.what == "range":
            assert s.low <= got.values[s.name] <= s.high, f"{where}: {s.name} = {got.values[s.name]}"
        elif s.what in ("error", "warning"):
            # A key without its sentence is printed itself, its own "@"
            # replaced by the name that fills it.
            key = s.key.removeprefix("@")
            found = [e for e in got.entries if e[:2] == (s.what, s.line) and (s.text in e[2] or key and key in e[2])]
            assert found, f"{where}: no {s.what} at line {s.line} with {s.text!r} or {key!r} in {got.entries}"


def keyed_messages(example):
    return [s for s in statements(example.result) if s.what in ("error", "warning") and s.key]


@pytest.mark.parametrize(
    "example", marked([e for e in EXAMPLES if keyed_messages(e)], lambda e: e.name, lambda e: PENDING.get(e.name))
)
def test_the_sentence_of_each_key(example, capfd):
    entries = run(example, capfd).entries
    for s in keyed_messages(example):
        assert any(e[:2] == (s.what, s.line) and s.text in e[2] for e in entries), f"{s.text!r} not in {entries}"


@pytest.mark.parametrize("snippet", marked(SNIPPETS, lambda s: s.name, lambda s: PENDING.get(s.name)))
def test_python_snippet(snippet, monkeypatch):
    monkeypatch.chdir(ROOT)
    exec(compile(snippet.code.text, snippet.code.where(), "exec"), {"Quenda": Quenda, "MODEL": snippet.model})
