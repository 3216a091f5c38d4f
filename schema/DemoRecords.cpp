#include "schema/DemoRecords.h"

#include "schema/DemoClock.h"
#include "schema/DemoRandom.h"
#include "schema/SqliteDatabase.h"

#include <QRegularExpression>
#include <QtMath>

namespace {

const QVariant Null;

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? Null : QVariant(text);
}

double rounded(double value, int decimals)
{
    const double scale = qPow(10.0, decimals);
    return qRound64(value * scale) / scale;
}

QString pointText(double nominal, const QString& unit)
{
    return QStringLiteral("%1 %2").arg(QString::number(nominal, 'g', 8), unit);
}

} // namespace

DemoRecords::DemoRecords(SqliteDatabase& db, DemoRandom& random, const QString& origin)
    : m_db(db), m_random(random), m_origin(origin)
{
}

QString DemoRecords::nextKey(const QString& kind)
{
    const int n = ++m_counters[kind];
    // Master keys: MT000123; field keys: F7MT0123. Both eight characters.
    const int width = 6 - int(m_origin.size());
    return m_origin + kind + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

void DemoRecords::continueKeysFrom(SqliteDatabase& db)
{
    const QList<QPair<QString, QString>> sources = {
        {QStringLiteral("MT"), QStringLiteral("SELECT mtag FROM inventory")},
        {QStringLiteral("CA"), QStringLiteral("SELECT ctag FROM calibration")},
        {QStringLiteral("LO"), QStringLiteral("SELECT ltag FROM location")},
        {QStringLiteral("RP"), QStringLiteral("SELECT rtag FROM repair")}};
    const QString prefix = QRegularExpression::escape(m_origin);
    for (const auto& [kind, query] : sources) {
        const QRegularExpression own(QStringLiteral("^%1%2(\\d+)$").arg(prefix, kind));
        int highest = 0;
        for (const QVariantList& row : db.rows(query)) {
            const auto match = own.match(row.first().toString());
            if (match.hasMatch())
                highest = qMax(highest, match.captured(1).toInt());
        }
        m_counters[kind] = highest;
    }
}

int DemoRecords::kindOfModel(const QString& model)
{
    const auto& kinds = DemoCatalogue::instrumentKinds();
    for (int i = 0; i < kinds.size(); ++i)
        if (kinds.at(i).model == model)
            return i;
    return 0;
}

QList<DemoRecords::Item> DemoRecords::loadItems(SqliteDatabase& db, const QString& condition)
{
    QList<Item> items;
    const QString where = condition.isEmpty() ? QString() : QStringLiteral(" WHERE ") + condition;
    for (const QVariantList& row : db.rows(
             QStringLiteral("SELECT mtag, i4201, ktag, i4204, i4208 FROM inventory%1 ORDER BY mtag")
                 .arg(where))) {
        Item item;
        item.mtag = row.at(0).toString();
        item.asset = row.at(1).toString();
        item.ktag = row.at(2).toString();
        item.kind = kindOfModel(row.at(3).toString());
        item.intervalMonths = row.at(4).toInt();
        items.append(item);
    }
    return items;
}

QString DemoRecords::addCustomer(const DemoCatalogue::Customer& c, const QString& number,
                                 const QDate& since)
{
    // The part before ":" is the customer number, which is how items find their customer in
    // another database; the part after it tells which database made the key.
    const QString ktag =
        number + QLatin1Char(':') + (m_origin.isEmpty() ? QStringLiteral("HQ") : m_origin);
    m_db.insert(QStringLiteral("customers"),
                {{QStringLiteral("ktag"), ktag},
                 {QStringLiteral("k4601"), number},
                 {QStringLiteral("k4602"), c.name},
                 {QStringLiteral("k4603"), textOrNull(c.street)},
                 {QStringLiteral("k4604"), textOrNull(c.city)},
                 {QStringLiteral("k4605"), textOrNull(c.postcode)},
                 {QStringLiteral("k4606"), textOrNull(c.country)},
                 {QStringLiteral("k4607"), textOrNull(c.phone)},
                 {QStringLiteral("k4608"), textOrNull(c.email)},
                 {QStringLiteral("k4609"), double(m_random.pick(QList<int>{0, 0, 5, 10, 12}))},
                 {QStringLiteral("k4610"), DemoClock::date(since)},
                 {QStringLiteral("k4611"),
                  m_random.chance(30)
                      ? QVariant(QStringLiteral("Invoices by e-mail only; quote the order number."))
                      : Null}});
    return ktag;
}

DemoRecords::Item DemoRecords::addItem(int kindIndex, const QString& asset, const QString& ktag,
                                       const QDate& received, const QDate& nextDue,
                                       int calibrations)
{
    const DemoCatalogue::InstrumentKind& kind = DemoCatalogue::instrumentKinds().at(kindIndex);
    Item item;
    item.mtag = nextKey(QStringLiteral("MT"));
    item.asset = asset;
    item.ktag = ktag;
    item.kind = kindIndex;
    item.intervalMonths = kind.intervalMonths;

    const int status = m_random.between(1, 100);
    const QString serial = m_random.chance(95) ? QStringLiteral("%1%2")
                                                     .arg(kind.model.left(2).toUpper())
                                                     .arg(m_random.between(100000, 9999999))
                                               : QString();
    QVariant notes = Null;
    if (m_random.chance(25))
        notes = m_random.pick(
            QStringList{QStringLiteral("Keep in its case; the probe cable is fragile."),
                        QStringLiteral("Customer's own adapter kept with the item."),
                        QStringLiteral("Zero check before every use – see QP-G-003."),
                        QStringLiteral("Käufer: Einkauf Werk 2, Bestellung 4711.")});
    QVariant tag = m_random.chance(40) ? QVariant(m_random.bytes(8)) : Null;
    QVariant label = Null;
    if (m_random.chance(5))
        label = QByteArray("\x89PNG\r\n\x1a\n", 8) + m_random.bytes(m_random.between(120, 480));
    const QTime changed(m_random.between(7, 17), m_random.between(0, 59), m_random.between(0, 59),
                        m_random.between(0, 999));

    m_db.insert(
        QStringLiteral("inventory"),
        {{QStringLiteral("mtag"), item.mtag},
         {QStringLiteral("i4201"), asset},
         {QStringLiteral("i4202"), kind.description},
         {QStringLiteral("i4203"), kind.manufacturer},
         {QStringLiteral("i4204"), kind.model},
         {QStringLiteral("i4205"), textOrNull(serial)},
         {QStringLiteral("ktag"), textOrNull(ktag)},
         {QStringLiteral("i4206"), status <= 90   ? QStringLiteral("A")
                                   : status <= 97 ? QStringLiteral("I")
                                                  : QStringLiteral("R")},
         {QStringLiteral("i4207"), kind.standard ? 1 : 0},
         {QStringLiteral("i4208"), kind.intervalMonths},
         {QStringLiteral("i4209"), DemoClock::date(received)},
         {QStringLiteral("i4210"), nextDue.isValid() ? QVariant(DemoClock::date(nextDue)) : Null},
         {QStringLiteral("i4211"),
          m_random.chance(90) ? QVariant(rounded(kind.price * m_random.real(0.9, 1.1), 2)) : Null},
         {QStringLiteral("i4212"), kind.rangeMax},
         {QStringLiteral("i4213"), kind.accuracy},
         {QStringLiteral("i4214"), rounded(kind.weightKg, 2)},
         {QStringLiteral("i4215"), calibrations},
         {QStringLiteral("i4216"), textOrNull(kind.warmUp)},
         {QStringLiteral("i4217"),
          DemoClock::timestamp(
              nextDue.isValid() ? nextDue.addMonths(-kind.intervalMonths) : received, changed)},
         {QStringLiteral("i4218"), notes},
         {QStringLiteral("i4219"), tag},
         {QStringLiteral("i4220"), label}});
    if (kind.standard)
        addStandard(item);
    return item;
}

void DemoRecords::addStandard(const Item& item)
{
    m_standards.append(item);
}

QTime DemoRecords::calibrationStart()
{
    return QTime(m_random.between(8, 14), 5 * m_random.between(0, 11));
}

DemoRecords::Calibration DemoRecords::addCalibration(const Item& item, const QDate& date,
                                                     const Options& options)
{
    Calibration calibration{nextKey(QStringLiteral("CA")), date, calibrationStart()};
    addCalibrationAs(calibration.ctag, item, date, calibration.start, options);
    return calibration;
}

void DemoRecords::addCalibrationAs(const QString& ctag, const Item& item, const QDate& date,
                                   const QTime& start, const Options& options)
{
    const DemoCatalogue::InstrumentKind& kind = DemoCatalogue::instrumentKinds().at(item.kind);
    const QTime end = start.addSecs(60 * m_random.between(20, 150));
    const int found = m_random.between(1, 100);
    const QString asFound = found <= 88   ? QStringLiteral("P")
                            : found <= 96 ? QStringLiteral("F")
                                          : QStringLiteral("L");
    const bool customerItem = !item.ktag.startsWith(QLatin1String("CU0001:"));
    const bool climate = m_random.chance(95);

    m_db.insert(
        QStringLiteral("calibration"),
        {{QStringLiteral("ctag"), ctag},
         {QStringLiteral("mtag"), item.mtag},
         {QStringLiteral("c2301"), DemoClock::date(date)},
         {QStringLiteral("c2333"), DemoClock::time(start)},
         {QStringLiteral("c2334"), DemoClock::time(end)},
         {QStringLiteral("c2302"), textOrNull(options.technician)},
         {QStringLiteral("c2303"), asFound},
         {QStringLiteral("c2304"), asFound == QLatin1String("F") && m_random.chance(20)
                                       ? QStringLiteral("F")
                                       : QStringLiteral("P")},
         {QStringLiteral("c2305"), DemoClock::date(date.addMonths(item.intervalMonths))},
         {QStringLiteral("c2306"),
          climate ? QVariant(rounded(m_random.real(19.5, 23.0), 1)) : Null},
         {QStringLiteral("c2307"),
          climate ? QVariant(rounded(m_random.real(35.0, 55.0), 1)) : Null},
         {QStringLiteral("c2308"), kind.procedure},
         {QStringLiteral("c2309"), ++m_certificate},
         {QStringLiteral("c2310"),
          customerItem ? QVariant(double(5 * m_random.between(9, 50))) : Null},
         {QStringLiteral("c2311"), item.intervalMonths},
         {QStringLiteral("c2312"), textOrNull(options.remarks)},
         {QStringLiteral("c2313"),
          DemoClock::timestamp(
              date, end.addSecs(m_random.between(60, 3000)).addMSecs(m_random.between(0, 999)))},
         {QStringLiteral("c2339"), options.c2339}});
    if (!kind.standard)
        addStandardsUsed(ctag, item, date);
    addResults(ctag, item, date, start, options);
}

void DemoRecords::addStandardsUsed(const QString& ctag, const Item& item, const QDate& date)
{
    const auto& kinds = DemoCatalogue::instrumentKinds();
    QList<Item> candidates;
    for (const Item& s : m_standards)
        if (s.mtag != item.mtag && kinds.at(s.kind).discipline == kinds.at(item.kind).discipline)
            candidates.append(s);
    if (candidates.isEmpty())
        return;
    const int count = qMin(int(candidates.size()), m_random.between(1, 3));
    for (int order = 1; order <= count; ++order) {
        const Item standard = candidates.takeAt(m_random.between(0, int(candidates.size()) - 1));
        m_db.insert(
            QStringLiteral("standards"),
            {{QStringLiteral("ctag"), ctag},
             {QStringLiteral("c2430"), standard.mtag},
             {QStringLiteral("mtag"), item.mtag},
             {QStringLiteral("c2431"), standard.asset},
             {QStringLiteral("c2432"), DemoClock::date(date.addDays(m_random.between(30, 330)))},
             {QStringLiteral("c2433"),
              QStringLiteral("Cert. 0123/%1").arg(m_random.between(1000, 9999))},
             {QStringLiteral("c2434"), order}});
    }
}

void DemoRecords::addResults(const QString& ctag, const Item& item, const QDate& date,
                             const QTime& start, const Options& options)
{
    const DemoCatalogue::InstrumentKind& kind = DemoCatalogue::instrumentKinds().at(item.kind);
    int point = 0;
    QList<double> readings;
    for (double nominal : kind.testPoints) {
        const double span =
            nominal == 0 ? kind.rangeMax * kind.accuracy : qAbs(nominal) * kind.accuracy;
        // Instruments read to a resolution, so readings carry a handful of digits, never the
        // seventeen a computed double would.
        const double found = rounded(nominal + span * m_random.real(-1.2, 1.2), 6);
        const bool pass = qAbs(found - nominal) <= span;
        const double left = pass ? found : rounded(nominal + span * m_random.real(-0.3, 0.3), 6);
        readings.append(found);
        m_db.insert(QStringLiteral("calresults"),
                    {{QStringLiteral("ctag"), ctag},
                     {QStringLiteral("c2502"), ++point},
                     {QStringLiteral("mtag"), item.mtag},
                     {QStringLiteral("c2503"),
                      QStringLiteral("Test point %1").arg(pointText(nominal, kind.unit))},
                     {QStringLiteral("c2504"), kind.unit},
                     {QStringLiteral("c2505"), nominal},
                     {QStringLiteral("c2506"), found},
                     {QStringLiteral("c2507"), left},
                     {QStringLiteral("c2508"), rounded(nominal - span, 6)},
                     {QStringLiteral("c2509"), rounded(nominal + span, 6)},
                     {QStringLiteral("c2510"), rounded(span / 4, 6)},
                     {QStringLiteral("c2511"), pass ? QStringLiteral("P") : QStringLiteral("F")}});
    }

    QTime taken = start;
    if (options.withResults) {
        int row = 0;
        for (int direction = 0; direction < 2; ++direction) {
            for (int i = 0; i < kind.testPoints.size(); ++i) {
                const double nominal = direction == 0
                                           ? kind.testPoints.at(i)
                                           : kind.testPoints.at(kind.testPoints.size() - 1 - i);
                taken = taken.addSecs(m_random.between(40, 240));
                m_db.insert(QStringLiteral("results"),
                            {{QStringLiteral("ctag"), ctag},
                             {QStringLiteral("row_num"), ++row},
                             {QStringLiteral("mtag"), item.mtag},
                             {QStringLiteral("f2601"),
                              QStringLiteral("Step %1: apply %2 (%3)")
                                  .arg(row)
                                  .arg(pointText(nominal, kind.unit),
                                       direction == 0 ? QStringLiteral("rising")
                                                      : QStringLiteral("falling"))},
                             {QStringLiteral("f2602"),
                              rounded(nominal + (nominal == 0 ? kind.rangeMax : qAbs(nominal)) *
                                                    kind.accuracy * m_random.real(-1.0, 1.0),
                                      6)},
                             {QStringLiteral("f2603"), kind.unit},
                             {QStringLiteral("f2604"),
                              DemoClock::timestamp(date, taken.addMSecs(m_random.between(0, 999)))},
                             {QStringLiteral("f2605"),
                              m_random.chance(15)
                                  ? QVariant(QStringLiteral("Reading unstable, averaged over 10 s"))
                                  : Null}});
            }
        }
    }
    if (options.withRawResults) {
        const int samples = m_random.between(4, 10);
        for (int row = 1; row <= samples; ++row) {
            const double reading = readings.at((row - 1) % readings.size());
            taken = taken.addSecs(m_random.between(1, 20));
            m_db.insert(QStringLiteral("results_raw"),
                        {{QStringLiteral("ctag"), ctag},
                         {QStringLiteral("row_num"), row},
                         {QStringLiteral("mtag"), item.mtag},
                         {QStringLiteral("w2701"),
                          DemoClock::timestamp(date, taken.addMSecs(m_random.between(0, 999)))},
                         {QStringLiteral("w2702"),
                          rounded(reading * (1 + m_random.real(-0.0001, 0.0001)), 6)},
                         {QStringLiteral("w2703"), m_random.between(1, 2)},
                         {QStringLiteral("w2704"),
                          m_random.chance(30) ? QVariant(m_random.bytes(16)) : Null},
                         {QStringLiteral("w2705"),
                          m_random.chance(10) ? QVariant(m_random.bytes(m_random.between(64, 256)))
                                              : Null}});
        }
    }
}

QString DemoRecords::addLocation(const Item& item, const QDate& date, const QString& place,
                                 int l2815, const QString& mover)
{
    const QString ltag = nextKey(QStringLiteral("LO"));
    m_db.insert(
        QStringLiteral("location"),
        {{QStringLiteral("ltag"), ltag},
         {QStringLiteral("mtag"), item.mtag},
         {QStringLiteral("l2809"), DemoClock::date(date)},
         {QStringLiteral("l2810"), place},
         {QStringLiteral("l2811"), m_random.pick(DemoCatalogue::departments())},
         {QStringLiteral("l2812"), textOrNull(mover)},
         {QStringLiteral("l2813"),
          DemoClock::time(QTime(m_random.between(7, 17), m_random.between(0, 59)))},
         {QStringLiteral("l2814"),
          m_random.chance(20) ? QVariant(QStringLiteral("Moved with its transit case")) : Null},
         {QStringLiteral("l2815"), l2815}});
    return ltag;
}

QString DemoRecords::addRepair(const Item& item, const QDate& date, const QString& order, int r3246)
{
    const QString rtag = nextKey(QStringLiteral("RP"));
    const bool back = m_random.chance(90);
    m_db.insert(QStringLiteral("repair"),
                {{QStringLiteral("rtag"), rtag},
                 {QStringLiteral("mtag"), item.mtag},
                 {QStringLiteral("r3230"), DemoClock::date(date)},
                 {QStringLiteral("r3241"), order},
                 {QStringLiteral("r3231"), m_random.pick(DemoCatalogue::faults())},
                 {QStringLiteral("r3232"),
                  QStringLiteral("Inspected, faulty part replaced, functional test passed.\n"
                                 "Recalibration recommended before use.")},
                 {QStringLiteral("r3233"), rounded(m_random.real(35, 900), 2)},
                 {QStringLiteral("r3234"), rounded(m_random.real(0.5, 12), 1)},
                 {QStringLiteral("r3235"),
                  back ? QVariant(DemoClock::date(date.addDays(m_random.between(3, 30)))) : Null},
                 {QStringLiteral("r3236"), m_random.pick(DemoCatalogue::repairers())},
                 {QStringLiteral("r3246"), r3246}});
    return rtag;
}
