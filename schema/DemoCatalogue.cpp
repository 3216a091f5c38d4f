#include "schema/DemoCatalogue.h"

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

const QList<DemoCatalogue::InstrumentKind>& DemoCatalogue::instrumentKinds()
{
    static const QList<InstrumentKind> kinds = {
        {s("Digital multimeter"), s("Fluke"), s("87V"), s("V"), s("QP-E-001 DC voltage"),
         {0.1, 1, 10, 100, 1000}, 0.0005, 1000, 0.36, 450.00, 12, s("00:05:00"), false, s("E")},
        {s("Bench multimeter 6½ digit"), s("Keysight"), s("34465A"), s("V"), s("QP-E-002 DC voltage, 6½ digit"),
         {0.1, 1, 10, 100}, 0.000035, 1000, 3.9, 1850.00, 12, s("01:30:00"), false, s("E")},
        {s("Clamp meter"), s("Hioki"), s("CM4371"), s("A"), s("QP-E-005 AC current"),
         {10, 100, 600}, 0.015, 600, 0.32, 310.00, 12, s("00:05:00"), false, s("E")},
        {s("Insulation tester"), s("Megger"), s("MIT420/2"), s("MΩ"), s("QP-E-007 insulation resistance"),
         {1, 10, 100, 1000}, 0.03, 10000, 0.99, 990.00, 12, QString(), false, s("E")},
        {s("Oscilloscope 100 MHz"), s("Tektronix"), s("TBS2104B"), s("V"), s("QP-E-011 oscilloscope vertical gain"),
         {0.05, 0.5, 5}, 0.02, 50, 3.5, 2650.00, 24, s("00:20:00"), false, s("E")},
        {s("Function generator"), s("Rigol"), s("DG1062Z"), s("Hz"), s("QP-E-012 frequency"),
         {1000, 100000, 10000000}, 0.00001, 60000000, 3.2, 720.00, 24, s("00:30:00"), false, s("E")},
        {s("Multifunction calibrator"), s("Fluke"), s("5522A"), s("V"), s("QP-S-001 reference calibrator"),
         {0.1, 1, 10, 100, 1000}, 0.000011, 1020, 20.0, 38500.00, 12, s("02:00:00"), true, s("E")},
        {s("Reference multimeter 8½ digit"), s("Keysight"), s("3458A"), s("V"), s("QP-S-002 reference DMM"),
         {1, 10, 100}, 0.000008, 1000, 12.0, 9800.00, 12, s("04:00:00"), true, s("E")},
        {s("Pressure gauge 0–700 bar"), s("WIKA"), s("CPG1500"), s("bar"), s("QP-P-001 gauge pressure"),
         {0, 100, 350, 700}, 0.0005, 700, 0.9, 1450.00, 12, QString(), false, s("P")},
        {s("Pressure transmitter"), s("Endress+Hauser"), s("Cerabar PMP71"), s("bar"), s("QP-P-003 transmitter 4–20 mA"),
         {0, 2.5, 5, 10}, 0.00075, 10, 1.2, 1320.00, 24, s("00:10:00"), false, s("P")},
        {s("Pressure controller"), s("Druck"), s("PACE 5000"), s("bar"), s("QP-S-010 pressure reference"),
         {0, 50, 100, 210}, 0.0001, 210, 11.3, 21400.00, 12, s("00:30:00"), true, s("P")},
        {s("Thermocouple thermometer"), s("Fluke"), s("54 II B"), s("°C"), s("QP-T-001 thermocouple readout"),
         {0, 100, 400, 1000}, 0.0005, 1370, 0.4, 560.00, 12, QString(), false, s("T")},
        {s("Humidity and temperature logger"), s("Vaisala"), s("HMP7"), s("%RH"), s("QP-T-004 humidity"),
         {11, 33, 75}, 0.008, 100, 0.25, 1880.00, 12, s("00:15:00"), false, s("T")},
        {s("Reference thermometer (PRT)"), s("Fluke"), s("5615"), s("°C"), s("QP-S-020 PRT reference"),
         {-38.8344, 0.01, 156.5985, 231.928}, 0.00002, 420, 0.2, 1650.00, 12, QString(), true, s("T")},
        {s("Digital caliper 150 mm"), s("Mitutoyo"), s("500-196-30"), s("mm"), s("QP-D-001 caliper"),
         {10, 50, 100, 150}, 0.0002, 150, 0.17, 120.00, 12, QString(), false, s("D")},
        {s("Micrometer 0–25 mm"), s("Mitutoyo"), s("293-240-30"), s("mm"), s("QP-D-002 micrometer"),
         {2.5, 10.1, 17.6, 25}, 0.00004, 25, 0.27, 165.00, 12, QString(), false, s("D")},
        {s("Gauge block set, grade 0"), s("Mitutoyo"), s("516-940-10"), s("mm"), s("QP-S-030 gauge blocks"),
         {1, 10, 50, 100}, 0.0000001, 100, 3.1, 2900.00, 36, QString(), true, s("D")},
        {s("Torque wrench 12–60 N·m"), s("Norbar"), s("TTi 60"), s("N·m"), s("QP-M-001 torque tools"),
         {12, 36, 60}, 0.04, 60, 0.6, 210.00, 12, QString(), false, s("M")},
        {s("Torque transducer"), s("Norbar"), s("T-Box XL"), s("N·m"), s("QP-S-040 torque reference"),
         {10, 50, 100}, 0.005, 100, 1.8, 4300.00, 12, s("00:10:00"), true, s("M")},
        {s("Precision balance"), s("Sartorius"), s("Quintix 224-1S"), s("g"), s("QP-M-010 weighing"),
         {1, 50, 100, 200}, 0.000001, 220, 6.0, 3350.00, 12, s("00:30:00"), false, s("M")},
        {s("Sound level meter"), s("Brüel & Kjær"), s("2250"), s("dB"), s("QP-M-020 acoustics"),
         {94, 114}, 0.007, 140, 0.65, 4100.00, 24, QString(), false, s("M")},
        {s("Tachometer"), s("Testo"), s("470"), s("rpm"), s("QP-M-021 rotational speed"),
         {100, 1000, 10000}, 0.0002, 99999, 0.2, 240.00, 24, QString(), false, s("M")},
    };
    return kinds;
}

