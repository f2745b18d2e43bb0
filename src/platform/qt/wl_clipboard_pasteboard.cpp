#include "platform/qt/wl_clipboard_pasteboard.hpp"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <chrono>

#include "base/text.hpp"
#include "platform/qt/child_command.hpp"
#include "platform/qt/plain_text_type.hpp"

namespace orvane {

namespace {

using namespace std::chrono_literals;

// Each run of wl-paste or wl-copy, the watch's first word at start, and the wait in
// setString for the watch to tell of the write.
constexpr auto childDeadline = 3s;
constexpr std::size_t textLimit = 256 * 1024;
constexpr std::size_t listingLimit = 64 * 1024;
// Log lines carry a MIME type at most.
constexpr std::size_t logLineLimit = 4096;
constexpr std::size_t complaintLimit = 512;

// What the watch runs for each new content, the content on its standard input. It reads
// the content to its end, as a program that hands its clipboard over may not survive a
// reader that goes away (SIGPIPE). The watch waits for the command before it looks at
// the next change, so an owner that never finishes is given up after 2 s.
const QStringList watchCommand = {"timeout", "2", "cat"};

// A program owning the clipboard may hand over bytes that are not UTF-8 although it
// offered UTF-8 text; each such byte becomes U+FFFD, as QString would make it.
std::string validUtf8(std::string_view bytes) {
  std::string valid;
  valid.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const text::Scalar scalar = text::decodeAt(bytes, i);
    if (scalar.wellFormed) {
      valid.append(bytes.substr(i, scalar.length));
    } else {
      valid.append("\xEF\xBF\xBD");
    }
    i += std::max<std::size_t>(scalar.length, 1);
  }
  return valid;
}

bool installed(const std::string& program) {
  const QString name = QString::fromStdString(program);
  if (program.find('/') != std::string::npos) return QFileInfo(name).isExecutable();
  return !QStandardPaths::findExecutable(name).isEmpty();
}

std::string_view view(const QByteArray& bytes) { return {bytes.constData(), static_cast<std::size_t>(bytes.size())}; }

int milliseconds(const QDeadlineTimer& deadline) {
  return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1));
}

}  // namespace

WlClipboardPasteboard::WlClipboardPasteboard(Options options)
    : options_(std::move(options)),
      counter_("orvane-write=" + std::to_string(::getpid()) + "-"),
      logLines_(logLineLimit) {}

WlClipboardPasteboard::~WlClipboardPasteboard() {
  context_.reset();  // no more calls into this object
  if (watch_) {
    watch_->kill();
    watch_->waitForFinished(1000);
  }
}

expected<std::unique_ptr<WlClipboardPasteboard>, std::string> WlClipboardPasteboard::start(Options options) {
  const std::array<std::string, 4> needed = {options.wlPaste, options.wlCopy, "timeout", "cat"};
  for (const std::string& program : needed) {
    if (!installed(program)) return unexpected(program + " is not installed");
  }
  std::unique_ptr<WlClipboardPasteboard> pasteboard(new WlClipboardPasteboard(std::move(options)));
  if (auto started = pasteboard->startWatch(); !started) return unexpected(started.error());
  return pasteboard;
}

expected<void, std::string> WlClipboardPasteboard::startWatch() {
  watch_ = std::make_unique<QProcess>();
  inheritNoDescriptors(*watch_);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("WAYLAND_DEBUG", "1");
  watch_->setProcessEnvironment(environment);
  watch_->setStandardInputFile(QProcess::nullDevice());
  // The command's copy of each content goes nowhere; only the log matters.
  watch_->setStandardOutputFile(QProcess::nullDevice());
  watch_->setReadChannel(QProcess::StandardError);
  watch_->setProgram(QString::fromStdString(options_.wlPaste));
  watch_->setArguments(QStringList{"--watch"} + watchCommand);

  const std::string name = options_.wlPaste + " --watch";
  QDeadlineTimer deadline(childDeadline);
  watch_->start(QIODevice::ReadOnly);
  if (!watch_->waitForStarted(milliseconds(deadline))) {
    return unexpected(name + " did not start: " + watch_->errorString().toStdString());
  }
  // What wl-paste says besides its log, such as that the compositor does not offer data
  // control.
  std::string complaint;
  while (!readLog(&complaint)) {
    if (watch_->state() == QProcess::NotRunning) {
      if (!complaint.empty()) return unexpected(name + ": " + complaint);
      return unexpected(name + " exited with status " + std::to_string(watch_->exitCode()));
    }
    if (deadline.hasExpired()) {
      watch_->kill();
      watch_->waitForFinished(1000);
      return unexpected(name + " told nothing of the clipboard within " +
                        std::to_string(std::chrono::milliseconds(childDeadline).count()) + " ms");
    }
    watch_->waitForReadyRead(milliseconds(deadline));
  }

  context_ = std::make_unique<QObject>();
  QObject::connect(watch_.get(), &QProcess::readyReadStandardError, context_.get(), [this] { readLog(); });
  QObject::connect(watch_.get(), &QProcess::finished, context_.get(), [this] { watchEnded(); });
  return {};
}

