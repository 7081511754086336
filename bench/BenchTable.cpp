#include "BenchTable.h"

#include <algorithm>
#include <cstdio>

Spread SpreadOf(std::vector<double> values) {
    Spread spread;
    if (values.empty()) {
        return spread;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    spread.median =
        values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    spread.minimum = values.front();
    spread.maximum = values.back();
    return spread;
}

void PrintFigure(const std::string& what, const std::vector<double>& values,
                 const std::string& unit) {
    const Spread spread = SpreadOf(values);
    std::printf("| %s | %.1f | %.1f | %.1f | %s | |\n", what.c_str(), spread.median, spread.minimum,
                spread.maximum, unit.c_str());
}

void PrintRatio(const std::string& what, const std::vector<double>& values, bool atMost,
                double goal) {
    const Spread spread = SpreadOf(values);
    if (goal <= 0) {
        std::printf("| %s | %.2f | %.2f | %.2f | ratio | |\n", what.c_str(), spread.median,
                    spread.minimum, spread.maximum);
        return;
    }
    const bool met = atMost ? spread.median <= goal : spread.median >= goal;
    std::printf("| %s | %.2f | %.2f | %.2f | ratio | %s %.2f: %s |\n", what.c_str(), spread.median,
                spread.minimum, spread.maximum, atMost ? "<=" : ">=", goal,
                met ? "met" : "not met");
    std::fflush(stdout);
}
