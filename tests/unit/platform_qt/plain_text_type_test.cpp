#include "platform/qt/plain_text_type.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace orvane {
namespace {

TEST(PlainTextType, PrefersUtf8PlainTextOverEverythingElse) {
  struct Row {
    const char* what;
    const char* listing;
    std::optional<std::string> type;
  };
  const std::vector<Row> rows = {
      {"wl-copy's text", "text/plain;charset=utf-8\ntext/plain\nTEXT\nSTRING\nUTF8_STRING\n", "text/plain;charset=utf-8"},
      {"wl-copy's text, plain first", "text/plain\ntext/plain;charset=utf-8\nTEXT\n", "text/plain;charset=utf-8"},
      {"a browser's selection", "text/html\ntext/plain;charset=utf-8\ntext/plain\n", "text/plain;charset=utf-8"},
      {"an X11 program through XWayland", "text/html\nTARGETS\nUTF8_STRING\nSTRING\n", "UTF8_STRING"},
      {"plain text without a charset", "text/html\ntext/plain\n", "text/plain"},
      {"the charset spelt otherwise", "text/plain; charset=UTF-8\n", "text/plain; charset=UTF-8"},
      {"lines ended by CR LF", "image/png\r\ntext/plain\r\n", "text/plain"},
      {"no final newline", "image/png\ntext/plain", "text/plain"},
      {"an image", "image/png\n", std::nullopt},
      {"Latin-1 only", "text/html\nSTRING\nTEXT\n", std::nullopt},
      {"another charset", "text/plain;charset=iso-8859-1\n", std::nullopt},
      {"files", "text/uri-list\nx-special/gnome-copied-files\n", std::nullopt},
      {"nothing", "", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(plainTextType(row.listing), row.type);
  }
}

}  // namespace
}  // namespace orvane
