// The floor of the viewer's start-up: a program that only shows a web view with a blank page and
// quits once the page has loaded.
#include <QApplication>
#include <QWebEngineView>

#include <unistd.h>

int main(int argc, char **argv)
{
    if (::geteuid() == 0 && !qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --no-sandbox");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    QObject::connect(&view, &QWebEngineView::loadFinished, &app, &QCoreApplication::quit);
    view.resize(1040, 600);
    view.show();
    view.setUrl(QUrl(QStringLiteral("about:blank")));
    return app.exec();
}
