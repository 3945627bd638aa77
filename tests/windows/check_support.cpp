#include "tests/windows/check_support.h"

#include <cstdarg>
#include <cstdio>

namespace check {
namespace {

int checks;
int failures;

}  // namespace

void Start() { std::setvbuf(stdout, nullptr, _IONBF, 0); }

void Expect(bool holds, const char* format, ...) {
  ++checks;
  if (holds) return;
  ++failures;
  std::va_list arguments;
  va_start(arguments, format);
  std::fputs("FAIL: ", stdout);
  std::vprintf(format, arguments);
  std::fputs("\n", stdout);
  va_end(arguments);
}

int Finish(const char* name) {
  std::printf("%s: %d checks, %d failed\n", name, checks, failures);
  return failures == 0 ? 0 : 1;
}

}  // namespace check
