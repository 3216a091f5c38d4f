#include "gui/QtUi.h"

#include "base/ProgramExit.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::StandardButton standardButton(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtUi::registerWindow(Window window, WindowFactory factory)
{
    m_factories[window] = std::move(factory);
}

Answer QtUi::message(const Message& message)
{
    // The window the user was working in (the connect dialog, say) gets the keyboard back
    // when the box closes; left to itself the box would hand it to the main window.
    const QPointer<QWidget> working = QApplication::activeWindow();
    QMessageBox box(m_main);
    box.setWindowTitle(message.title);
    QString text = message.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(text);
    box.setIcon(boxIcon(message.icon));
    QList<Answer> answers;
    for (Answer a : {Answer::Yes, Answer::No, Answer::Ok, Answer::Cancel}) {
        if (offers(message, a)) {
            box.addButton(standardButton(a));
            answers.append(a);
        }
    }
    box.setDefaultButton(standardButton(defaultAnswer(message)));
    // Escape answers like the last button offered: No, Cancel, or OK.
    box.setEscapeButton(box.button(standardButton(answers.last())));
    ++m_boxes;
    showPointer();
    const int result = box.exec();
    --m_boxes;
    showPointer();
    if (working && working->isVisible() && working != QApplication::activeWindow())
        working->activateWindow();
    for (Answer a : answers) {
        if (result == standardButton(a))
            return a;
    }
    return defaultAnswer(message);
}

void QtUi::setBusy(bool busy)
{
    m_busy = busy;
    showPointer();
}

void QtUi::yield()
{
    // The steps of long work each set the pointer as they go, some of them back to normal
    // while the work goes on; the work itself keeps it busy until it hands back to the user.
    if (!m_watchingLoop) {
        if (QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance()) {
            QObject::connect(loop, &QAbstractEventDispatcher::aboutToBlock, &m_lifetime,
                             [this] { working(false); });
            m_watchingLoop = true;
        }
    }
    working(true);
    QCoreApplication::processEvents();
    throwIfExitPending();
}

void QtUi::working(bool busy)
{
    if (busy == m_working)
        return;
    m_working = busy;
    showPointer();
}

void QtUi::showPointer()
{
    const bool wanted = m_boxes == 0 && (m_busy || m_working);
    if (wanted == m_pointerShown)
        return;
    m_pointerShown = wanted;
    if (wanted)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtUi::showWindow(Window window)
{
    if (QWidget* open = m_open[window]) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    const auto factory = m_factories.find(window);
    if (factory == m_factories.end())
        return;
    QWidget* widget = factory->second();
    if (!widget)
        return;
    m_open[window] = widget;
    widget->show();
    widget->raise();
    widget->activateWindow();
}

void QtUi::closeWindow(Window window)
{
    if (QWidget* open = m_open[window])
        open->close();
    m_open.erase(window);
}

bool QtUi::isWindowOpen(Window window) const
{
    const auto open = m_open.find(window);
    return open != m_open.end() && open->second && open->second->isVisible();
}

void QtUi::beep()
{
    QApplication::beep();
}
