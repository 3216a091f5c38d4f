#pragma once

#include "views/LogViewerModel.h"

#include <QWidget>

class Program;
class QLabel;
class QPushButton;
class QTableView;
class QToolButton;

// A log viewer, a child of the main frame: the grid on the viewer's rows, the navigation
// strip with the status label, and (for the change log) Refresh and Close. FormVRLog and
// FormTransLog are its two kinds.
class LogViewerForm : public QWidget
{
    Q_OBJECT
public:
    LogViewerForm(LogViewerModel::Kind kind, Program& program, QWidget* parent = nullptr);

    // Fills the viewer; false when it could not (the failure has been reported).
    bool load();
    LogViewerModel& model() { return m_model; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* frame();
    void followModel();

    LogViewerModel m_model;
    QTableView* m_grid;
    QLabel* m_status;
    QToolButton* m_first;
    QToolButton* m_previous;
    QToolButton* m_next;
    QToolButton* m_last;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_close = nullptr;
    bool m_placed = false;
};

// The change-log viewer: the Remote Database's pending change log.
class FormVRLog : public LogViewerForm
{
    Q_OBJECT
public:
    explicit FormVRLog(Program& program, QWidget* parent = nullptr);
};

// The transfer-history viewer: this workstation's runs in the Master Database, newest first.
class FormTransLog : public LogViewerForm
{
    Q_OBJECT
public:
    explicit FormTransLog(Program& program, QWidget* parent = nullptr);
};
