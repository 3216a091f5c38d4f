#pragma once

#include "base/Phrases.h"

#include <QHash>
#include <QObject>
#include <QString>

// The replication status window's content: its captions, the Pass No. box, the eight result
// lines that show the backup log, and the Progress Information and Present Status boxes. The
// window only shows this sheet; the creation of a Remote Database writes it with or without
// a window.
class RepStatusSheet : public QObject
{
    Q_OBJECT
public:
    static constexpr int WidthTwips = 7320;
    static constexpr int HeightTwips = 8835;
    static constexpr int ResultLines = 8;

    // The box names, top to bottom: Text12 (Pass No.), Text3 to Text5, Text6 (the divider,
    // never written), Text7 to Text11, Text2 (Progress Information), Text1 (Present Status).
    static const QStringList& boxNames();
    // The box of result line 1 to 8: Text3, Text4, Text5, Text7, ..., Text11.
    static QString resultBox(int line);

    // Sets the caption (phrase 600) and the labels Label1 to Label4 (phrases 601 to 604) and
    // empties every box.
    void load(const Phrases& phrases);

    QString caption() const { return m_caption; }
    QString label(int number) const { return m_labels.value(number); }

    // A name outside boxNames() is a fault of the caller and throws std::invalid_argument.
    QString text(const QString& box) const;
    void setText(const QString& box, const QString& text);

    QString resultLine(int line) const { return text(resultBox(line)); }
    void setResultLine(int line, const QString& text) { setText(resultBox(line), text); }
    QString progressInformation() const { return text(QStringLiteral("Text2")); }
    void setProgressInformation(const QString& text) { setText(QStringLiteral("Text2"), text); }
    QString presentStatus() const { return text(QStringLiteral("Text1")); }
    void setPresentStatus(const QString& text) { setText(QStringLiteral("Text1"), text); }
    QString passNumber() const { return text(QStringLiteral("Text12")); }
    void setPassNumber(const QString& text) { setText(QStringLiteral("Text12"), text); }

signals:
    void loaded();
    void textChanged(const QString& box, const QString& text);

private:
    QString m_caption;
    QHash<int, QString> m_labels;
    QHash<QString, QString> m_boxes;
};
