#include "accounting/uAccBalanceRead.h"

#include <cstdio>

namespace fb = platform::firebird;

namespace balanceread {

bool isBlank(const std::string& s)
{
    return s.find_first_not_of(' ') == std::string::npos;
}

std::string twoDigits(int n)
{
    char b[16];
    std::snprintf(b, sizeof b, "%2.2d", n);
    return b;
}

bool debitNature(int taishaku)
{
    return taishaku == 1 || taishaku == 4;
}

void setStatement(fb::Query& q, const std::string& sql)
{
    q.close();
    q.sql().clear();
    q.sql().add(sql);
}

void bindNamed(fb::Query& q, std::initializer_list<NamedArg> args)
{
    for (std::size_t i = 0; i < q.paramCount(); ++i) {
        fb::Param& p = q.param(i);
        for (const NamedArg& a : args) {
            if (p.name() != a.name)
                continue;
            if (const auto* n = std::get_if<std::int32_t>(&a.value))
                p.setInteger(*n);
            else
                p.setString(std::get<std::string>(a.value));
            break;
        }
    }
}

TAccountColumns::TAccountColumns(fb::Query& q, bool standardLayout)
    : user(q.fieldByName("USERCODE"))
    , kcode(q.fieldByName("KCODE"))
    , kname(q.fieldByName("KNAME"))
    , bspl(q.fieldByName("BSPL"))
    , taishaku(q.fieldByName("TAISHAKU"))
    , opening(q.fieldByName("KAISIZAN"))
    , hojcnt(standardLayout ? &q.fieldByName("HOJCNT") : nullptr)
    , mstrec(standardLayout ? nullptr : &q.fieldByName("MSTREC"))
    , subrec(standardLayout ? nullptr : &q.fieldByName("SUBREC"))
    , kar(numberedFields(q, "KAR", 16))
    , kas(numberedFields(q, "KAS", 16))
{
}

std::vector<fb::Field*> numberedFields(fb::Query& q, const std::string& prefix, int last)
{
    std::vector<fb::Field*> fields(std::size_t(last) + 1, nullptr);
    for (int n = 1; n <= last; ++n)
        fields[std::size_t(n)] = &q.fieldByName(prefix + twoDigits(n));
    return fields;
}

std::optional<PeriodSpan> pastYearSpan(int nendo, int startPeriod)
{
    switch (nendo) {
    case 0:
        return PeriodSpan {1, startPeriod - 1};
    case 1:
        return PeriodSpan {-15, 16};
    case 2:
        return PeriodSpan {-31, 16};
    default:
        return std::nullopt;
    }
}

} // namespace balanceread
