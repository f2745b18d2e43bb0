// orvane-screenshot: saves the whole screen of the X display in DISPLAY as a PNG, for
// the pictures of what people see (make screenshots).
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: orvane-screenshot OUT.png\n");
    return 64;
  }
  QGuiApplication app(argc, argv);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) {
    std::fprintf(stderr, "orvane-screenshot: no screen\n");
    return 1;
  }
  const QPixmap picture = screen->grabWindow(0);
  if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "orvane-screenshot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
