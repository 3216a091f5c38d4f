#pragma once

#include "session/ConnectDialogModel.h"

#include <QWidget>
#include <functional>
#include <map>

class Program;
class QComboBox;
class QLineEdit;
class QPushButton;

// The connect dialog as a window of the main frame: shows the dialog's model and writes the
// user's choices back into it; the buttons run the connect commands.
class FormConnect : public QWidget
{
    Q_OBJECT
public:
    explicit FormConnect(Program& program, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void run(const std::function<void()>& command);

    Program& m_program;
    ConnectDialogModel& m_form;
    QComboBox* m_masterSource;
    QComboBox* m_remoteSource;
    std::map<ConnectDialogModel::Field, QWidget*> m_widgets;
    bool m_refreshing = false;
};
