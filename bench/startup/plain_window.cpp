// The floor of the start-up benchmark: a plain Qt program that shows a main window with a table,
// a menu and a status bar, and prints the wall-clock time of its first paint as the program does.
#include <QApplication>
#include <QDateTime>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableWidget>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {
class PlainWindow final : public QMainWindow
{
protected:
    void paintEvent(QPaintEvent *event) override
    {
        QMainWindow::paintEvent(event);
        if (!m_reported) {
            m_reported = true;
            std::printf("shown %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
            std::fflush(stdout);
        }
    }

private:
    bool m_reported = false;
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    PlainWindow window;
    window.setWindowTitle(u"Plain"_s);
    window.menuBar()->addMenu(u"&File"_s)->addAction(u"E&xit"_s, &app, &QApplication::quit);
    auto *table = new QTableWidget(50, 8, &window);
    for (int row = 0; row < 50; ++row)
        for (int column = 0; column < 8; ++column)
            table->setItem(row, column, new QTableWidgetItem(u"%1,%2"_s.arg(row).arg(column)));
    window.setCentralWidget(table);
    window.statusBar()->showMessage(u"Ready"_s);
    window.resize(1200, 800);
    window.show();
    return app.exec();
}
