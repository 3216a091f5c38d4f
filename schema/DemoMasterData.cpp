#include "schema/DemoMasterData.h"

#include "schema/DemoClock.h"
#include "schema/DemoNames.h"
#include "schema/DemoRandom.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"

namespace {

const QVariant Null;

QString customerNumber(int n)
{
    return QStringLiteral("CU%1").arg(n, 4, 10, QLatin1Char('0'));
}

// Three letters of the customer's name start its items' asset numbers ("MÜL-10042").
QString assetPrefix(const QString& name)
{
    QString prefix;
    for (const QChar c : name) {
        if (c.isLetter())
            prefix += c.toUpper();
        if (prefix.size() == 3)
            break;
    }
    return prefix;
}

QStringList technicians()
{
    QStringList names;
    for (const DemoCatalogue::User& user : DemoCatalogue::users())
        if (user.login != QLatin1String("mt"))
            names.append(user.login);
    return names;
}

void addValidationData(SqliteDatabase& db)
{
    auto value = [&db](int field, const QString& val, const QString& description, int seq,
                       int active = 1) {
        db.insert(
            QStringLiteral("valfield"),
            {{QStringLiteral("fldnum"), field},
             {QStringLiteral("val"), val},
             {QStringLiteral("valdesc"), description.isEmpty() ? Null : QVariant(description)},
             {QStringLiteral("seq"), seq},
             {QStringLiteral("active"), active}});
    };
    value(4206, QStringLiteral("A"), QStringLiteral("Active"), 1);
    value(4206, QStringLiteral("I"), QStringLiteral("Inactive"), 2);
    value(4206, QStringLiteral("R"), QStringLiteral("Retired"), 3);
    value(2303, QStringLiteral("P"), QStringLiteral("Pass"), 1);
    value(2303, QStringLiteral("F"), QStringLiteral("Fail"), 2);
    value(2303, QStringLiteral("L"), QStringLiteral("Limited use"), 3);
    int seq = 0;
    for (const QString& place : DemoCatalogue::places())
        value(2810, place, QString(), ++seq);
    value(2810, QStringLiteral("Old store (closed)"), QStringLiteral("Do not use"), ++seq, 0);
    seq = 0;
    for (const QString& repairer : DemoCatalogue::repairers())
        value(3236, repairer, QString(), ++seq);

    QStringList manufacturers, units;
    for (const auto& kind : DemoCatalogue::instrumentKinds()) {
        if (!manufacturers.contains(kind.manufacturer))
            manufacturers.append(kind.manufacturer);
        if (!units.contains(kind.unit))
            units.append(kind.unit);
    }
    seq = 0;
    for (const QString& m : manufacturers)
        value(4203, m, QString(), ++seq);
    seq = 0;
    for (const QString& u : units)
        value(2504, u, QString(), ++seq);

    QHash<QString, int> modelSeq;
    for (const auto& kind : DemoCatalogue::instrumentKinds())
        db.insert(QStringLiteral("vallinkdata"),
                  {{QStringLiteral("root"), kind.manufacturer},
                   {QStringLiteral("rootdata"), kind.model},
                   {QStringLiteral("linkfld"), 4204},
                   {QStringLiteral("linkdesc"), kind.description},
                   {QStringLiteral("seq"), ++modelSeq[kind.manufacturer]}});
}

void addUsers(SqliteDatabase& db)
{
    int n = 0;
    for (const DemoCatalogue::User& user : DemoCatalogue::users())
        db.insert(
            QStringLiteral("userlist"),
            {{QStringLiteral("mtuser"), user.login},
             {QStringLiteral("i4240"), user.segregate},
             {QStringLiteral("mtlevel"), user.level},
             {QStringLiteral("i4241"), user.fullName},
             {QStringLiteral("i4242"), user.email.isEmpty() ? Null : QVariant(user.email)},
             {QStringLiteral("i4243"), DemoClock::date(QDate(2016, 1, 4).addMonths(7 * n++))}});
}

void addHistory(SqliteDatabase& db, const QString& host, const QString& type, const QDate& day,
                int newRecords, int modifications, const QString& comment)
{
    const QTime start(8, 10 + day.day(), 0);
    db.insert(QStringLiteral("qel_vr_transfer_log"),
              {{QStringLiteral("host_name"), host},
               {QStringLiteral("user_name"), QStringLiteral("mt")},
               {QStringLiteral("start_time"),
                DemoClock::date(day) + QLatin1Char(' ') + DemoClock::time(start)},
               {QStringLiteral("transfer_type"), type},
               {QStringLiteral("num_records"), newRecords},
               {QStringLiteral("num_mods"),
                type == QLatin1String("Synchronize") ? QVariant(modifications) : Null},
               {QStringLiteral("stop_time"),
                DemoClock::date(day) + QLatin1Char(' ') +
                    DemoClock::time(start.addSecs(60 + 7 * newRecords + 2 * modifications))},
               {QStringLiteral("inv_new"), newRecords / 6},
               {QStringLiteral("cal_new"), newRecords / 4},
               {QStringLiteral("std_new"), newRecords / 4},
               {QStringLiteral("resc_new"), newRecords - 3 * (newRecords / 4) - newRecords / 6},
               {QStringLiteral("user_account"), QStringLiteral("anna")},
               {QStringLiteral("comments"), comment}});
}

} // namespace

