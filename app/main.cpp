#include <QApplication>

#include "app/shell/MMain.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return MMain::Main(app.arguments());
}
