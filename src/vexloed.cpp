// Program entry: the application title, the four windows in their order, the message loop.
#include "framework/Application.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    app.setTitle(QStringLiteral("Vexlo-Ed"));
    return app.exec();
}
