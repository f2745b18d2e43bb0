// orvane-qml-preview: renders one of the Orvane QML views with a stand-in `orvane`
// object filled from a JSON state file, and saves what it shows as a PNG.
//
//   orvane-qml-preview --surface Popover --state states/popover-connected.json
//     --out popover.png [--dark] [--width W --height H] [--scale F] [--settle MS]
//
// --surface also takes a path to a .qml file, which may `import Orvane`.
//
// A view that is a Window is shown as it is; any other view is placed on a stage
// window with the hub's backdrop, at its own size (or filling W × H when given). Run
// it with QT_QPA_PLATFORM=offscreen, or under xvfb-run. Every warning Qt prints while
// loading and rendering is counted: the exit status is 2 when there was any, so a
// script can insist on a clean view.
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "preview_context.hpp"

namespace {

int warningCount = 0;
QtMessageHandler defaultHandler = nullptr;

void countWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) ++warningCount;
  defaultHandler(type, context, message);
}

// The window that holds a view that is not a window itself.
constexpr auto stageSource = R"(
import QtQuick
import QtQuick.Window
import Orvane

Window {
    id: stage
    property url surface
    property int fixedWidth: 0
    property int fixedHeight: 0
    readonly property bool fill: fixedWidth > 0 && fixedHeight > 0
    readonly property int margin: 28
    width: fill ? fixedWidth : Math.max(64, Math.ceil(loader.implicitWidth) + 2 * margin)
    height: fill ? fixedHeight : Math.max(64, Math.ceil(loader.implicitHeight) + 2 * margin)
    color: Theme.windowBottom
    Backdrop { anchors.fill: parent }
    Loader {
        id: loader
        source: stage.surface
        anchors.fill: stage.fill ? parent : undefined
        anchors.centerIn: stage.fill ? undefined : parent
    }
}
)";

// Paths in the state file for images are taken relative to the file.
void resolveImage(QJsonObject& state, const QString& key, const QDir& base) {
  const QString value = state.value(key).toString();
  if (value.isEmpty() || !QUrl(value).scheme().isEmpty()) return;
  state.insert(key, QUrl::fromLocalFile(base.absoluteFilePath(value)).toString());
}

}  // namespace

