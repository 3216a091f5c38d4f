#pragma once

#include <QWidget>

class Program;

// The About window: a small window of its own (not inside the main frame) that keeps its
// position between runs.
class FormAbout : public QWidget
{
    Q_OBJECT
public:
    explicit FormAbout(Program& program, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Program& m_program;
};
