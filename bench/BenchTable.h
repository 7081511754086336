// The rows the benchmarks print: a figure as median, minimum and maximum of its repeated runs,
// and a ratio taken pair by pair (one value per round) with the goal it is held against.
#pragma once

#include <string>
#include <vector>

struct Spread {
    double median = 0;
    double minimum = 0;
    double maximum = 0;
};

Spread SpreadOf(std::vector<double> values);

// Prints "| what | median | min | max | unit | |" with values in the unit's scale.
void PrintFigure(const std::string& what, const std::vector<double>& values,
                 const std::string& unit);

// Prints the ratio's row with its goal ("<= 1.3" or ">= 0.85") and whether the median meets it;
// a goal of 0 prints the ratio alone.
void PrintRatio(const std::string& what, const std::vector<double>& values, bool atMost,
                double goal);