bool WlClipboardPasteboard::readLog(std::string* complaint) {
  bool told = false;
  for (const std::string& line : logLines_.append(view(watch_->readAllStandardError()))) {
    if (std::optional<Selection> selection = selections_.take(line)) {
      counter_.take(*selection);
      started_ = told = true;
    } else if (complaint != nullptr && !started_ && !line.starts_with('[') && complaint->size() < complaintLimit) {
      *complaint += (complaint->empty() ? "" : " ") + line;
    }
  }
  return told;
}

void WlClipboardPasteboard::watchEnded() {
  readLog();
  limitation_ = "The clipboard watch (wl-paste) has stopped: copies made in other programs are no longer seen";
  options_.log.error(*limitation_ + " (exit status " + std::to_string(watch_->exitCode()) + ")");
}

std::optional<std::string> WlClipboardPasteboard::string() {
  ChildCommand list{.program = options_.wlPaste, .arguments = {"--list-types"}, .deadline = childDeadline,
                    .outputLimit = listingLimit};
  auto listing = run(list);
  if (!listing) {
    options_.log.error("Reading the clipboard failed: " + listing.error().message);
    return std::nullopt;
  }
  // wl-paste fails with "No selection" when the clipboard is empty.
  if (listing->exitCode != 0) return std::nullopt;
  const std::optional<std::string> type = plainTextType(listing->output);
  if (!type) return std::nullopt;

  ChildCommand paste{.program = options_.wlPaste, .arguments = {"--no-newline", "--type", *type},
                     .deadline = childDeadline, .outputLimit = textLimit};
  auto pasted = run(paste);
  if (!pasted) {
    if (pasted.error().failure == ChildFailure::tooMuchOutput) {
      options_.log.info("The clipboard holds more than 256 KiB of text; it is left alone");
    } else {
      options_.log.error("Reading the clipboard failed: " + pasted.error().message);
    }
    return std::nullopt;
  }
  // The type is no longer offered: the clipboard changed since the listing, and the
  // watch will tell of that.
  if (pasted->exitCode != 0) return std::nullopt;
  return validUtf8(pasted->output);
}

void WlClipboardPasteboard::setString(const std::string& text) {
  // Offered in a type of its own beside the usual text types (wl-copy adds those, the
  // X11 names included); naming a type also spares wl-copy from guessing it.
  ChildCommand copy{.program = options_.wlCopy, .arguments = {"--type", counter_.nextWriteType()}, .input = text,
                    .deadline = childDeadline, .keepsOutput = false};
  auto copied = run(copy);
  if (!copied) {
    options_.log.error("Writing the clipboard failed: " + copied.error().message);
    return;
  }
  if (copied->exitCode != 0) {
    options_.log.error("Writing the clipboard failed: wl-copy exited with status " + std::to_string(copied->exitCode));
    return;
  }
  counter_.wrote();
  // wl-copy returns once the compositor has our content, so its selection is on its way
  // to the watch, after any copied before it. waitForReadyRead hands the log to readLog.
  QDeadlineTimer deadline(childDeadline);
  readLog();
  while (!counter_.latestWriteSeen() && watch_->state() == QProcess::Running && !deadline.hasExpired()) {
    watch_->waitForReadyRead(milliseconds(deadline));
  }
  if (!counter_.latestWriteSeen()) {
    options_.log.error("The clipboard watch did not tell of our write in time");
  }
}

}  // namespace orvane
