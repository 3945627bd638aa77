// brivola-syn over the recording file fake, so that a run can meet a file fault at a
// chosen call: FAIL_WRITE=N fails the N-th write as a full disk does, FAIL_STAMP=N
// makes the N-th look at a file being read find it changed.
#include <cstdlib>

#include "cli/synth_tool.h"
#include "fakes.h"

int main(int argc, char** argv) {
  if (const char* write = std::getenv("FAIL_WRITE")) {
    fake::FailCall("WriteFile", std::atoi(write));
  }
  if (const char* stamp = std::getenv("FAIL_STAMP")) {
    fake::FailCall("StampFile", std::atoi(stamp));
  }
  return RunSynthTool(argc, argv);
}
