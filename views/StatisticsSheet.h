#pragma once

#include "base/BaseContext.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

// The statistics window's content: every text box, caption and label the transfers write
// and read back, the progress bar, the window's geometry in twips, and its load and unload.
// The window only shows this sheet, so transfers run (and are tested) with no window at all.
// The values stay when the window closes; the next load starts them afresh.
class StatisticsSheet : public QObject
{
    Q_OBJECT
public:
    // The four count columns of the per-table grid, left to right.
    enum class Column
    {
        Rtotal,  // new rows counted on the Remote Database
        Rnumber, // new rows inserted into the Master Database
        Mtotal,  // modifications pending
        Mnumber, // modifications carried into the Master Database
    };

    static constexpr int WidthTwips = 4800;
    static constexpr int HeightTwips = 6510;
    static constexpr int DebuggingHeightTwips = 8655;
    static constexpr double DefaultLeftTwips = 975;
    static constexpr double DefaultTopTwips = 1980;

    explicit StatisticsSheet(const BaseContext& context);

    // The per-table suffixes in row order: inv, cal, std, crs, frs, rrs, loc, rep, cus, and
    // the validation tables vfd (valfield) and vld (vallinkdata).
    static const QStringList& tableSuffixes();
    // The row captions in order: Inventory, Calibration, ..., Customers, Totals, and below the
    // totals ValField and ValLinkData: the validation tables' entries, which the transfers apply
    // but whose counts the totals (and the history) leave out.
    static const QStringList& rowNames();
    // The box of one table in one column: Rtotalinv, Rinvnumber, Mtotalinv, Minvnumber.
    static QString box(Column column, const QString& suffix);
    // The box of the row at index (of rowNames) in one column: the total for the Totals row.
    static QString rowBox(Column column, qsizetype index);
    static bool isTotalsRow(qsizetype index);
    // The sum box of a column: Rtotal, Rdumptotal, Mtotal, Minsttotal.
    static QString totalBox(Column column);
    // Every name text() and setText() accept: the count boxes, Function, Progress,
    // ProgressBar (its value as text), TextCounter, Textmaxcounter, Text_debugs, and
    // dbrecords(0) (the grid's header).
    static const QStringList& textNames();
    // The controls that can be hidden.
    static const QStringList& hideableNames();

    // A name outside textNames() is a fault of the caller and throws std::invalid_argument.
    QString text(const QString& name) const;
    void setText(const QString& name, const QString& text);
    void setNumber(const QString& name, double value);
    // A box's text read back as a number (its numeric value; empty reads as 0), and that
    // number written as text again, as the history rows want it.
    double number(const QString& name) const;
    QString numberText(const QString& name) const;

    // The grid's header, dbrecords(0), as the titles of its five columns (the tables, then the
    // four counts): its words, or its parts between runs of blanks when a title is two words.
    // Empty when the header does not divide into five.
    QStringList columnTitles() const;

    int progressBar() const { return m_progress; }
    // Out-of-range values are held at 0 or 100. A value set here ends a span of rows.
    void setProgressBar(int percent);
    // A long step of about `rows` rows: the bar moves from where it stands towards `until`
    // (the value the next step sets) as rowDone() is called, without ever passing it. The
    // bar changes only when its whole percentage does, so the windows see a few dozen
    // changes however many rows there are.
    void expectRows(int until, double rows);
    void rowDone();

    // Captions: "Caption" (the window's), "StatTitle", the row names, "LabelCounter",
    // "Labelmaxcounter", "Label_debugs".
    QString caption(const QString& name) const;
    // Rows of tables the remote schema does not carry are switched off.
    bool isRowEnabled(const QString& row) const { return !m_rowsOff.contains(row); }

    // The running counter (label and box) shown with its count, or hidden.
    void showRunningCounter(bool shown, double count = 0);

    bool isVisible(const QString& name) const { return !m_hidden.contains(name); }
    void setVisible(const QString& name, bool visible);

    double leftTwips() const { return m_left; }
    double topTwips() const { return m_top; }
    int widthTwips() const { return m_width; }
    int heightTwips() const { return m_height; }
    // The window was moved.
    void setPosition(double leftTwips, double topTwips);

    bool isLoaded() const { return m_loaded; }
    // The window's load, when it is not loaded: every box empty, geometry and captions set,
    // a full bar with "Transfer Completed" and "Successfully".
    void load();
    // Loads the sheet if needed and shows the window. The one way the transfers open it.
    void show();
    // Keeps the position for the next run (the window's close ends here too).
    void unload();
    // Unloads and closes the window.
    void close();

Q_SIGNALS:
    // One control changed; an empty name means the whole sheet.
    void changed(const QString& name);

private:
    void reset();
    void loadSteps();
    void showProgress(int percent);

    BaseContext m_context;
    QHash<QString, QString> m_texts;
    QHash<QString, QString> m_captions;
    QSet<QString> m_hidden;
    QSet<QString> m_rowsOff;
    int m_progress = 0;
    // The span of rows the bar moves through: from, until, rows expected and done.
    int m_spanFrom = 0;
    int m_spanUntil = 0;
    double m_spanRows = 0;
    double m_spanDone = 0;
    double m_left = DefaultLeftTwips;
    double m_top = DefaultTopTwips;
    int m_width = WidthTwips;
    int m_height = HeightTwips;
    bool m_loaded = false;
    bool m_shown = false;
};