void DemoMasterData::fill(SqliteDatabase& db, const DemoOptions& options)
{
    DemoRandom random(options.seed);
    DemoRecords records(db, random, QString());
    const auto& kinds = DemoCatalogue::instrumentKinds();
    const QDate copyDay = DemoClock::copyDay();
    const QStringList staff = technicians();

    SqliteTransaction transaction(db);
    db.insert(QStringLiteral("dbconfig"),
              {{QStringLiteral("cfgid"), 1},
               {QStringLiteral("version"), options.schemaVersion},
               {QStringLiteral("dbremote"), 0},
               {QStringLiteral("dbsite"), QStringLiteral("Central Calibration Laboratory – Leeds")},
               {QStringLiteral("dbcreated"), QStringLiteral("2016-01-04 09:00:00.000")}});
    addUsers(db);
    addValidationData(db);

    const int customerCount = qMax(6, options.items / 25);
    QStringList ktags;
    for (int i = 0; i < customerCount; ++i) {
        DemoCatalogue::Customer customer =
            DemoCatalogue::customers().at(i % DemoCatalogue::customers().size());
        if (i >= DemoCatalogue::customers().size())
            customer.name +=
                QStringLiteral(" – Site %1").arg(i / DemoCatalogue::customers().size() + 1);
        const QDate since =
            i == 0 ? QDate(2008, 1, 2) : random.dateBetween(QDate(2010, 1, 1), QDate(2021, 12, 31));
        ktags.append(records.addCustomer(customer, customerNumber(i + 1), since));
    }

    QList<int> standardKinds, workingKinds;
    for (int k = 0; k < kinds.size(); ++k)
        (kinds.at(k).standard ? standardKinds : workingKinds).append(k);

    bool vintageDone = false;
    QString longNoteItem;
    for (int i = 1; i <= options.items; ++i) {
        int kind;
        if (i <= standardKinds.size())
            kind = standardKinds.at(i - 1); // every discipline has its reference standard
        else
            kind = random.chance(10) ? random.pick(standardKinds) : random.pick(workingKinds);
        const bool standard = kinds.at(kind).standard;

        int owner = 0;
        if (!standard && random.chance(40))
            owner = random.between(1, customerCount - 1);
        const QString ownerName =
            DemoCatalogue::customers().at(owner % DemoCatalogue::customers().size()).name;
        const QString asset = (owner == 0 ? QStringLiteral("QA") : assetPrefix(ownerName)) +
                              QStringLiteral("-%1").arg(10000 + i);

        const bool vintage = !standard && !vintageDone;
        // The first working items get a full history, so that even a small demo has every
        // kind of record for the field work to change.
        const bool full = !standard && i <= int(standardKinds.size()) + 3;
        QDate received = vintage ? QDate(1967, 4, 3)
                                 : random.dateBetween(QDate(2010, 1, 4), copyDay.addDays(-200));
        const int interval = kinds.at(kind).intervalMonths;
        QList<QDate> dates;
        if (vintage)
            dates.append(QDate(1968, 11, 5)); // transcribed from the paper register
        if (full || !random.chance(8)) {
            QDate next = qMax(received.addDays(random.between(7, 30)),
                              random.dateBetween(QDate(2017, 1, 2), QDate(2019, 12, 20)));
            while (next < copyDay.addDays(-1)) {
                dates.append(next);
                next = next.addMonths(interval).addDays(random.between(-15, 15));
            }
            while (dates.size() > 4)
                dates.removeAt(vintage ? 1 : 0);
        }
        const QDate due = dates.isEmpty() ? QDate() : dates.last().addMonths(interval);
        const DemoRecords::Item item =
            records.addItem(kind, asset, ktags.at(owner), received, due, int(dates.size()));
        if (vintage) {
            vintageDone = true;
            longNoteItem = item.mtag;
        }

        for (const QDate& date : dates) {
            DemoRecords::Options calibration;
            calibration.technician = standard ? QString() : random.pick(staff);
            calibration.remarks =
                standard ? QStringLiteral("Calibrated externally; accredited certificate on file.")
                : date.year() < 1970 ? QStringLiteral("Transcribed from the paper register.")
                : random.chance(20)
                    ? QStringLiteral("Customer's adapter used; see photo in the job folder.")
                    : QString();
            calibration.c2339 = random.chance(10) ? 1 : 0;
            calibration.withResults = full || random.chance(50);
            calibration.withRawResults = full || random.chance(40);
            records.addCalibration(item, date, calibration);
        }

        records.addLocation(item, received, QStringLiteral("Goods in"), 0, random.pick(staff));
        const int moves = full ? 2 : random.between(0, 2);
        QDate moved = received;
        for (int m = 0; m < moves && moved < copyDay.addDays(-30); ++m) {
            moved = random.dateBetween(moved.addDays(1), copyDay.addDays(-10));
            records.addLocation(item, moved, random.pick(DemoCatalogue::places()), 0,
                                random.pick(staff));
        }
        if (full || random.chance(12)) {
            const QDate day =
                random.dateBetween(qMax(received, QDate(2015, 1, 5)), copyDay.addDays(-10));
            records.addRepair(item, day,
                              QStringLiteral("RO-%1-%2")
                                  .arg(day.year())
                                  .arg(random.between(1, 899), 4, 10, QLatin1Char('0')),
                              0);
        }
    }

    if (!longNoteItem.isEmpty()) {
        // One long history note, longer than any ordinary text column can hold.
        QString note;
        for (int year = 1968; note.size() < 12000; ++year)
            note +=
                QStringLiteral(
                    "%1: checked against the laboratory's standard cell bank; drift within "
                    "the limits of the day. Ölbad-Temperatur 20,0 °C; Kalibrierschein abgelegt.\n")
                    .arg(year);
        db.update(QStringLiteral("inventory"), {{QStringLiteral("i4218"), note}},
                  {{QStringLiteral("mtag"), longNoteItem}});
    }

    addHistory(db, QStringLiteral("FIELD-LAPTOP-03"), QStringLiteral("Merged"), QDate(2023, 11, 13),
               214, 0, QStringLiteral("All records merged"));
    addHistory(db, DemoNames::remote.machine, QStringLiteral("Replicate"), QDate(2024, 1, 8), 0, 0,
               QStringLiteral("Remote database created"));
    addHistory(db, DemoNames::remote.machine, QStringLiteral("Synchronize"), QDate(2024, 2, 19), 37,
               12, QStringLiteral("Modified records transferred"));
    addHistory(db, DemoNames::remote.machine, QStringLiteral("Synchronize"), QDate(2024, 4, 22), 18,
               0, QStringLiteral("New records transferred"));
    transaction.commit();
}

