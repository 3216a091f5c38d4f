#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The laboratory the demo databases describe: the kinds of instruments it looks after, its
// customers, places, people and validation lists. Plain data, the same on every run.
class DemoCatalogue
{
public:
    struct InstrumentKind
    {
        QString description;
        QString manufacturer;
        QString model;
        QString unit;
        QString procedure;
        QList<double> testPoints; // nominal values of a calibration
        double accuracy;          // relative
        double rangeMax;
        double weightKg;
        double price;
        int intervalMonths;
        QString warmUp;     // TIME, or empty for none
        bool standard;      // a reference standard of the laboratory
        QString discipline; // E electrical, P pressure, T temperature, D dimensional, M mechanical
    };

    struct Customer
    {
        QString name;
        QString street;
        QString city;
        QString postcode;
        QString country;
        QString phone;
        QString email; // may be empty (stored as NULL)
    };

    struct User
    {
        QString login;
        QString password;
        QString segregate;
        int level;
        QString fullName;
        QString email;
    };

    static const QList<InstrumentKind>& instrumentKinds();
    static const QList<Customer>& customers();
    static const QStringList& places();
    static const QStringList& departments();
    static const QStringList& repairers();
    static const QStringList& faults();
    // The users of mt.userlist, each with a login of the same name and password. The first
    // is the schema owner.
    static const QList<User>& users();
    // The administrator login: no row in mt.userlist, it only holds schema rights.
    static User administrator();
};
