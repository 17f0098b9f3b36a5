// The floor of the start-up benchmark: a Qt program that shows one empty main
// window and ends once it is painted and idle.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Floor"));
  window.show();
  QTimer::singleShot(0, &window, [&window] {
    QTimer::singleShot(0, &window, [&window] {
      window.repaint();
      QApplication::exit(0);
    });
  });
  return QApplication::exec();
}
