#pragma once

#include "db/DbError.h"

#include <QString>
#include <functional>
#include <list>
#include <optional>

// The failures a FailingConnection injects, shared by all connections of a
// FailingConnectionFactory so counts run across them.
//
//   auto faults = std::make_shared<FaultInjector>();
//   faults->failWhen(FaultInjector::textContains("insert into mt.calibration"),
//                    DbError(-193, "Primary key not unique", "23000")).onlyOn("VarrowMaster");
//   faults->failOpen(FaultInjector::lostConnection()).times = 9; // the tenth open succeeds
class FaultInjector
{
public:
    using TextPredicate = std::function<bool(const QString& text)>;

    struct Fault
    {
        enum class Kind
        {
            Statement,
            Open
        };
        Kind kind = Kind::Statement;
        TextPredicate matches; // statements only
        DbError error;
        QString dataSource;          // empty: every data source (DSN compared without case)
        int skip = 0;                // matches let through before the first failure
        int times = -1;              // failures before the fault is spent; -1: never spent
        bool dropConnection = false; // close the connection first, as a lost one would be

        Fault& onlyOn(const QString& dsn)
        {
            dataSource = dsn;
            return *this;
        }
    };

    // The returned fault stays valid while the injector lives, for onlyOn(), skip, times...
    // A statement whose text matches fails with `error` instead of reaching the engine.
    Fault& failWhen(TextPredicate matches, const DbError& error);
    // The connection fails to open: state stays 0, lastError() is `error`.
    Fault& failOpen(const DbError& error);

    static TextPredicate textContains(const QString& fragment); // without regard to case
    static TextPredicate textEquals(const QString& text);       // exactly
    // What the engine says when the connection went away mid-work.
    static DbError lostConnection();

    // For FailingConnection: the fault to inject now, if any (counts the match).
    std::optional<Fault> statementFault(const QString& dataSource, const QString& text);
    std::optional<Fault> openFault(const QString& dataSource);

    int injected() const { return m_injected; } // failures injected so far
    void clear() { m_faults.clear(); }

private:
    std::optional<Fault> take(Fault::Kind kind, const QString& dataSource, const QString& text);

    std::list<Fault> m_faults; // a list, so the references handed out stay valid
    int m_injected = 0;
};
