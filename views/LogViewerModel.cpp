#include "views/LogViewerModel.h"

#include "base/ErrorReporter.h"
#include "base/WindowPlacement.h"

#include <QHash>

namespace {

const QString LeftKey = QStringLiteral("Left");
const QString TopKey = QStringLiteral("Top");
const QString HeightKey = QStringLiteral("Height");
const QString WidthKey = QStringLiteral("Width");

} // namespace

LogViewerModel::LogViewerModel(Kind kind, const BaseContext& context,
                               ConnectionFactory& connections, QObject* parent)
    : QAbstractTableModel(parent), m_kind(kind), m_context(context), m_connections(connections)
{
}

LogViewerModel::~LogViewerModel()
{
    if (m_records)
        m_records->close();
    if (m_connection)
        m_connection->close();
}

QString LogViewerModel::section() const
{
    return m_kind == Kind::ChangeLog ? QStringLiteral("FormVRLog") : QStringLiteral("FormTransLog");
}

QString LogViewerModel::query() const
{
    if (m_kind == Kind::ChangeLog)
        return QStringLiteral("select i4201 asset_number,affected_table,affected_column,xtag,"
                              "xtag_additional,action,mtuser,event_date,sync_date from "
                              "mt.qel_vr_log");
    return QStringLiteral(
               "select Start_Time,Transfer_Type,Num_Records,Num_Mods,Stop_Time,User_Name,"
               "Inv_New,Cal_New,Std_New,Loc_new,Rep_New,Cus_New,Resc_New,Resf_New,Resr_New,"
               "Inv_Mod,Cal_Mod,Loc_Mod,Rep_Mod,Cus_Mod,User_Account,Comments from "
               "mt.qel_vr_transfer_log where host_name='") +
           m_context.state.remoteMachineName + QStringLiteral("' order by stop_time desc");
}

QString LogViewerModel::caption() const
{
    return m_context.phrase(m_kind == Kind::ChangeLog ? 177 : 175);
}

bool LogViewerModel::load()
{
    const SessionState& s = m_context.state;
    const bool changeLog = m_kind == Kind::ChangeLog;
    const QString failure = section() + QStringLiteral(",FormLoad");
    try {
        m_left = storedTwips(m_context, section(), LeftKey, DefaultLeftTwips);
        m_top = storedTwips(m_context, section(), TopKey, DefaultTopTwips);
        m_height = storedTwips(m_context, section(), HeightKey, DefaultHeightTwips);
        m_width = storedTwips(m_context, section(), WidthKey, DefaultWidthTwips);

        auto connection = m_connections.create();
        connection->setConnectionString(QStringLiteral("PROVIDER=MSDASQL.1;dsn=") +
                                        (changeLog ? s.remoteDataSource : s.masterDataSource));
        connection->open((changeLog ? s.remoteUser : s.masterUser).trimmed(),
                         (changeLog ? s.remotePassword : s.masterPassword).trimmed());
        if (connection->state() != 1) {
            const DbError error =
                connection->lastError().value_or(DbError(0, QStringLiteral("not connected")));
            ReportError(m_context, error, failure, QString());
            return false;
        }
        auto records = connection->openRecordset(query(), CursorType::Static);
        beginResetModel();
        m_connection = std::move(connection);
        m_records = std::move(records);
        readRows();
        endResetModel();
        m_records->setMoveCompleteHandler([this] { moveComplete(); });
    } catch (const DbError& error) {
        ReportError(m_context, error, failure, QString());
        return false;
    }
    moveComplete();
    return true;
}

void LogViewerModel::unload(double leftTwips, double topTwips, double heightTwips,
                            double widthTwips)
{
    m_left = leftTwips;
    m_top = topTwips;
    m_height = heightTwips;
    m_width = widthTwips;
    storeTwips(m_context, section(), LeftKey, int(leftTwips));
    storeTwips(m_context, section(), TopKey, int(topTwips));
    storeTwips(m_context, section(), HeightKey, int(heightTwips));
    storeTwips(m_context, section(), WidthKey, int(widthTwips));
    beginResetModel();
    if (m_records)
        m_records->close();
    m_records.reset();
    if (m_connection)
        m_connection->close();
    m_connection.reset();
    m_rows.clear();
    m_fields.clear();
    endResetModel();
}

// The grid gets its own copy of the rows: the result set's current row is the one the
// navigation moves, and walking it for the grid would disturb it.
void LogViewerModel::readRows()
{
    m_quiet = true;
    m_fields.clear();
    m_rows.clear();
    for (int i = 0; i < m_records->fieldCount(); ++i)
        m_fields.append(m_records->fieldName(i));
    if (m_records->recordCount() > 0) {
        for (m_records->moveFirst(); !m_records->eof(); m_records->moveNext()) {
            QList<DbValue> row;
            row.reserve(m_fields.size());
            for (int i = 0; i < m_fields.size(); ++i)
                row.append(m_records->value(i));
            m_rows.append(row);
        }
        m_records->moveFirst();
    }
    m_quiet = false;
}

void LogViewerModel::moveComplete()
{
    if (m_quiet || !m_records)
        return;
    const long position = m_records->absolutePosition();
    if (position == PositionEof)
        m_status = m_context.phrase(546);
    else if (position == PositionBof)
        m_status = m_context.phrase(545);
    else if (position == PositionUnknown)
        m_status = m_context.phrase(547);
    else
        m_status = m_context.phrase(548) + QLatin1Char(' ') + QString::number(position);
    Q_EMIT moved();
}