int main(int argc, char** argv) {
  // --scale must be known before the application exists.
  for (int i = 1; i + 1 < argc; ++i) {
    if (qstrcmp(argv[i], "--scale") == 0) qputenv("QT_SCALE_FACTOR", argv[i + 1]);
  }
  // Qt warns when it has no runtime folder, as in a bare container; give it one so that
  // the count below holds only what the views cause.
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    char runtime[] = "/tmp/orvane-qml-preview-XXXXXX";
    if (mkdtemp(runtime) != nullptr) qputenv("XDG_RUNTIME_DIR", runtime);
  }
  defaultHandler = qInstallMessageHandler(countWarnings);
  QGuiApplication app(argc, argv);
  QGuiApplication::setApplicationName(QStringLiteral("orvane-qml-preview"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Renders an Orvane QML view to a PNG."));
  parser.addHelpOption();
  const QCommandLineOption surfaceOption(QStringLiteral("surface"), QStringLiteral("View of the module without .qml, or a .qml file."),
                                         QStringLiteral("name"));
  const QCommandLineOption stateOption(QStringLiteral("state"), QStringLiteral("JSON file of the context's values."),
                                       QStringLiteral("file"));
  const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("PNG to write."), QStringLiteral("file"));
  const QCommandLineOption darkOption(QStringLiteral("dark"), QStringLiteral("Dark appearance."));
  const QCommandLineOption widthOption(QStringLiteral("width"), QStringLiteral("Window width."), QStringLiteral("px"));
  const QCommandLineOption heightOption(QStringLiteral("height"), QStringLiteral("Window height."),
                                        QStringLiteral("px"));
  const QCommandLineOption scaleOption(QStringLiteral("scale"), QStringLiteral("Device pixel ratio."),
                                       QStringLiteral("factor"));
  const QCommandLineOption settleOption(QStringLiteral("settle"),
                                        QStringLiteral("Milliseconds to let animations finish (600)."),
                                        QStringLiteral("ms"), QStringLiteral("600"));
  parser.addOptions(
      {surfaceOption, stateOption, outOption, darkOption, widthOption, heightOption, scaleOption, settleOption});
  parser.process(app);

  const QString surface = parser.value(surfaceOption);
  const QString out = parser.value(outOption);
  if (surface.isEmpty() || out.isEmpty()) {
    std::fprintf(stderr, "orvane-qml-preview: --surface and --out are required (see --help)\n");
    return 64;
  }
  // A view of the module by name, or a QML file on disk (which can `import Orvane`), for
  // trying a layout out before it moves into the module.
  QUrl surfaceUrl;
  if (surface.endsWith(QStringLiteral(".qml")) && QFileInfo::exists(surface)) {
    surfaceUrl = QUrl::fromLocalFile(QFileInfo(surface).absoluteFilePath());
  } else {
    const QString surfacePath = QStringLiteral(":/qt/qml/Orvane/%1.qml").arg(surface);
    if (!QFile::exists(surfacePath)) {
      std::fprintf(stderr, "orvane-qml-preview: no view %s in the module\n", qPrintable(surface));
      return 64;
    }
    surfaceUrl = QUrl(QStringLiteral("qrc") + surfacePath);
  }

  auto* context = new PreviewContext(&app);
  if (parser.isSet(stateOption)) {
    QFile file(parser.value(stateOption));
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "orvane-qml-preview: cannot read %s\n", qPrintable(file.fileName()));
      return 66;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (!document.isObject()) {
      std::fprintf(stderr, "orvane-qml-preview: %s: %s\n", qPrintable(file.fileName()),
                   qPrintable(error.errorString()));
      return 65;
    }
    QJsonObject state = document.object();
    const QDir base = QFileInfo(file).absoluteDir();
    resolveImage(state, QStringLiteral("qrImageSource"), base);
    resolveImage(state, QStringLiteral("mediaArtwork"), base);
    for (auto it = state.constBegin(); it != state.constEnd(); ++it) {
      context->insert(it.key(), it.value().toVariant());
    }
  }
  if (parser.isSet(darkOption)) context->insert(QStringLiteral("darkAppearance"), true);

  QQmlEngine engine;
  engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
  engine.rootContext()->setContextProperty(QStringLiteral("orvane"), context);

  const int width = parser.value(widthOption).toInt();
  const int height = parser.value(heightOption).toInt();

  std::unique_ptr<QObject> root;
  QQmlComponent component(&engine, surfaceUrl);
  if (component.isError()) {
    std::fprintf(stderr, "%s", qPrintable(component.errorString()));
    return 1;
  }
  root.reset(component.create());
  if (!root) {
    std::fprintf(stderr, "%s", qPrintable(component.errorString()));
    return 1;
  }
  auto* window = qobject_cast<QQuickWindow*>(root.get());
  if (!window) {
    root.reset();
    QQmlComponent stage(&engine);
    stage.setData(stageSource, QUrl(QStringLiteral("qrc:/orvane-qml-preview/Stage.qml")));
    root.reset(stage.createWithInitialProperties({{QStringLiteral("surface"), surfaceUrl},
                                                  {QStringLiteral("fixedWidth"), width},
                                                  {QStringLiteral("fixedHeight"), height}}));
    window = qobject_cast<QQuickWindow*>(root.get());
    if (!window) {
      std::fprintf(stderr, "%s", qPrintable(stage.errorString()));
      return 1;
    }
  } else if (width > 0 && height > 0) {
    window->resize(width, height);
  }

  int status = 0;
  const int settle = parser.value(settleOption).toInt();
  bool grabbing = false;
  QObject::connect(window, &QQuickWindow::frameSwapped, &app, [&] {
    if (grabbing) return;
    grabbing = true;
    QTimer::singleShot(settle, &app, [&] {
      const QImage picture = window->grabWindow();
      if (picture.isNull() || !picture.save(out, "PNG")) {
        std::fprintf(stderr, "orvane-qml-preview: cannot write %s\n", qPrintable(out));
        status = 1;
      }
      QGuiApplication::exit(0);
    });
  });
  window->show();
  app.exec();
  if (status == 0 && warningCount > 0) {
    std::fprintf(stderr, "orvane-qml-preview: %d warning(s)\n", warningCount);
    status = 2;
  }
  return status;
}
