#pragma once

#include <QHash>
#include <QWidget>

class QLabel;
class QLineEdit;
class RepStatusSheet;

// The replication status window: a child of the main window at the top-left corner of its
// client area, showing the status sheet's boxes (read-only) under its captions. No buttons;
// it lives until the process ends.
class FormRepStatus : public QWidget
{
    Q_OBJECT
public:
    explicit FormRepStatus(RepStatusSheet& sheet, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refreshAll();
    QWidget* frame() { return parentWidget() ? parentWidget() : this; }

    RepStatusSheet& m_sheet;
    QHash<QString, QLineEdit*> m_boxes;
    QHash<int, QLabel*> m_labels;
};
