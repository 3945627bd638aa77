#include "cli/synth_tool.h"

int main(int argc, char** argv) { return RunSynthTool(argc, argv); }
