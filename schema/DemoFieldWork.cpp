#include "schema/DemoFieldWork.h"

#include "schema/DemoClock.h"
#include "schema/DemoNames.h"
#include "schema/DemoRandom.h"
#include "schema/DemoRecords.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"

namespace {

const QVariant Null;

class FieldWork
{
public:
    FieldWork(SqliteDatabase& db, const DemoOptions& options,
              const DemoMasterData::LaterWork& later, const DemoFieldWork::ActAs& actAs)
        : m_db(db), m_options(options), m_later(later), m_actAs(actAs), m_random(options.seed + 2),
          m_records(db, m_random, DemoNames::fieldOrigin)
    {
        m_records.continueKeysFrom(db);
        for (const DemoRecords::Item& standard :
             DemoRecords::loadItems(db, QStringLiteral("i4207 = 1")))
            m_records.addStandard(standard);
        m_existing = DemoRecords::loadItems(db, QStringLiteral("i4207 = 0 AND i4206 = 'A'"));
        if (m_existing.size() < 4)
            throw SchemaError(QStringLiteral(
                "The demo master has too few working items for field work; ask for more items."));
    }

    void inserts();
    void updates();
    void deletes();

private:
    QDate day(int n) const { return DemoClock::copyDay().addDays(n); }
    // Existing items, taken in a fixed shuffled order so that no item is picked twice.
    DemoRecords::Item nextExisting()
    {
        if (m_order.isEmpty()) {
            for (int i = 0; i < m_existing.size(); ++i)
                m_order.insert(m_random.between(0, int(m_order.size())), i);
        }
        return m_existing.at(m_order.at(m_next++ % m_order.size()));
    }
    QString firstKey(const QString& sql) { return m_db.scalar(sql).toString(); }
    // The first row of a query that the master's records must answer.
    QVariantList firstRow(const QString& what, const QString& sql)
    {
        const QVariantList row = m_db.rows(sql).value(0);
        needRow(what, row.value(0).toString());
        return row;
    }
    void needRow(const QString& what, const QString& key)
    {
        if (key.isEmpty())
            throw SchemaError(
                QStringLiteral("The demo master has no %1 for the field work; ask for more items.")
                    .arg(what));
    }

