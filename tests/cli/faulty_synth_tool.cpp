// brivola-syn over the recording file fake, so that a run can meet a file fault at a
// chosen call: FAIL_WRITE=N fails the N-th write as a full disk does, FAIL_STAMP=N
// makes the N-th look at a file being read find it changed. Unset, nothing fails: the
// fake counts calls from 1.
#include <cstdlib>

#include "cli/synth_tool.h"
#include "fakes.h"

int main(int argc, char** argv) {
  const char* write = std::getenv("FAIL_WRITE");
  const char* stamp = std::getenv("FAIL_STAMP");
  fake::FailCall("WriteFile", write ? std::atoi(write) : 0);
  fake::FailCall("StampFile", stamp ? std::atoi(stamp) : 0);
  return RunSynthTool(argc, argv);
}
