#pragma once

#include <QHash>
#include <QWidget>

class Program;
class QLabel;
class QLineEdit;
class QGroupBox;
class QPlainTextEdit;
class QProgressBar;
class StatisticsSheet;

// The statistics window, a child of the main frame: shows the statistics sheet as it
// changes (the transfers' yields let it repaint) and keeps the sheet's position current.
class FormStatistics : public QWidget
{
    Q_OBJECT
public:
    explicit FormStatistics(Program& program, QWidget* parent = nullptr);

    // The window has the size the sheet gives it, whatever its content would like; the
    // main frame sizes its child windows by this.
    QSize sizeHint() const override { return minimumSize(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh(const QString& name);
    void refreshAll();
    QWidget* frame();

    StatisticsSheet& m_sheet;
    QHash<QString, QLineEdit*> m_boxes;
    QHash<QString, QLabel*> m_captions;
    QHash<QString, QList<QWidget*>> m_rows; // the caption and boxes of each row
    QHash<QString, QWidget*> m_hideable;
    QGroupBox* m_grid;
    QLabel* m_header;
    QLabel* m_function;
    QLabel* m_progress;
    QProgressBar* m_bar;
    QPlainTextEdit* m_trace;
};
