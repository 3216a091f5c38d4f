#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a RecordingConnection saw, in the order it saw it. Several connections may share one
// log, so a test can check the interleaving of master and remote statements.
struct RecordedStatement
{
    enum class Kind
    {
        Execute, // Connection::execute
        Query,   // Connection::openRecordset
    };
    Kind kind;
    QString dataSource; // the DSN of the connection string at the time of the call
    QString text;       // exactly as given
};

class StatementLog
{
public:
    void append(RecordedStatement statement) { m_entries.append(std::move(statement)); }
    const QList<RecordedStatement>& entries() const { return m_entries; }
    void clear() { m_entries.clear(); }

    // Every text, in order; or only those sent to one data source (compared without case).
    QStringList texts() const;
    QStringList texts(const QString& dataSource) const;
    // Texts that contain a fragment (compared without case), in order.
    QStringList textsContaining(const QString& fragment) const;

private:
    QList<RecordedStatement> m_entries;
};
