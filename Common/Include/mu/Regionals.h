#pragma once
// The conventions of one locale: separators, date and time patterns compiled
// into lists of entries, day and month names, and a text buffer of its own
// into which numbers are formatted. Every formatting call (and a colour name
// written for a colour without one) overwrites that buffer.
#include <cstdint>

#include <cnt/Array.h>
#include <cnt/PushBackVector.h>
#include <td/Date.h>
#include <td/Decimal.h>
#include <td/FormatFloat.h>
#include <td/PascalString.h>
#include <td/Time.h>
#include <td/Types.h>
#include <td/Variant.h>

namespace mu
{
class Regionals
{
public:
    // One entry of a date form. kind: 0 year, 1 two-digit year, 2 month
    // number, 3 month name, 4 month short name, 5 day number, 6 day name, 7
    // day short name, 8 literal. text: the component's printf format ("%d",
    // "%02d", "%s") or the literal text.
    struct _tDateFmt
    {
        td::UINT4 kind = 0;
        td::PascalString<0> text;
    };

    // One entry of a time form. kind: 0 hour of the 12-hour clock, 1 hour of
    // the 24-hour clock, 2 minutes, 3 seconds, 4 fraction ("%d" or "%03d"), 5
    // day-half designator, 6 literal.
    struct _tTimeFmt
    {
        td::UINT4 kind = 0;
        td::PascalString<0> text;
    };

    using DateFormat = cnt::PushBackVector<_tDateFmt>;
    using TimeFormat = cnt::PushBackVector<_tTimeFmt>;

    // Patterns: 'd', 'm', 'y' (either case) for dates, a run's length
    // choosing the form ("dd" two digits, "ddd" short name, "dddd" name),
    // quoted text literal; 'H' (24-hour), 'h' (12-hour), 'm', 's', 'u'
    // (fraction) and 't' (designator, only after an 'h') for times. Any other
    // character is a literal of its own. The short patterns also give the
    // own forms, with dateSeparator and timeSeparator between components. A
    // time pattern with a second hour field gives no entries. buffLen must
    // exceed 60.
    Regionals(const char* name, int buffLen, char decimalSeparator, char thousandsSeparator, const char* dateShort,
              const char* dateLong, const char* dateSeparator, const char* timeShort, const char* timeLong,
              const char* timeSeparator, char thirdSeparator, const char* dateOrder);
    ~Regionals();
    Regionals(const Regionals&) = delete;
    Regionals& operator=(const Regionals&) = delete;

    // i counts from Sunday (0 to 6) and from January (0 to 11).
    void setDayName(int i, const char* name);
    void setDayShortName(int i, const char* name);
    void setMonthName(int i, const char* name);
    void setMonthShortName(int i, const char* name);

    const char* getDayName(int i) const { return _dayNames[i].c_str(); }
    const char* getDayShortName(int i) const { return _dayShortNames[i].c_str(); }
    const char* getMonthName(int i) const { return _monthNames[i].c_str(); }
    const char* getMonthShortName(int i) const { return _monthShortNames[i].c_str(); }

    const char* getName() const { return _name.c_str(); }
    // Rotate left by 5 and xor each byte taken as a signed char, from 0.
    uint32_t getNameHash() const { return _nameHash; }
    char getDecimalSeparator() const { return _decimalSeparator; }
    char getThousandsSeparator() const { return _thousandsSeparator; }
    char getThirdSeparator() const { return _thirdSeparator; }
    // Three characters, "dmy" from every creator.
    const char* getDateOrder() const { return _dateOrder; }
    const char* getEraDesignator() const { return _eraDesignator.c_str(); }
    const char* getAMDesignator() const { return _amDesignator.c_str(); }
    const char* getPMDesignator() const { return _pmDesignator.c_str(); }

    // An unknown form gives the locale's short one.
    const DateFormat& getDateFormat(td::Date::Format format) const;
    const TimeFormat& getTimeFormat(td::Time::Format format) const;

