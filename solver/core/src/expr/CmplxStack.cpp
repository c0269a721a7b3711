#include <expr/CmplxStack.h>

#if SL_COMPLEX
#include <mu/Assert.h>

namespace SL_NS
{
using T = Token::Type;

void CmplxStack::bind(TokenList* pList, mem::Manager<TokenList::_tEntry, 65536>* pPool,
                      std::vector<std::uint16_t>* pColumns)
{
    _pList = pList;
    _pPool = pPool;
    _pColumns = pColumns;
    reset();
}

void CmplxStack::reset()
{
    _values[0] = _values[1] = 0;
    _complexTokenTypes[0] = _complexTokenTypes[1] = None;
    _leadingOperator = None;
    _middleOperator = None;
    _count = 0;
}

void CmplxStack::setLeadingOperator(Token::Type t)
{
    const bool canLead = t == T::OPEN_PARENTHESIS || isSign(t) || t == None;
    _leadingOperator = canLead ? t : T::NONE;
}

bool CmplxStack::addValuePart(Token::Type type, double value, std::uint16_t column)
{
    if (_leadingOperator == T::NONE)
        return false;
    if (_count == 0)
    {
        if (_middleOperator != None)
            return false;
        _values[0] = value;
        _columns[0] = column;
        _complexTokenTypes[0] = type;
        _count = 1;
        return true;
    }
    if (_count == 2 || _middleOperator == None)
    {
        // A literal right after a literal or a constant: no pair starts here.
        transferToTokenList(_count == 2);
        _leadingOperator = T::NONE;
        return false;
    }
    const bool imaginary = type == T::IMAGINARY;
    if (imaginary != (_complexTokenTypes[0] == T::IMAGINARY))
    {
        _values[1] = value;
        _columns[1] = column;
        _complexTokenTypes[1] = type;
        _count = 2;
        return true;
    }
    // Two literals of one kind: the first goes out with its operator, which
    // then leads the pair the new literal may start.
    const Token::Type middle = _middleOperator;
    transferToTokenList(false);
    _leadingOperator = middle;
    _values[0] = value;
    _columns[0] = column;
    _complexTokenTypes[0] = type;
    _count = 1;
    return true;
}

bool CmplxStack::addOperator(Token::Type type, bool& error, std::uint16_t column)
{
    if (_count == 2)
    {
        const bool endsPair =
            type == T::CLOSE_PARENTHESIS || type == T::SEMICOLON || type == T::END_OF_LINE || isSign(type);
        transferToTokenList(endsPair);
        setLeadingOperator(type);
        return false;
    }
    if (_count == 1)
    {
        if (!isSign(type))
        {
            transferToTokenList(false);
            setLeadingOperator(type);
            return false;
        }
        if (_middleOperator != None)
        {
            error = true;
            return false;
        }
        _middleOperator = type;
        _middleColumn = column;
        return true;
    }
    setLeadingOperator(type);
    return false;
}

bool CmplxStack::transferToTokenList(bool merge)
{
    if (merge && _count == 2)
    {
        MU_ASSERT_MSG(_complexTokenTypes[0] != _complexTokenTypes[1], "_complexTokenTypes[0] != _complexTokenTypes[1]");
        // The sign of the second literal follows from the operator between the
        // two and from a minus in front of the pair: x - 3 + 4i is x - (3 - 4i).
        const bool negate = (_middleOperator == T::MINUS) != (_leadingOperator == T::MINUS);
        const double second = negate ? -_values[1] : _values[1];
        const bool firstImaginary = _complexTokenTypes[0] == T::IMAGINARY;
        append(T::COMPLEX, firstImaginary ? Value(second, _values[0]) : Value(_values[0], second), _columns[0]);
    }
    else
    {
        for (std::uint8_t i = 0; i < _count; ++i)
        {
            const bool imaginary = _complexTokenTypes[i] == T::IMAGINARY;
            append(_complexTokenTypes[i], imaginary ? Value(0, _values[i]) : Value(_values[i], 0), _columns[i]);
            if (i == 0 && _middleOperator != None)
                append(_middleOperator, Value(), _middleColumn);
        }
    }
    reset();
    _leadingOperator = T::NONE;
    return true;
}

void CmplxStack::append(Token::Type type, Value value, std::uint16_t column)
{
    Token token;
    token.value = value;
    token.type = type;
    _pList->push_back(*_pPool, token);
    _pColumns->push_back(column);
}
} // namespace SL_NS
#endif
