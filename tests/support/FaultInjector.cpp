#include "tests/support/FaultInjector.h"

#include "db/DbErrors.h"

FaultInjector::Fault& FaultInjector::failWhen(TextPredicate matches, const DbError& error)
{
    Fault fault{Fault::Kind::Statement, std::move(matches), error, {}, 0, -1, false};
    m_faults.push_back(fault);
    return m_faults.back();
}

FaultInjector::Fault& FaultInjector::failOpen(const DbError& error)
{
    Fault fault{Fault::Kind::Open, {}, error, {}, 0, -1, false};
    m_faults.push_back(fault);
    return m_faults.back();
}

FaultInjector::TextPredicate FaultInjector::textContains(const QString& fragment)
{
    return [fragment](const QString& text) { return text.contains(fragment, Qt::CaseInsensitive); };
}

FaultInjector::TextPredicate FaultInjector::textEquals(const QString& expected)
{
    return [expected](const QString& text) { return text == expected; };
}

DbError FaultInjector::lostConnection()
{
    return DbErrors::notConnected();
}

std::optional<FaultInjector::Fault> FaultInjector::statementFault(const QString& dataSource,
                                                                  const QString& text)
{
    return take(Fault::Kind::Statement, dataSource, text);
}

std::optional<FaultInjector::Fault> FaultInjector::openFault(const QString& dataSource)
{
    return take(Fault::Kind::Open, dataSource, QString());
}

std::optional<FaultInjector::Fault> FaultInjector::take(Fault::Kind kind, const QString& dataSource,
                                                        const QString& text)
{
    for (Fault& fault : m_faults) {
        if (fault.kind != kind || fault.times == 0)
            continue;
        if (!fault.dataSource.isEmpty() &&
            fault.dataSource.compare(dataSource, Qt::CaseInsensitive) != 0)
            continue;
        if (kind == Fault::Kind::Statement && !(fault.matches && fault.matches(text)))
            continue;
        if (fault.skip > 0) {
            --fault.skip;
            continue;
        }
        if (fault.times > 0)
            --fault.times;
        ++m_injected;
        return fault;
    }
    return std::nullopt;
}
