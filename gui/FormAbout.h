#pragma once

#include <QDialog>

class Program;

// The About window: a modal dialog centred on the main window, as tall as its texts need.
// OK, Escape and the close box close it.
class FormAbout : public QDialog
{
    Q_OBJECT
public:
    explicit FormAbout(Program& program, QWidget* parent = nullptr);

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
