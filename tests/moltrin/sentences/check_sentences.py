"""Every message key that the sources log has an English sentence in the
console logger's table, and every sentence of the table's logged part belongs
to a key that some source logs.

A key is a string literal that starts with "@ML.", "@CE.", "@CS.", "@SC.",
"@ET.", "MS." or "SC.": log sites name their keys whole, so that this scan
finds them.

Usage: check_sentences.py SOURCE_DIR [-v]
"""
import pathlib
import re
import sys

KEY = re.compile(r'"((?:@(?:ML|CE|CS|SC|ET)|MS|SC)\.[^"\s]*)"')
ENTRY = re.compile(r'\{\s*"([^"]+)"\s*,\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\}')
LITERAL = re.compile(r'"((?:[^"\\]|\\.)*)"')
SOURCE_FOLDERS = ("Common", "solver", "model", "python")
TABLE = pathlib.Path("model/src/Sentences.cpp")


def logged_keys(root):
    """Each key the sources name, with the first place that names it."""
    keys = {}
    for folder in SOURCE_FOLDERS:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".cpp", ".h", ".inl") or path == root / TABLE:
                continue
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                for key in KEY.findall(line):
                    keys.setdefault(key, f"{path.relative_to(root)}:{number}")
    return keys


def table_part(text, name):
    """The entries of one array of the table, as {key: sentence}."""
    start = text.index(f"constexpr Entry {name}[] = {{")
    body = text[start:text.index("\n};", start)]
    entries = {}
    for key, literals in ENTRY.findall(body):
        if key in entries:
            raise SystemExit(f"{key} has two sentences")
        entries[key] = "".join(LITERAL.findall(literals))
    return entries


def sentence_problems(key, sentence):
    problems = []
    if not sentence.strip():
        problems.append("is empty")
    if sentence[:1].isupper() and not sentence.split()[0].isupper():
        problems.append("starts with a capital letter")
    if sentence.rstrip().endswith((".", "!")):
        problems.append("ends with a stop")
    if key in sentence:
        problems.append("repeats its key")
    return [f"the sentence of {key} {p}: {sentence!r}" for p in problems]


def main():
    root = pathlib.Path(sys.argv[1])
    verbose = "-v" in sys.argv[2:]
    text = (root / TABLE).read_text(encoding="utf-8")
    logged_part = table_part(text, "s_logged")
    pending_part = table_part(text, "s_pending")
    used = logged_keys(root)

    failures = []
    for key in sorted(logged_part.keys() & pending_part.keys()):
        failures.append(f"{key} stands in both parts of the table")
    for key, where in sorted(used.items()):
        if key in pending_part:
            failures.append(f"{key} is logged ({where}): move its sentence to the logged part")
        elif key not in logged_part:
            failures.append(f"{key} has no sentence ({where})")
    for key in sorted(logged_part.keys() - used.keys()):
        failures.append(f"{key} has a sentence but no source logs it")
    for key, sentence in sorted({**logged_part, **pending_part}.items()):
        failures.extend(sentence_problems(key, sentence))

    if verbose:
        for key in sorted(pending_part):
            print(f"waiting for a log site: {key}")
    for failure in failures:
        print(failure)
    print(f"{len(used)} logged keys, {len(logged_part)} logged and {len(pending_part)} waiting sentences")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
