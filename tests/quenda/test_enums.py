"""The enums: named members reached through their enum, conversion to and
from int, equality only within one enum."""
import pytest
import Quenda
from Quenda import DynamicProblem, ModelType, Solution, StaticProblem

MEMBERS = {
    Solution: {
        "OK": 0, "BaseOK": 1, "Iterating": 2, "LimitFix": 3, "NewPass": 4, "EmptyMatrix": 5,
        "FactorizationError": 6, "SolutionError": 7, "Oscillation": 8, "NoImprovement": 9,
        "MaximumIteration": 10,
        "SubmodelFailed": 11,
    },
    StaticProblem: {"NLE": 0, "WLS": 1},
    DynamicProblem: {"ODE": 0, "DAE": 1},
    ModelType: {"StaticReal": 0, "StaticComplex": 1, "DynamicReal": 2},
}


@pytest.mark.parametrize("enum", MEMBERS)
def test_members_and_their_values(enum):
    assert {name: int(member) for name, member in enum.__members__.items()} == MEMBERS[enum]
    for name, value in MEMBERS[enum].items():
        assert enum(value) == getattr(enum, name)
        assert not hasattr(Quenda, name)
    for value in (-1, 256):
        with pytest.raises(TypeError):
            enum(value)


def test_equality_only_within_one_enum_and_no_ordering():
    assert Solution.OK != 0 and not (Solution.OK == 0)
    assert StaticProblem.NLE != DynamicProblem.ODE
    assert StaticProblem(1) == StaticProblem.WLS
    with pytest.raises(TypeError):
        Solution.OK < Solution.BaseOK


def test_a_value_without_a_member_survives():
    # No solver returns 12: it has no member.
    twelve = Solution(12)
    assert int(twelve) == 12
    assert all(twelve != member for member in Solution.__members__.values())


def test_an_enum_argument_takes_only_a_member():
    with pytest.raises(RuntimeError):
        Quenda.createRealStaticModel(None)
    with pytest.raises(TypeError):
        Quenda.createRealStaticModel(0)
    with pytest.raises(TypeError):
        Quenda.createRealStaticModel(DynamicProblem.ODE)
    # A value without a member reaches the factory, which refuses it.
    with pytest.raises(RuntimeError, match="Failed to create the model"):
        Quenda.createRealStaticModel(StaticProblem(5))
