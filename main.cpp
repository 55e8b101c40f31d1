#include <QApplication>
#include <QIcon>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cloakwell"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/cloakwell.svg")));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Cloakwell"));
    window.resize(900, 600);
    window.show();
    return app.exec();
}
