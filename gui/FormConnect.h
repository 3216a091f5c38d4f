#pragma once

#include "session/ConnectDialogModel.h"

#include <QDialog>
#include <functional>
#include <map>

class Program;
class QComboBox;
class QLineEdit;
class QPushButton;

// The connect dialog, a modeless dialog of the main window: shows the dialog's model and writes
// the user's choices back into it; the buttons run the connect commands. Enter runs the
// default button (Connect, or the button that has the focus), Escape the Exit button.
class FormConnect : public QDialog
{
    Q_OBJECT
public:
    explicit FormConnect(Program& program, QWidget* parent = nullptr);

public Q_SLOTS:
    // Escape: asks as the Exit button does, instead of hiding the dialog.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void refresh();
    void run(const std::function<void()>& command);
    // The window whose position the stored Left and Top are measured from (none: the screen).
    QPoint origin() const;

    Program& m_program;
    ConnectDialogModel& m_form;
    QComboBox* m_masterSource;
    QComboBox* m_remoteSource;
    std::map<ConnectDialogModel::Field, QWidget*> m_widgets;
    bool m_refreshing = false;
};
