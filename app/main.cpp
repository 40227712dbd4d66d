#include "mainform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Fotolark");
    QApplication::setApplicationVersion(FOTOLARK_VERSION);
    TMainForm window;
    window.show();
    return application.exec();
}