    // The buffer of buffLen bytes: formatted text stands at its start; bytes
    // from 32 on are the scratch area. The print limit is buffLen - 33.
    char* getBuffer() { return _buffer; }
    const char* getText() const { return _buffer; }
    int getPrintLimit() const { return _printLimit; }

    // Number formatting. A result is the length of the text written (without
    // its NUL), or -1 when the text did not fit and was cut. With group, the
    // integer digits get the thousands separator between groups of three.

    // value / 10^N with N decimals, into the buffer; N = 0 to 4.
    template <int N>
    int format(const td::Decimal<td::LINT8, N>& value, bool group, const char* suffix);

    // value with nDec decimals (fixed notation with nDec < 0: six) into out,
    // at most bufLen - 1 characters, the locale's decimal separator in place
    // of the point. A magnitude above 1e15 (1e7 for float) prints as stars
    // ("*" or "*." and nDec stars), one below 1e-15 (1e-7) as 0. tmp is the
    // scratch of bufLen bytes; out lies apart from it or 32 bytes or more
    // before it, as in the buffer. bufLen must exceed nDec. T = float or
    // double.
    template <typename T>
    int formatFloat(char* out, char* tmp, T value, int nDec, int bufLen, bool group, td::FormatFloat format,
                    const char* suffix);

    // The conversion of formatFloat, with '.' as the point, into buf of
    // bufLen bytes (at most bufLen - 2 characters and the NUL).
    template <typename T>
    int convertFloat(char* buf, T value, int nDec, int bufLen, td::FormatFloat format, const char* suffix);

    // value printed with format ("%lld" for long long, "%llu" for unsigned
    // long long) and the suffix into out, at most bufLen - 1 characters; tmp
    // as for formatFloat.
    template <typename T>
    int formatInt(char* out, char* tmp, T value, const char* format, int bufLen, bool group, const char* suffix);

private:
    template <typename T>
    bool isAboveLimit(T magnitude) const;
    template <typename T>
    bool isBelowLimit(T magnitude) const;

    // Copies text to out, with the thousands separator between groups of
    // three integer digits when group is set and there are four or more;
    // out holds at most limit - 1 characters and a NUL. The length, or -1
    // when the text was cut.
    int copyGrouped(char* out, const char* text, bool group, int limit) const;

    td::PascalString<1> _name;
    int _printLimit;
    uint32_t _nameHash;
    float _maxDouble = 1e15f;
    float _minDouble = 1e-15f;
    float _maxFloat = 1e7f;
    float _minFloat = 1e-7f;
    int _copyLimit;
    char _decimalSeparator;
    char _thousandsSeparator;
    char _thirdSeparator;
    char _dateOrder[4] = {};
    char* _buffer;
    td::PascalString<1> _eraDesignator {"BC"};
    td::PascalString<1> _amDesignator {"AM"};
    td::PascalString<1> _pmDesignator {"PM"};
    cnt::Array<DateFormat, 5> _dateFormats;
    cnt::Array<TimeFormat, 5> _timeFormats;
    cnt::Array<td::PascalString<1>, 12> _monthNames;
    cnt::Array<td::PascalString<1>, 12> _monthShortNames;
    cnt::Array<td::PascalString<1>, 7> _dayNames;
    cnt::Array<td::PascalString<1>, 7> _dayShortNames;
};

// Formats value into reg's buffer by its type: reals by formatFloat,
// decimals by format (nDec must be the value's own precision), unsigned
// integers with "%llu", every other type as a long long with "%lld". The
// length of the text; 0 when nothing was written (no regional formats, a
// value without a type, a decimal of another precision); -1 when it did not
// fit.
int formatVariant(Regionals* reg, const td::Variant& value, int nDec, bool group, td::FormatFloat format,
                  const char* suffix);
} // namespace mu
