// Commands are read line by line; a line without end cannot take the memory.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/command_reader.hpp"

namespace orvane::cli {
namespace {

struct Read {
  std::vector<std::string> lines;
  int tooLong = 0;
};

Read readAll(const std::string& input, std::size_t maxLine) {
  std::istringstream in(input);
  Read read;
  readLines(in, maxLine, [&](std::string line) { read.lines.push_back(std::move(line)); }, [&] { ++read.tooLong; });
  return read;
}

TEST(CommandReader, SplitsLinesAndDropsOnlyThoseTooLong) {
  struct Row {
    const char* name;
    std::string input;
    std::vector<std::string> lines;
    int tooLong;
  };
  const std::vector<Row> rows = {
      {"lines", "status\nsend hi\n", {"status", "send hi"}, 0},
      {"a last line without a break", "status\nquit", {"status", "quit"}, 0},
      {"an empty line is a line", "\nstatus\n", {"", "status"}, 0},
      {"exactly the longest", "12345678\nok\n", {"12345678", "ok"}, 0},
      {"one byte too long, then on", "123456789\nok\n", {"ok"}, 1},
      {"too long at the end of input", "ok\n" + std::string(100, 'x'), {"ok"}, 1},
      {"nothing", "", {}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Read read = readAll(row.input, 8);
    EXPECT_EQ(read.lines, row.lines);
    EXPECT_EQ(read.tooLong, row.tooLong);
  }
}

}  // namespace
}  // namespace orvane::cli
