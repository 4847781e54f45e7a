#pragma once

#include <fstream>
#include <string>

namespace benchsupport {

// The machine's load averages over 1, 5 and 15 minutes, as printed beside a run's figures.
inline std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

} // namespace benchsupport
