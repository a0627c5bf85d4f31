#include "gui/TForm1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tallivo");
    QApplication::setApplicationVersion("1.4.7");
    tallivo::TForm1 window;
    window.showMaximized();
    return app.exec();
}
