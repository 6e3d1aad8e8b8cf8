// Prints "highlight REFDES COLOUR" on stdout, one flushed line per highlight; colour codes
// The five colour codes of Dbx32.h are named (RED, WHITE, BLUE, CYAN, YELLOW), others printed
// as numbers.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

namespace pcbhost {

class HighlightLog {
  public:
    explicit HighlightLog(std::FILE* out = stdout) : out_(out) {}

    static std::string ColourName(int colour);
    static std::string Line(const std::string& refDes, int colour);
    void Print(const std::string& refDes, int colour);

  private:
    std::FILE* out_;
    std::mutex mutex_;
};

}  // namespace pcbhost
