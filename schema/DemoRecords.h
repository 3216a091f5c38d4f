#pragma once

#include "schema/DemoCatalogue.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QTime>

class DemoRandom;
class SqliteDatabase;

// Writes realistic records of the calibration schema, one business event at a time (an item
// received, a calibration with its standards and results, a move, a repair), through SQL so
// that the change-log triggers see them. Keys start with the origin ("" for the master,
// "F7" for a field unit), so records made apart never share a key.
class DemoRecords
{
public:
    struct Item
    {
        QString mtag;
        QString asset;
        QString ktag;
        int kind = 0; // index into DemoCatalogue::instrumentKinds()
        int intervalMonths = 12;
    };

    struct Calibration
    {
        QString ctag;
        QDate date;
        QTime start;
    };

    struct Options
    {
        bool withResults = true;    // full results
        bool withRawResults = true; // raw results
        int c2339 = 0;
        QString technician;
        QString remarks; // empty for none
    };

    DemoRecords(SqliteDatabase& db, DemoRandom& random, const QString& origin);

    // The next key of a kind ("MT" items, "CA" calibrations, "LO" locations, "RP" repairs).
    QString nextKey(const QString& kind);
    // Continues key numbering after the keys a database already holds.
    void continueKeysFrom(SqliteDatabase& db);

    QString addCustomer(const DemoCatalogue::Customer& customer, const QString& number,
                        const QDate& since);
    Item addItem(int kind, const QString& asset, const QString& ktag, const QDate& received,
                 const QDate& nextDue, int calibrations);
    // A calibration with its standards, calibration results and, when asked, results.
    Calibration addCalibration(const Item& item, const QDate& date, const Options& options);
    // The same calibration event recorded under another key: same item, date and start.
    void addCalibrationAs(const QString& ctag, const Item& item, const QDate& date,
                          const QTime& start, const Options& options);
    QString addLocation(const Item& item, const QDate& date, const QString& place, int l2815,
                        const QString& mover);
    QString addRepair(const Item& item, const QDate& date, const QString& order, int r3246);

    // Reference standards that calibrations may use; addItem adds every standard it makes.
    void addStandard(const Item& item);
    const QList<Item>& standards() const { return m_standards; }

    static int kindOfModel(const QString& model);
    // Items already in a database, in key order; the condition is an SQL expression over
    // inventory ("i4207 = 1"), or empty for all.
    static QList<Item> loadItems(SqliteDatabase& db, const QString& condition = QString());

private:
    QTime calibrationStart();
    void addStandardsUsed(const QString& ctag, const Item& item, const QDate& date);
    void addResults(const QString& ctag, const Item& item, const QDate& date, const QTime& start,
                    const Options& options);

    SqliteDatabase& m_db;
    DemoRandom& m_random;
    QString m_origin;
    QHash<QString, int> m_counters;
    QList<Item> m_standards;
    int m_certificate = 20000;
};
