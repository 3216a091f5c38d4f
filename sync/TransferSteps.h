#pragma once

#include "copy/CopyContext.h"
#include "db/Command.h"

#include <QString>
#include <functional>
#include <span>

class StatisticsSheet;

// What the transfers that gather rows into temporary tables on the Master Database share: one
// command per database, the statement last sent (for a report), the statistics sheet's status
// lines, and the mapping of gathered items onto the master's own keys.
class TransferSteps
{
protected:
    explicit TransferSteps(const CopyContext& context);

    // Binds one command to each of the user's connections.
    void bindCommands();
    // Shows a status: a phrase in Function and in Progress (0 leaves one as it is) and the
    // bar's value (-1 leaves it), then lets the windows repaint.
    void status(int function, int progress, int bar);
    // The first field of a count query, as a number (0 without a row).
    qint32 countOf(Command& command, const QString& statement);
    // The rows the statement changed.
    long execute(Command& command, const QString& statement);
    // Each returns false when the run must stop (a lost connection was reported).
    bool declare(const QString& table);
    bool copy(const QString& select, const QString& destTable, const QString& mode,
              long* inserted = nullptr);
    bool lost() const { return m_state.errorOccurred; }

    // A gathered dependant table, with the status shown before it is re-keyed (a progress
    // phrase of 0 leaves the line as it is).
    struct Rekeyed
    {
        int progress;
        int bar;
        const char* suffix;
        const char* table;
    };
    // The items of temp_inventory mapped onto the Master Database's keys, in three steps.
    // First a scratch row (asset, mtag, xtag) per gathered item, with the master's mtag taken
    // over into xtag for an asset number the master holds.
    bool mapScratchKeys();
    // Then the dependants, in order, of which `gathered` accepts, pointed at the mapped keys.
    // Only rows whose item was gathered are re-keyed; the others keep their mtag, so a row of
    // an item the master already has stays linked to it, and a true orphan is kept back by
    // the filter that follows (never inserted keyless).
    void rekeyDependants(std::span<const Rekeyed> dependants,
                         const std::function<bool(const Rekeyed&)>& gathered);
    // Last the items themselves.
    bool rekeyItems();
    // Points each gathered item whose key carries a customer prefix ("C9:...") at the
    // gathered customer with that prefix. An item key without ":" keeps its customer.
    static QString customerPrefixStatement();

    CopyContext m_context;
    SessionState& m_state;
    StatisticsSheet& m_sheet;
    Command m_remote;
    Command m_master;
    QString m_statement;
};
