#include <QApplication>

#include "app/ProgramWiring.h"
#include "app/shell/MMain.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ProgramWiring wiring;
    return MMain::Main(app.arguments(), wiring.hooks());
}
