#pragma once

#include "session/ConnectForm.h"

#include <QWidget>
#include <map>

class Program;
class QComboBox;
class QLineEdit;
class QPushButton;

// The connect dialog as a window of the main frame: shows the connect form's state and
// writes the user's choices back into it; the buttons run the form's commands.
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
    void run(void (ConnectForm::*command)());

    Program& m_program;
    ConnectForm& m_form;
    QComboBox* m_masterSource;
    QComboBox* m_remoteSource;
    std::map<ConnectForm::Field, QWidget*> m_widgets;
    bool m_refreshing = false;
};
