#include "gui/TForm1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    tallivo::TForm1 window;
    window.showMaximized();
    return app.exec();
}
