#pragma once

#include <QHash>
#include <QWidget>

class Program;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QTableWidget;
class QTableWidgetItem;
class StatisticsSheet;

// The statistics window, a child of the main frame: shows the statistics sheet as it
// changes (the transfers' yields let it repaint) and keeps the sheet's position current.
// The per-table counts are a table with a header cell over each column; a count no transfer
// has written shows a dash.
class FormStatistics : public QWidget
{
    Q_OBJECT
public:
    explicit FormStatistics(Program& program, QWidget* parent = nullptr);

    // The window has the size the sheet gives it, or the size its content needs when that
    // is more; the main frame sizes its child windows by this.
    QSize sizeHint() const override { return minimumSize(); }

    // What a count cell shows for a box no transfer has filled.
    static const QString unfilled;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTable();
    void refresh(const QString& name);
    void refreshAll();
    void refreshHeader();
    void fitWindow();
    QWidget* frame();

    StatisticsSheet& m_sheet;
    QHash<QString, QLineEdit*> m_boxes;              // the running counters
    QHash<QString, QTableWidgetItem*> m_cells;       // the count boxes of the grid
    QHash<QString, QTableWidgetItem*> m_rowCaptions; // by row name
    QHash<QString, QLabel*> m_captions;
    QHash<QString, QWidget*> m_hideable;
    QTableWidget* m_table;
    QLabel* m_function;
    QLabel* m_progress;
    QProgressBar* m_bar;
    QPlainTextEdit* m_trace;
};
