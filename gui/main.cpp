#include "app/CommandLine.h"
#include "app/InstanceLock.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "base/ConsoleUi.h"
#include "base/ProgramExit.h"
#include "db/OdbcConnectionFactory.h"
#include "gui/FormAbout.h"
#include "gui/FormConnect.h"
#include "gui/FormRepStatus.h"
#include "gui/FormStatistics.h"
#include "gui/LogViewerForm.h"
#include "gui/MDIFormMain.h"
#include "gui/QtUi.h"
#include "views/StatisticsProgressLog.h"
#include "views/StatisticsReport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QStringList>
#include <cstdio>
#include <memory>

namespace {

// The arguments, taken before Qt sees them, so none is mistaken for a Qt option.
QStringList argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Qt wants a private runtime folder and complains on every start when the session has none
// (a console or cron run); give it the one it would pick, quietly.
void ensureRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QString folder = QDir::temp().filePath(
        QStringLiteral("runtime-") + qEnvironmentVariable("USER", QStringLiteral("varrow")));
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
}

void registerWindows(QtUi& ui, Program& program, MDIFormMain& main)
{
    ui.setMainWindow(&main);
    ui.registerWindow(Window::About, [&program, &main] { return new FormAbout(program, &main); });
    // The connect dialog opens over the main window, which is shown first.
    ui.registerWindow(Window::Connect, [&program, &main] {
        main.show();
        auto* dialog = new FormConnect(program, &main);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        return dialog;
    });
    ui.registerWindow(Window::Statistics, [&program, &main] {
        return main.addChildWindow(new FormStatistics(program));
    });
    ui.registerWindow(Window::RepStatus, [&program, &main] {
        return main.addChildWindow(new FormRepStatus(program.repStatus));
    });
    // A viewer that could not be filled does not open (its failure has been reported).
    ui.registerWindow(Window::VRLog, [&program, &main]() -> QWidget* {
        auto form = std::make_unique<FormVRLog>(program);
        return form->load() ? main.addChildWindow(form.release()) : nullptr;
    });
    ui.registerWindow(Window::TransLog, [&program, &main]() -> QWidget* {
        auto form = std::make_unique<FormTransLog>(program);
        return form->load() ? main.addChildWindow(form.release()) : nullptr;
    });
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList arguments = argumentsOf(argc, argv);
    // Answered before anything else: no phrase file, lock or window is needed for them.
    if (const std::optional<QString> information = informationRequest(arguments)) {
        std::fputs(qPrintable(*information), stdout);
        return 0;
    }
    // The command line as one text: the arguments joined by blanks.
    const QString commandLine = arguments.join(QLatin1Char(' '));
    const bool headless = ConsoleUi::headlessRequested();
    ensureRuntimeFolder();
    if (headless)
        qputenv("QT_QPA_PLATFORM", "offscreen");

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("VARROW"));
    // Every end of the program goes through an explicit exit, never through a closed window.
    QApplication::setQuitOnLastWindowClosed(false);

    SystemClock clock;
    OdbcConnectionFactory connections;
    std::unique_ptr<Ui> ui;
    QtUi* windows = nullptr;
    if (headless) {
        ui = std::make_unique<ConsoleUi>(qEnvironmentVariable("VARROW_ANSWERS"));
    } else {
        auto qtUi = std::make_unique<QtUi>();
        windows = qtUi.get();
        ui = std::move(qtUi);
    }
    Program program(*ui, clock, connections);
    InstanceLock lock;
    MDIFormMain mainWindow(program);
    if (windows)
        registerWindows(*windows, program, mainWindow);
    // Without windows, the statistics window's progress goes to the console instead.
    std::unique_ptr<StatisticsProgressLog> progressLog;
    if (headless)
        progressLog = std::make_unique<StatisticsProgressLog>(program.statistics, clock);
    // And the replication status window's steps become lines too.
    if (headless)
        QObject::connect(&program.repStatus, &RepStatusSheet::textChanged,
                         [&program](const QString& box, const QString& text) {
                             if (box != QLatin1String("Text1"))
                                 return;
                             const QString line =
                                 QStringLiteral("[replication] %1 - %2\n")
                                     .arg(program.repStatus.progressInformation(), text);
                             std::fputs(qPrintable(line), stderr);
                         });

    runGuarded([&] {
        runStartup(program, commandLine, lock);
        if (windows)
            mainWindow.show();
        else
            std::fputs("vrw1: running without windows; stop the process to end it\n", stderr);
    });
    if (exitPending()) {
        // An unattended run ends with what its statistics window would have shown.
        if (progressLog && program.statistics.isLoaded()) {
            progressLog->flush();
            std::fputs(qPrintable(statisticsReport(program.statistics)), stdout);
        }
        return pendingExitCode();
    }
    const int status = app.exec();
    return exitPending() ? pendingExitCode() : status;
}
