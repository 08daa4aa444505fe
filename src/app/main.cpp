// Fibrovue: the desktop program. `fibrovue [FILE.sor]`
#include "app/CQUARLOApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    fv::CQUARLOApp app;
    QStringList args = qapp.arguments();
    args.removeFirst();
    if (!app.startUp(args)) return 1;
    return qapp.exec();
}
