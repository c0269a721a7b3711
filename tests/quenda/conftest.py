"""Model texts and helpers shared by the tests of the Quenda module."""
import Quenda
import pytest

# x^2 + y^2 = r^2 cut by the line x - y = 1. Substituting y = x - 1 gives
# x^2 - x - (r^2 - 1)/2 = 0: (4, 3) for r = 5 and (21, 20) for r = 29.
# x and r are output symbols; k is read by nothing.
CIRCLE = """Header:
end
Model [type = NL]
Vars
  x = 1 [out = true]
  y = 2
Params
  r = 5 [out = true]
  k = 7
NLEs
  x^2 + y^2 = r^2
  x - y = 1
end
"""

# z^2 + 4 = 0 from 1 + i: Newton converges to the root 2i.
SQUARE_ROOT_OF_MINUS_FOUR = """Header:
end
Model [type = NL, domain = cmplx]
Vars [conj = false]
  z = 1 + 1i
NLEs
  z*z + 4 = 0
end
"""


def vector(cls, values):
    """A vector of the given class holding the given values."""
    v = cls(len(values))
    for i, value in enumerate(values):
        v[i] = value
    return v


@pytest.fixture
def circle():
    model = Quenda.createRealStaticModel(Quenda.StaticProblem.NLE)
    assert model.initFromString(CIRCLE)
    return model