int LogViewerModel::currentRow() const
{
    if (!m_records)
        return -1;
    const long position = m_records->absolutePosition();
    return position > 0 ? int(position - 1) : -1;
}

// A failed move ends quietly: the viewer shows what it showed.
template <typename Step> void LogViewerModel::navigate(Step step)
{
    if (!m_records)
        return;
    try {
        step(*m_records);
    } catch (const DbError&) {
    }
}

void LogViewerModel::moveFirst()
{
    navigate([](Recordset& r) { r.moveFirst(); });
}

void LogViewerModel::moveLast()
{
    navigate([](Recordset& r) { r.moveLast(); });
}

void LogViewerModel::moveNext()
{
    navigate([this](Recordset& r) {
        if (!r.eof())
            r.moveNext();
        if (r.eof() && r.recordCount() > 0) {
            m_context.ui.beep();
            r.moveLast();
        }
    });
}

void LogViewerModel::movePrevious()
{
    navigate([this](Recordset& r) {
        if (!r.bof())
            r.movePrevious();
        if (r.bof() && r.recordCount() > 0) {
            m_context.ui.beep();
            r.moveFirst();
        }
    });
}

void LogViewerModel::moveTo(int row)
{
    if (row < 0 || row >= m_rows.size() || row == currentRow())
        return;
    navigate([this, row](Recordset& r) {
        m_quiet = true;
        long position = r.absolutePosition();
        if (position < 1) {
            r.moveFirst();
            position = 1;
        }
        for (; position < row + 1 && !r.eof(); ++position)
            r.moveNext();
        for (; position > row + 1 && !r.bof(); --position)
            r.movePrevious();
        m_quiet = false;
    });
    m_quiet = false;
    moveComplete();
}

void LogViewerModel::refresh()
{
    navigate([this](Recordset& r) {
        beginResetModel();
        m_quiet = true;
        try {
            r.requery();
            readRows();
        } catch (const DbError&) {
            m_quiet = false;
            endResetModel();
            throw;
        }
        endResetModel();
    });
    m_quiet = false;
    moveComplete();
}

int LogViewerModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LogViewerModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant LogViewerModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const DbValue& value = m_rows.at(index.row()).value(index.column());
    return value ? QVariant(*value) : QVariant();
}

QVariant LogViewerModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && section < m_fields.size() ? columnHeader(m_fields.at(section))
                                                     : QVariant();
}

Qt::ItemFlags LogViewerModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QString LogViewerModel::columnHeader(const QString& fieldName)
{
    static const QHash<QString, QString> headers{
        {QStringLiteral("asset_number"), QStringLiteral("Asset Number")},
        {QStringLiteral("affected_table"), QStringLiteral("Table")},
        {QStringLiteral("affected_column"), QStringLiteral("Column")},
        {QStringLiteral("xtag"), QStringLiteral("Record Key")},
        {QStringLiteral("xtag_additional"), QStringLiteral("Additional Key")},
        {QStringLiteral("action"), QStringLiteral("Action")},
        {QStringLiteral("mtuser"), QStringLiteral("User")},
        {QStringLiteral("event_date"), QStringLiteral("Changed")},
        {QStringLiteral("sync_date"), QStringLiteral("Transferred")},
        {QStringLiteral("start_time"), QStringLiteral("Started")},
        {QStringLiteral("transfer_type"), QStringLiteral("Type")},
        {QStringLiteral("num_records"), QStringLiteral("New Records")},
        {QStringLiteral("num_mods"), QStringLiteral("Changes")},
        {QStringLiteral("stop_time"), QStringLiteral("Finished")},
        {QStringLiteral("user_name"), QStringLiteral("User")},
        {QStringLiteral("inv_new"), QStringLiteral("New Inventory")},
        {QStringLiteral("cal_new"), QStringLiteral("New Calibrations")},
        {QStringLiteral("std_new"), QStringLiteral("New Standards")},
        {QStringLiteral("loc_new"), QStringLiteral("New Locations")},
        {QStringLiteral("rep_new"), QStringLiteral("New Repairs")},
        {QStringLiteral("cus_new"), QStringLiteral("New Customers")},
        {QStringLiteral("resc_new"), QStringLiteral("New Cal Results")},
        {QStringLiteral("resf_new"), QStringLiteral("New Full Results")},
        {QStringLiteral("resr_new"), QStringLiteral("New Raw Results")},
        {QStringLiteral("inv_mod"), QStringLiteral("Inventory Changes")},
        {QStringLiteral("cal_mod"), QStringLiteral("Calibration Changes")},
        {QStringLiteral("loc_mod"), QStringLiteral("Location Changes")},
        {QStringLiteral("rep_mod"), QStringLiteral("Repair Changes")},
        {QStringLiteral("cus_mod"), QStringLiteral("Customer Changes")},
        {QStringLiteral("user_account"), QStringLiteral("Account")},
        {QStringLiteral("comments"), QStringLiteral("Comments")},
    };
    const QString known = headers.value(fieldName.toLower());
    if (!known.isEmpty())
        return known;
    QStringList words = fieldName.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    for (QString& word : words)
        word = word.left(1).toUpper() + word.mid(1).toLower();
    return words.join(QLatin1Char(' '));
}