DemoMasterData::LaterWork DemoMasterData::workAfterCopy(SqliteDatabase& db,
                                                        const DemoOptions& options)
{
    DemoRandom random(options.seed + 1);
    DemoRecords records(db, random, QString());
    records.continueKeysFrom(db);
    for (const DemoRecords::Item& standard :
         DemoRecords::loadItems(db, QStringLiteral("i4207 = 1")))
        records.addStandard(standard);
    const QList<DemoRecords::Item> working =
        DemoRecords::loadItems(db, QStringLiteral("i4207 = 0 AND i4206 = 'A'"));
    if (working.size() < 3)
        throw SchemaError(QStringLiteral(
            "A demo master needs at least a few working items; ask for more items."));

    LaterWork later;
    SqliteTransaction transaction(db);
    addHistory(db, DemoNames::remote.machine, QStringLiteral("Replicate"), DemoClock::copyDay(), 0,
               0, QStringLiteral("Remote database created"));

    const int customers = db.scalar(QStringLiteral("SELECT count(*) FROM customers")).toInt();
    later.customerNumber = customerNumber(customers + 1);
    later.customer = {QStringLiteral("Åbo Mätteknik Oy"),
                      QStringLiteral("Aurakatu 12"),
                      QStringLiteral("Turku"),
                      QStringLiteral("20100"),
                      QStringLiteral("Finland"),
                      QStringLiteral("+358 2 555 0101"),
                      QString()};
    const QString ktag =
        records.addCustomer(later.customer, later.customerNumber, DemoClock::copyDay().addDays(1));

    // Past every asset number the master's items were given, however many there are.
    const int items = db.scalar(QStringLiteral("SELECT count(*) FROM inventory")).toInt();
    later.asset = QStringLiteral("QA-%1").arg(10000 + items + 1);
    later.assetKind = random.pick(QList<int>{0, 8, 14});
    records.addItem(later.assetKind, later.asset, ktag, DemoClock::copyDay().addDays(1), QDate(),
                    0);

    later.calibratedItem = working.at(random.between(0, int(working.size()) - 1));
    later.calibrationDate = DemoClock::copyDay().addDays(2);
    DemoRecords::Options calibration;
    calibration.technician = QStringLiteral("ben");
    const DemoRecords::Calibration made =
        records.addCalibration(later.calibratedItem, later.calibrationDate, calibration);
    later.calibrationStart = made.start;

    later.movedItem = working.at(random.between(0, int(working.size()) - 1));
    later.moveDate = DemoClock::copyDay().addDays(3);
    later.place = QStringLiteral("Lab 2 – Pressure");
    records.addLocation(later.movedItem, later.moveDate, later.place, 0, QStringLiteral("ben"));

    later.repairedItem = working.at(random.between(0, int(working.size()) - 1));
    later.repairDate = DemoClock::copyDay().addDays(4);
    later.repairOrder = QStringLiteral("RO-2024-0901");
    records.addRepair(later.repairedItem, later.repairDate, later.repairOrder, 0);
    transaction.commit();
    return later;
}
