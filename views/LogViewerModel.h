#pragma once

#include "base/BaseContext.h"
#include "db/Connection.h"

#include <QAbstractTableModel>
#include <QList>
#include <memory>

// What the change-log viewer (FormVRLog) and the transfer-history viewer (FormTransLog)
// show: one query on a connection of the viewer's own, its rows for the grid (read-only:
// writing back would corrupt the log or the history), the current row with its status text,
// the navigation, and the window's geometry in twips under the viewer's settings section.
class LogViewerModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum class Kind
    {
        ChangeLog,       // mt.qel_vr_log of the Remote Database
        TransferHistory, // mt.qel_vr_transfer_log of the Master Database, this workstation's
    };

    static constexpr double DefaultLeftTwips = 975;
    static constexpr double DefaultTopTwips = 1980;
    static constexpr double DefaultHeightTwips = 3650;
    static constexpr double DefaultWidthTwips = 5500;

    LogViewerModel(Kind kind, const BaseContext& context, ConnectionFactory& connections,
                   QObject* parent = nullptr);
    ~LogViewerModel() override;

    Kind kind() const { return m_kind; }
    // The settings section, which is also the window's name: "FormVRLog" or "FormTransLog".
    QString section() const;
    // The viewer's query, with the workstation's host name for the history.
    QString query() const;
    QString caption() const;
    // Only the change-log viewer has Refresh and Close.
    bool hasButtons() const { return m_kind == Kind::ChangeLog; }

    // Reads the geometry, opens the connection and runs the query. A failure goes to the
    // error reporter; false when the viewer could not be filled (it does not show then).
    bool load();
    // Stores the geometry the window has now and closes the connection.
    void unload(double leftTwips, double topTwips, double heightTwips, double widthTwips);
    bool isLoaded() const { return m_records != nullptr; }

    double leftTwips() const { return m_left; }
    double topTwips() const { return m_top; }
    double heightTwips() const { return m_height; }
    double widthTwips() const { return m_width; }

    // The status label: "Record: n", or the text for before the first row, after the last
    // row, or no rows at all.
    QString status() const { return m_status; }
    // The current row, from 0; -1 when there is none.
    int currentRow() const;

    void moveFirst();
    void movePrevious();
    void moveNext();
    void moveLast();
    // The grid's row was chosen.
    void moveTo(int row);
    // Runs the query again and shows its rows from the first.
    void refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The header shown over a column of the query.
    static QString columnHeader(const QString& fieldName);

Q_SIGNALS:
    // The current row changed (the status text with it).
    void moved();

private:
    void readRows();
    void moveComplete();
    template <typename Step> void navigate(Step step);

    Kind m_kind;
    BaseContext m_context;
    ConnectionFactory& m_connections;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<Recordset> m_records;
    QStringList m_fields;
    QList<QList<DbValue>> m_rows;
    QString m_status;
    bool m_quiet = false;
    double m_left = DefaultLeftTwips;
    double m_top = DefaultTopTwips;
    double m_height = DefaultHeightTwips;
    double m_width = DefaultWidthTwips;
};
