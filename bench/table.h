#pragma once

#include <optional>
#include <string>

namespace kelvara::bench {

enum class Unit { kSeconds, kBytes };

// What a measurement must reach, judged against the baseline measured in the same run.
struct Target {
  enum class Kind {
    kRatioAtMost,         // value <= limit x baseline
    kBaselinePlusAtMost,  // value <= baseline + limit (in the row's unit)
    kBelow,               // value < limit (in the row's unit), whatever the baseline
  };
  Kind kind;
  double limit;

  bool met(double value, double baseline) const;
};

// One row of the table: a measurement of kelvara and the baseline it is compared with.
struct Row {
  std::string measure;
  double value;
  std::string baseline;  // what the baseline is
  double baselineValue;
  Unit unit;
  std::optional<Target> target;  // none: shown for information
};

// "12.3 us", "1.50 ms", "38.2 MiB": three significant digits in a readable unit.
std::string Quantity(double value, Unit unit);

// The row as one tab-separated line, without a line end: measure, value, baseline, baseline
// value, ratio, target, and whether it is met ("yes", "NO", or "-" without a target).
// scripts/bench heads the columns in this order.
std::string TableLine(const Row& row);

}  // namespace kelvara::bench
