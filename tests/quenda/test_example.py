"""The example script solves every example model; its printed results are
checked against closed forms."""
import math
import pathlib
import re
import subprocess
import sys

import pytest

EXAMPLE = pathlib.Path(__file__).resolve().parents[2] / "examples" / "solve.py"


def results():
    """{title: {name: value}} from the example's output."""
    done = subprocess.run([sys.executable, str(EXAMPLE)], capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stdout + done.stderr
    found = {}
    for line in done.stdout.splitlines():
        if title := re.fullmatch(r"(.+): OK", line):
            values = found.setdefault(title[1], {})
        else:
            name, value = re.fullmatch(r"  ([#'\w]+) = (.+)", line).groups()
            values[name] = complex(value)
    return found


def test_the_example_models_solve_to_their_closed_forms():
    found = results()
    current = 10 / ((3 + 4j) + (6 - 8j))
    expected = {
        "circle (static real)": {"x": 4, "y": 3},
        "ac_divider (static complex)": {"I": current, "U": current * (6 - 8j)},
        "square_root (static complex)": {"z": 2j},
        "circle with r = 29": {"x": 21, "y": 20},
        # The weighted normal equations [4 8; 8 18] (a, b) = (11.91, 27.75).
        "line_fit (measurement real)": {"a": -0.9525, "b": 1.965},
        # With a = 1 - b the misfit 2 (b - 1.97)^2 + (2 b - 3.95)^2 is least at b = 5.92 / 3.
        "line_fit_constrained (measurement real)": {"a": 1 - 5.92 / 3, "b": 5.92 / 3},
        # The measurements were computed from this voltage.
        "two_bus_voltage (measurement complex)": {"V": 0.98 - 0.05j},
        # Fifty steps of RK6 over five time constants: within 1e-11 of the
        # closed form. Heun's factor per step is 1 - k h + (k h)^2 / 2.
        "rc_charge (dynamic dae)": {"u": 10 * (1 - math.exp(-5)), "i": 10 * math.exp(-5) / 1000},
        "cooling (dynamic ode)": {"T": 20 + 70 * (1 - 0.025 + 0.025**2 / 2) ** 120},
        # Implicit Euler steps the closed loop 1/(s + 1) as y_n = (y_(n-1) + h)/(1 + h).
        "pi_loop (dynamic dae)": {"y": 1 - 1.01**-500, "err": 1.01**-500},
    }
    for title, values in expected.items():
        # A model with conjugate variables also prints #V, the conjugate of
        # V, a Runge-Kutta model its stage variables (u#k1 ...), and a
        # transfer function its states (y'x1 ...).
        assert {name: found[title][name] for name in values} == pytest.approx(values, abs=1e-8), title
    # Kepler's equation E - 0.5 sin E = 1 has no closed form: check the residual.
    anomaly = found["kepler (static real)"]["E"].real
    assert anomaly - 0.5 * math.sin(anomaly) == pytest.approx(1, abs=1e-9)
    assert set(found) == set(expected) | {"kepler (static real)"}
