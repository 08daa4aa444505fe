// Fibrovue: the desktop program. `fibrovue [FILE.sor]`
#include "app/CQUARLOApp.h"
#include "display/qt/TraceShowView.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    fv::CQUARLOApp app;
    QStringList args = qapp.arguments();
    args.removeFirst();
    if (!app.startUp(args)) return 1;
    // For measuring start-up: quit as soon as the first graph with a trace is on screen.
    if (qEnvironmentVariableIsSet("FIBROVUE_QUIT_AFTER_FIRST_PAINT"))
        QObject::connect(app.traceView(), &fv::CTraceShowView::traceFramePainted, &qapp,
                         [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });
    return qapp.exec();
}
