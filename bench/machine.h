// The machine a benchmark ran on, printed with its figures.
#pragma once

#include <unistd.h>

#include <fstream>
#include <string>

inline std::string MachineDescription() {
  std::string cpu = "unknown CPU";
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.rfind("model name", 0) == 0) {
      cpu = line.substr(line.find(':') + 2);
      break;
    }
  }
  return std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores, " + cpu;
}
