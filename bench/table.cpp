#include "bench/table.h"

#include <cmath>
#include <cstdio>

namespace kelvara::bench {
namespace {

// printf into a std::string; every use here fits in 64 bytes.
template <typename... Args>
std::string Print(const char* format, Args... args) {
  char text[64];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

// Three significant digits: "0.123", "1.23", "12.3", "123".
std::string Significant(double value) {
  const double size = std::fabs(value);
  const int decimals = size >= 99.95 ? 0 : size >= 9.995 ? 1 : size >= 0.9995 ? 2 : 3;
  return Print("%.*f", decimals, value);
}

std::string TargetText(const Target& target, Unit unit) {
  switch (target.kind) {
    case Target::Kind::kRatioAtMost:
      return "<= " + Print("%.2f", target.limit) + " x baseline";
    case Target::Kind::kBaselinePlusAtMost:
      return "<= baseline + " + Quantity(target.limit, unit);
    case Target::Kind::kBelow:
      return "< " + Quantity(target.limit, unit);
  }
  return {};
}

}  // namespace

bool Target::met(double value, double baseline) const {
  switch (kind) {
    case Kind::kRatioAtMost:
      // The ratio itself, as the table shows it: limit * baseline may round below the limit.
      return baseline > 0 && value / baseline <= limit;
    case Kind::kBaselinePlusAtMost:
      return value <= baseline + limit;
    case Kind::kBelow:
      return value < limit;
  }
  return false;
}

std::string Quantity(double value, Unit unit) {
  if (unit == Unit::kBytes) return Significant(value / (1024.0 * 1024.0)) + " MiB";
  const double size = std::fabs(value);
  if (size >= 0.9995) return Significant(value) + " s";
  if (size >= 0.9995e-3) return Significant(value * 1e3) + " ms";
  if (size >= 0.9995e-6) return Significant(value * 1e6) + " us";
  return Significant(value * 1e9) + " ns";
}

std::string TableLine(const Row& row) {
  const std::string ratio =
      row.baselineValue > 0 ? Print("%.2f", row.value / row.baselineValue) : "-";
  const std::string target = row.target ? TargetText(*row.target, row.unit) : "-";
  const std::string met =
      row.target ? (row.target->met(row.value, row.baselineValue) ? "yes" : "NO") : "-";
  return row.measure + '\t' + Quantity(row.value, row.unit) + '\t' + row.baseline + '\t' +
         Quantity(row.baselineValue, row.unit) + '\t' + ratio + '\t' + target + '\t' + met;
}

}  // namespace kelvara::bench