    SqliteDatabase& m_db;
    const DemoOptions& m_options;
    const DemoMasterData::LaterWork& m_later;
    const DemoFieldWork::ActAs& m_actAs;
    DemoRandom m_random;
    DemoRecords m_records;
    QList<DemoRecords::Item> m_existing;
    QList<int> m_order;
    int m_next = 0;
    QList<DemoRecords::Item> m_newItems;
    QStringList m_newCalibrations;
};

void FieldWork::inserts()
{
    m_actAs(QStringLiteral("anna"));
    const QString oneil = m_records.addCustomer(
        {QStringLiteral("O'Neil Instruments Ltd"), QStringLiteral("3 Lapp's Quay"),
         QStringLiteral("Cork"), QStringLiteral("T12 X2Y4"), QStringLiteral("Ireland"),
         QStringLiteral("+353 21 555 0188"), QString()},
        QStringLiteral("O'NEIL"), day(1));
    // The customer the master registered meanwhile, registered again in the field.
    const QString sameCustomer =
        m_records.addCustomer(m_later.customer, m_later.customerNumber, day(1));

    QStringList ktags;
    for (const QVariantList& row : m_db.rows(
             QStringLiteral("SELECT ktag FROM customers WHERE ktag LIKE '%:HQ' ORDER BY ktag")))
        ktags.append(row.first().toString());

    struct NewItem
    {
        int kind;
        QString asset;
        QString ktag;
    };
    QList<NewItem> plan = {
        {9, QStringLiteral("O'NEIL-01"), oneil},
        // The item the master registered meanwhile, typed in lower case in the field.
        {m_later.assetKind, m_later.asset.toLower(), sameCustomer},
    };
    QList<int> working;
    for (int k = 0; k < DemoCatalogue::instrumentKinds().size(); ++k)
        if (!DemoCatalogue::instrumentKinds().at(k).standard)
            working.append(k);
    const int extra = qMax(2, m_options.items / 30);
    for (int i = 1; i <= extra; ++i)
        plan.append(
            {m_random.pick(working), QStringLiteral("FX-%1").arg(30000 + i), m_random.pick(ktags)});
    plan.append({6, QStringLiteral("FX-S-01"), ktags.first()}); // a new reference standard

    for (const NewItem& p : plan) {
        const auto& kind = DemoCatalogue::instrumentKinds().at(p.kind);
        if (kind.standard)
            continue; // made last, so that the new items' calibrations cannot use it yet
        m_newItems.append(m_records.addItem(p.kind, p.asset, p.ktag, day(1),
                                            day(1).addMonths(kind.intervalMonths), 1));
    }
    const DemoRecords::Item newStandard = m_records.addItem(
        plan.last().kind, plan.last().asset, plan.last().ktag, day(2), day(2).addMonths(12), 0);

    // New items travel with their first calibration, move and (some) repair.
    int n = 0;
    for (const DemoRecords::Item& item : m_newItems) {
        DemoRecords::Options calibration;
        calibration.technician = QStringLiteral("anna");
        calibration.c2339 = 1;
        calibration.withResults = true;
        calibration.withRawResults = n % 2 == 0;
        calibration.remarks =
            n == 0 ? QStringLiteral("First calibration on receipt – Prüfung bestanden.")
                   : QString();
        m_newCalibrations.append(m_records.addCalibration(item, day(2), calibration).ctag);
        m_records.addLocation(item, day(2), QStringLiteral("Customer site"), 1,
                              QStringLiteral("anna"));
        if (n++ % 2 == 0)
            m_records.addRepair(item, day(3),
                                QStringLiteral("FR-2024-%1").arg(n, 3, 10, QLatin1Char('0')), 1);
    }

    // Existing items calibrated in the field; some must travel with the record, most need not.
    const int calibrations = qMax(4, m_options.items / 20);
    for (int i = 0; i < calibrations; ++i) {
        DemoRecords::Options calibration;
        calibration.technician = i % 3 == 2 ? QStringLiteral("ben") : QStringLiteral("anna");
        calibration.c2339 = i % 2;
        calibration.withResults = i % 2 == 0;
        calibration.withRawResults = i % 3 == 0;
        m_newCalibrations.append(
            m_records.addCalibration(nextExisting(), day(3 + i % 5), calibration).ctag);
    }
    // The new standard at work, on an existing item of its discipline or any other.
    {
        const QString ctag = m_newCalibrations.last();
        const QString item =
            firstKey(QStringLiteral("SELECT mtag FROM calibration WHERE ctag = '%1'").arg(ctag));
        // The calibration may have picked the new standard already among its own.
        if (m_db.scalar(
                    QStringLiteral("SELECT count(*) FROM standards WHERE ctag = ? AND c2430 = ?"),
                    {ctag, newStandard.mtag})
                .toInt() == 0)
            m_db.insert(QStringLiteral("standards"),
                        {{QStringLiteral("ctag"), ctag},
                         {QStringLiteral("c2430"), newStandard.mtag},
                         {QStringLiteral("mtag"), item},
                         {QStringLiteral("c2431"), newStandard.asset},
                         {QStringLiteral("c2432"), DemoClock::date(day(2).addMonths(12))},
                         {QStringLiteral("c2433"), Null},
                         {QStringLiteral("c2434"), 9}});
    }

    // The master's own later records, made again in the field under field keys.
    DemoRecords::Options repeat;
    repeat.technician = QStringLiteral("ben");
    m_records.addCalibrationAs(m_records.nextKey(QStringLiteral("CA")), m_later.calibratedItem,
                               m_later.calibrationDate, m_later.calibrationStart, repeat);
    m_records.addLocation(m_later.movedItem, m_later.moveDate, m_later.place, 0,
                          QStringLiteral("ben"));
    m_records.addRepair(m_later.repairedItem, m_later.repairDate, m_later.repairOrder, 0);

    const int moves = qMax(3, m_options.items / 30);
    for (int i = 0; i < moves; ++i)
        m_records.addLocation(nextExisting(), day(4 + i % 4),
                              m_random.pick(DemoCatalogue::places()), i == 0 ? 1 : 0,
                              QStringLiteral("anna"));
    const int repairs = qMax(2, m_options.items / 50);
    for (int i = 0; i < repairs; ++i)
        m_records.addRepair(nextExisting(), day(5 + i % 3),
                            QStringLiteral("FR-2024-%1").arg(100 + i), i % 2);

    m_actAs(QStringLiteral("mt"));
    m_db.insert(QStringLiteral("valfield"),
                {{QStringLiteral("fldnum"), 2810},
                 {QStringLiteral("val"), QStringLiteral("Field van 7 – Nørre Å")},
                 {QStringLiteral("valdesc"), QStringLiteral("Mobile laboratory")},
                 {QStringLiteral("seq"), 20}});
    m_db.insert(QStringLiteral("valfield"),
                {{QStringLiteral("fldnum"), 2504}, {QStringLiteral("val"), QStringLiteral("kPa")}});
    m_db.insert(QStringLiteral("vallinkdata"),
                {{QStringLiteral("root"), QStringLiteral("Fluke")},
                 {QStringLiteral("rootdata"), QStringLiteral("1587 FC")},
                 {QStringLiteral("linkfld"), 4204},
                 {QStringLiteral("linkdesc"), QStringLiteral("Insulation multimeter")},
                 {QStringLiteral("seq"), 9}});
    m_db.insert(QStringLiteral("vallinkdata"),
                {{QStringLiteral("root"), QStringLiteral("O'Neil Instruments")},
                 {QStringLiteral("rootdata"), QStringLiteral("PX-10")},
                 {QStringLiteral("linkfld"), 4204},
                 {QStringLiteral("linkdesc"), Null}});
}

void FieldWork::updates()
{
    m_actAs(QStringLiteral("anna"));
    // Two columns of one item: two UPD rows.
    m_db.update(QStringLiteral("inventory"),
                {{QStringLiteral("i4210"), DemoClock::date(day(30))},
                 {QStringLiteral("i4206"), QStringLiteral("I")}},
                {{QStringLiteral("mtag"), nextExisting().mtag}});
    m_db.update(QStringLiteral("inventory"),
                {{QStringLiteral("i4202"), QStringLiteral("Technician's spare – do not issue")}},
                {{QStringLiteral("mtag"), nextExisting().mtag}});
    m_db.update(QStringLiteral("inventory"),
                {{QStringLiteral("i4205"), Null},
                 {QStringLiteral("i4218"),
                  QStringLiteral("Gerät geprüft, Anzeige in Ordnung – ½ Skalenteil Drift.")}},
                {{QStringLiteral("mtag"), nextExisting().mtag}});
    m_db.update(QStringLiteral("inventory"),
                {{QStringLiteral("i4213"), 0.00042},
                 {QStringLiteral("i4216"), QStringLiteral("00:45:00")},
                 {QStringLiteral("i4219"), QByteArray::fromHex("04a224b2c3d4e5f6")},
                 {QStringLiteral("i4211"), 1234.5}},
                {{QStringLiteral("mtag"), nextExisting().mtag}});
    for (int i = 0; i < m_options.items / 50; ++i)
        m_db.update(QStringLiteral("inventory"),
                    {{QStringLiteral("i4210"), DemoClock::date(day(60 + i))}},
                    {{QStringLiteral("mtag"), nextExisting().mtag}});

    const QString calibration = firstKey(QStringLiteral(
        "SELECT ctag FROM calibration WHERE ctag NOT LIKE 'F7%' ORDER BY ctag LIMIT 1"));
    needRow(QStringLiteral("calibration"), calibration);
    m_db.update(QStringLiteral("calibration"),
                {{QStringLiteral("c2312"),
                  QStringLiteral("Certificate re-issued: customer's name corrected.")},
                 {QStringLiteral("c2304"), QStringLiteral("L")}},
                {{QStringLiteral("ctag"), calibration}});
    m_db.update(
        QStringLiteral("calibration"),
        {{QStringLiteral("c2306"), 21.5}, {QStringLiteral("c2333"), QStringLiteral("09:40:00")}},
        {{QStringLiteral("ctag"),
          firstKey(QStringLiteral("SELECT ctag FROM calibration WHERE ctag NOT LIKE 'F7%' ORDER BY "
                                  "ctag LIMIT 1 OFFSET 1"))}});

    const QVariantList standard =
        firstRow(QStringLiteral("standards row"),
                 QStringLiteral("SELECT ctag, c2430 FROM standards WHERE ctag NOT LIKE 'F7%' "
                                "ORDER BY ctag, c2430 LIMIT 1"));
    m_db.update(
        QStringLiteral("standards"),
        {{QStringLiteral("c2433"), QStringLiteral("Cert. 0123/7781 (replacement)")}},
        {{QStringLiteral("ctag"), standard.at(0)}, {QStringLiteral("c2430"), standard.at(1)}});

    const QVariantList point =
        firstRow(QStringLiteral("calibration result"),
                 QStringLiteral("SELECT ctag, c2502, c2505 FROM calresults WHERE ctag NOT LIKE "
                                "'F7%' ORDER BY ctag, c2502 LIMIT 1"));
    m_db.update(QStringLiteral("calresults"),
                {{QStringLiteral("c2506"), point.at(2).toDouble() * 1.0001},
                 {QStringLiteral("c2507"), point.at(2)}},
                {{QStringLiteral("ctag"), point.at(0)}, {QStringLiteral("c2502"), point.at(1)}});

    const QVariantList result =
        firstRow(QStringLiteral("full result"),
                 QStringLiteral("SELECT ctag, row_num FROM results WHERE ctag NOT LIKE 'F7%' "
                                "ORDER BY ctag, row_num LIMIT 1"));
    m_db.update(
        QStringLiteral("results"),
        {{QStringLiteral("f2605"), QStringLiteral("Operator's note: re-read after 10 s")}},
        {{QStringLiteral("ctag"), result.at(0)}, {QStringLiteral("row_num"), result.at(1)}});

    const QVariantList raw =
        firstRow(QStringLiteral("raw result"),
                 QStringLiteral("SELECT ctag, row_num, w2702 FROM results_raw WHERE ctag NOT LIKE "
                                "'F7%' ORDER BY ctag, row_num LIMIT 1"));
    m_db.update(QStringLiteral("results_raw"),
                {{QStringLiteral("w2702"), raw.at(2).toDouble() + 0.0005},
                 {QStringLiteral("w2704"), QByteArray(16, '\x7f')}},
                {{QStringLiteral("ctag"), raw.at(0)}, {QStringLiteral("row_num"), raw.at(1)}});

    m_actAs(QStringLiteral("ben"));
    const QString location = firstKey(QStringLiteral(
        "SELECT ltag FROM location WHERE ltag NOT LIKE 'F7%' ORDER BY ltag LIMIT 1"));
    m_db.update(
        QStringLiteral("location"),
        {{QStringLiteral("l2814"), QStringLiteral("Übergabe an Kunden – Lieferschein 2024/117")},
         {QStringLiteral("l2810"), QStringLiteral("Lab 3 – Temperature")}},
        {{QStringLiteral("ltag"), location}});
    const QString repair = firstKey(
        QStringLiteral("SELECT rtag FROM repair WHERE rtag NOT LIKE 'F7%' ORDER BY rtag LIMIT 1"));
    needRow(QStringLiteral("repair"), repair);
    m_db.update(
        QStringLiteral("repair"),
        {{QStringLiteral("r3232"),
          QStringLiteral(
              "Display replaced; the supplier's firmware 2.1 loaded.\nFunctional test passed.")},
         {QStringLiteral("r3233"), 412.8}},
        {{QStringLiteral("rtag"), repair}});

    const QString customer = firstKey(QStringLiteral(
        "SELECT ktag FROM customers WHERE ktag LIKE '%:HQ' ORDER BY ktag LIMIT 1 OFFSET 1"));
    m_db.update(QStringLiteral("customers"),
                {{QStringLiteral("k4607"), QStringLiteral("+44 161 496 0999")},
                 {QStringLiteral("k4608"), QStringLiteral("calibration@acme-pc.example")}},
                {{QStringLiteral("ktag"), customer}});
    m_db.update(QStringLiteral("customers"), {{QStringLiteral("k4603"), Null}},
                {{QStringLiteral("ktag"),
                  firstKey(QStringLiteral("SELECT ktag FROM customers WHERE ktag LIKE '%:HQ' ORDER "
                                          "BY ktag LIMIT 1 OFFSET 2"))}});

    m_actAs(QStringLiteral("mt"));
    m_db.update(QStringLiteral("valfield"),
                {{QStringLiteral("valdesc"), QStringLiteral("Inactive – kept in the store")}},
                {{QStringLiteral("fldnum"), 4206}, {QStringLiteral("val"), QStringLiteral("I")}});
    m_db.update(QStringLiteral("vallinkdata"),
                {{QStringLiteral("linkdesc"), QStringLiteral("Digital multimeter, true RMS")}},
                {{QStringLiteral("root"), QStringLiteral("Fluke")},
                 {QStringLiteral("rootdata"), QStringLiteral("87V")}});

    if (!m_newItems.isEmpty()) {
        // A record made in the field and corrected before it ever travelled.
        m_actAs(QStringLiteral("anna"));
        m_db.update(QStringLiteral("inventory"),
                    {{QStringLiteral("i4202"),
                      QStringLiteral("Pressure transmitter 0–10 bar (customer's)")}},
                    {{QStringLiteral("mtag"), m_newItems.first().mtag}});
    }
}

void FieldWork::deletes()
{
    m_actAs(QStringLiteral("anna"));
    // Made by mistake and taken back: INS and DEL of the same key.
    const QString walkIn =
        m_records.addCustomer({QStringLiteral("Walk-in customer"), QString(), QString(), QString(),
                               QString(), QString(), QString()},
                              QStringLiteral("WALKIN-1"), day(6));
    m_db.remove(QStringLiteral("customers"), {{QStringLiteral("ktag"), walkIn}});
    const DemoRecords::Item mistake =
        m_records.addItem(0, QStringLiteral("FX-DEL-1"), QString(), day(6), QDate(), 0);
    m_db.remove(QStringLiteral("inventory"), {{QStringLiteral("mtag"), mistake.mtag}});

    if (!m_newCalibrations.isEmpty()) {
        const QString ctag = m_newCalibrations.first();
        DemoRecords::Item standard = m_records.standards().first();
        for (const DemoRecords::Item& candidate : m_records.standards()) {
            if (m_db.scalar(QStringLiteral(
                                "SELECT count(*) FROM standards WHERE ctag = ? AND c2430 = ?"),
                            {ctag, candidate.mtag})
                    .toInt() == 0) {
                standard = candidate;
                break;
            }
        }
        m_db.insert(QStringLiteral("standards"), {{QStringLiteral("ctag"), ctag},
                                                  {QStringLiteral("c2430"), standard.mtag},
                                                  {QStringLiteral("c2431"), standard.asset},
                                                  {QStringLiteral("c2434"), 8}});
        m_db.remove(QStringLiteral("standards"),
                    {{QStringLiteral("ctag"), ctag}, {QStringLiteral("c2430"), standard.mtag}});
        m_db.insert(QStringLiteral("calresults"),
                    {{QStringLiteral("ctag"), ctag},
                     {QStringLiteral("c2502"), 99},
                     {QStringLiteral("c2503"), QStringLiteral("Spare point")}});
        m_db.update(QStringLiteral("calresults"), {{QStringLiteral("c2506"), 1.5}},
                    {{QStringLiteral("ctag"), ctag}, {QStringLiteral("c2502"), 99}});
        m_db.remove(QStringLiteral("calresults"),
                    {{QStringLiteral("ctag"), ctag}, {QStringLiteral("c2502"), 99}});
    }

    // An existing calibration corrected, then withdrawn with everything that hangs on it.
    const QString calibration = firstKey(QStringLiteral(
        "SELECT ctag FROM calibration c WHERE ctag NOT LIKE 'F7%' ORDER BY "
        "EXISTS (SELECT 1 FROM results r WHERE r.ctag = c.ctag) + "
        "EXISTS (SELECT 1 FROM results_raw w WHERE w.ctag = c.ctag) + "
        "EXISTS (SELECT 1 FROM standards s WHERE s.ctag = c.ctag) DESC, ctag DESC LIMIT 1"));
    needRow(QStringLiteral("calibration"), calibration);
    m_db.update(QStringLiteral("calibration"),
                {{QStringLiteral("c2312"), QStringLiteral("Withdrawn: wrong item scanned")}},
                {{QStringLiteral("ctag"), calibration}});
    for (const char* child : {"standards", "calresults", "results", "results_raw"})
        m_db.remove(QString::fromLatin1(child), {{QStringLiteral("ctag"), calibration}});
    m_db.remove(QStringLiteral("calibration"), {{QStringLiteral("ctag"), calibration}});
    // Single rows of the child tables, from other calibrations.
    for (const char* child : {"results", "results_raw"}) {
        const QVariantList row =
            firstRow(QString::fromLatin1(child),
                     QStringLiteral("SELECT ctag, max(row_num) FROM %1 WHERE ctag NOT LIKE 'F7%' "
                                    "GROUP BY ctag ORDER BY ctag DESC LIMIT 1")
                         .arg(QLatin1String(child)));
        m_db.remove(QString::fromLatin1(child),
                    {{QStringLiteral("ctag"), row.at(0)}, {QStringLiteral("row_num"), row.at(1)}});
    }

    const QString move =
        firstKey(QStringLiteral("SELECT ltag FROM location WHERE ltag NOT LIKE 'F7%' AND l2810 <> "
                                "'Goods in' ORDER BY ltag DESC LIMIT 1"));
    needRow(QStringLiteral("move"), move);
    m_db.remove(QStringLiteral("location"), {{QStringLiteral("ltag"), move}});
    const QString repair = firstKey(QStringLiteral(
        "SELECT rtag FROM repair WHERE rtag NOT LIKE 'F7%' ORDER BY rtag DESC LIMIT 1"));
    needRow(QStringLiteral("repair"), repair);
    m_db.update(QStringLiteral("repair"), {{QStringLiteral("r3235"), DemoClock::date(day(7))}},
                {{QStringLiteral("rtag"), repair}});
    m_db.remove(QStringLiteral("repair"), {{QStringLiteral("rtag"), repair}});

    m_actAs(QStringLiteral("mt"));
    m_db.remove(
        QStringLiteral("valfield"),
        {{QStringLiteral("fldnum"), 2810}, {QStringLiteral("val"), QStringLiteral("Quarantine")}});
    m_db.update(QStringLiteral("valfield"),
                {{QStringLiteral("val"), QStringLiteral("Sartorius Service GmbH")}},
                {{QStringLiteral("fldnum"), 3236},
                 {QStringLiteral("val"), QStringLiteral("Sartorius Service")}});
    m_db.remove(QStringLiteral("vallinkdata"),
                {{QStringLiteral("root"), QStringLiteral("Rigol")},
                 {QStringLiteral("rootdata"), QStringLiteral("DG1062Z")}});
}

} // namespace

void DemoFieldWork::run(SqliteDatabase& remote, const DemoOptions& options,
                        const DemoMasterData::LaterWork& later, const ActAs& actAs)
{
    using Remote = DemoOptions::Remote;
    if (options.remote == Remote::Untouched || options.remote == Remote::Unprepared)
        return;
    FieldWork work(remote, options, later, actAs);
    SqliteTransaction transaction(remote);
    if (options.remote == Remote::FieldWork || options.remote == Remote::InsertsOnly)
        work.inserts();
    if (options.remote == Remote::FieldWork || options.remote == Remote::UpdatesOnly)
        work.updates();
    if (options.remote == Remote::FieldWork)
        work.deletes();
    transaction.commit();
}