const QList<DemoCatalogue::Customer>& DemoCatalogue::customers()
{
    static const QList<Customer> list = {
        {s("Central Calibration Laboratory"), s("1 Metrology Way"), s("Leeds"), s("LS1 4AP"), s("United Kingdom"), s("+44 113 496 0000"), s("lab@ccl.example")},
        {s("Acme Process Controls Ltd"), s("Unit 7, Canal Side"), s("Manchester"), s("M4 6DE"), s("United Kingdom"), s("+44 161 496 0123"), s("qa@acme-pc.example")},
        {s("Müller Präzisionstechnik GmbH"), s("Königstraße 18"), s("Stuttgart"), s("70173"), s("Germany"), s("+49 711 555 0142"), s("pruefmittel@mueller-praezision.example")},
        {s("Société Lyonnaise d'Étalonnage"), s("12 rue de la Tête d'Or"), s("Lyon"), s("69006"), s("France"), s("+33 4 72 00 11 22"), QString()},
        {s("St. Mary's Hospital Estates"), s("Praed Street"), s("London"), s("W2 1NY"), s("United Kingdom"), s("+44 20 7946 0321"), s("estates@stmarys.example")},
        {s("Nordic Måleteknikk AS"), s("Strandkaien 4"), s("Bergen"), s("5013"), s("Norway"), s("+47 55 00 12 34"), s("service@maaleteknikk.example")},
        {s("Łódź Instruments Sp. z o.o."), s("ul. Piotrkowska 104"), s("Łódź"), s("90-926"), s("Poland"), s("+48 42 600 70 80"), s("biuro@lodz-instruments.example")},
        {s("Riverside Water Authority"), s("Pumping Station Road"), s("Nottingham"), s("NG2 3BL"), s("United Kingdom"), s("+44 115 496 0777"), QString()},
        {s("Oakridge Aerospace Inc."), s("4400 Runway Blvd"), s("Wichita"), s("67209"), s("USA"), s("+1 316 555 0190"), s("metrology@oakridge-aero.example")},
        {s("Zürich Pharma AG"), s("Hardturmstrasse 161"), s("Zürich"), s("8005"), s("Switzerland"), s("+41 44 555 61 61"), s("gmp.kalibrierung@zuerich-pharma.example")},
        {s("Hansen & Sønner ApS"), s("Nørregade 7"), s("Aarhus"), s("8000"), s("Denmark"), s("+45 86 12 34 56"), QString()},
        {s("Kowalski Automotive"), s("ul. Fabryczna 3"), s("Poznań"), s("61-001"), s("Poland"), s("+48 61 555 33 22"), s("jakosc@kowalski-auto.example")},
    };
    return list;
}

const QStringList& DemoCatalogue::places()
{
    static const QStringList list = {s("Lab 1 – Electrical"), s("Lab 2 – Pressure"), s("Lab 3 – Temperature"),
                                     s("Lab 4 – Dimensional"), s("Store"), s("Quarantine"),
                                     s("Customer site"), s("Goods in"), s("Dispatch")};
    return list;
}

const QStringList& DemoCatalogue::departments()
{
    static const QStringList list = {s("Electrical metrology"), s("Pressure & flow"), s("Thermal"),
                                     s("Dimensional"), s("Mechanical"), s("Field service")};
    return list;
}

const QStringList& DemoCatalogue::repairers()
{
    static const QStringList list = {s("In-house workshop"), s("Fluke Service Centre"), s("Druck Repairs Ltd"),
                                     s("Mitutoyo Europe Service"), s("Sartorius Service")};
    return list;
}

const QStringList& DemoCatalogue::faults()
{
    static const QStringList list = {s("Display segments missing"), s("Out of tolerance at full scale"),
                                     s("Battery compartment corroded"), s("Dropped – housing cracked"),
                                     s("Zero drift after warm-up"), s("Input fuse blown"),
                                     s("Ratchet slipping"), s("Seal leaking above 300 bar")};
    return list;
}

const QList<DemoCatalogue::User>& DemoCatalogue::users()
{
    static const QList<User> list = {
        {s("mt"), s("sql"), s("MT"), 5, s("Schema owner"), QString()},
        {s("anna"), s("anna4"), s("MT"), 4, s("Anna Lindqvist"), s("anna.lindqvist@ccl.example")},
        {s("ben"), s("ben3"), s("MT"), 3, s("Ben O'Connor"), s("ben.oconnor@ccl.example")},
        {s("carla"), s("carla5"), s("LAB1"), 5, s("Carla Núñez"), s("carla.nunez@ccl.example")},
    };
    return list;
}

DemoCatalogue::User DemoCatalogue::administrator()
{
    return {s("qeldba"), s("dbadmin"), QString(), 0, s("Database administrator"), QString()};
}
