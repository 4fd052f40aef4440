#include "bench/table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvara::bench {
namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == '\t') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

TEST(TargetTest, EachKindIsJudgedAtItsLimit) {
  const Target ratio{Target::Kind::kRatioAtMost, 1.15};
  EXPECT_TRUE(ratio.met(115.0, 100.0));
  EXPECT_FALSE(ratio.met(115.1, 100.0));
  EXPECT_TRUE(ratio.met(20.0, 100.0));

  const Target plus{Target::Kind::kBaselinePlusAtMost, 8.0 * 1024 * 1024};
  const double bare = 22.5 * 1024 * 1024;
  EXPECT_TRUE(plus.met(bare + 8.0 * 1024 * 1024, bare));
  EXPECT_FALSE(plus.met(bare + 8.0 * 1024 * 1024 + 1, bare));

  // "Under" is strict, and the baseline does not move it.
  const Target below{Target::Kind::kBelow, 20e-6};
  EXPECT_TRUE(below.met(19.999e-6, 1.0));
  EXPECT_FALSE(below.met(20e-6, 0.0));
}

TEST(QuantityTest, ThreeDigitsInTheUnitThatFits) {
  EXPECT_EQ(Quantity(5.47e-9, Unit::kSeconds), "5.47 ns");
  EXPECT_EQ(Quantity(999e-9, Unit::kSeconds), "999 ns");
  EXPECT_EQ(Quantity(999.96e-9, Unit::kSeconds), "1.00 us");  // rounding moves it up a unit
  EXPECT_EQ(Quantity(36.4e-6, Unit::kSeconds), "36.4 us");
  EXPECT_EQ(Quantity(0.0219, Unit::kSeconds), "21.9 ms");
  EXPECT_EQ(Quantity(1.5, Unit::kSeconds), "1.50 s");
  EXPECT_EQ(Quantity(0.0, Unit::kSeconds), "0.000 ns");
  EXPECT_EQ(Quantity(29.2 * 1024 * 1024, Unit::kBytes), "29.2 MiB");
  EXPECT_EQ(Quantity(512 * 1024, Unit::kBytes), "0.500 MiB");
}

TEST(TableLineTest, RowsCarryTheirRatioTargetAndVerdict) {
  const Row startup{"start-up", 0.0219,         "bare window",
                    0.0118,     Unit::kSeconds, Target{Target::Kind::kRatioAtMost, 1.15}};
  EXPECT_EQ(Fields(TableLine(startup)),
            (std::vector<std::string>{"start-up", "21.9 ms", "bare window", "11.8 ms", "1.86",
                                      "<= 1.15 x baseline", "NO"}));

  const Row memory{"peak RSS",    29.2 * 1024 * 1024,
                   "bare window", 22.4 * 1024 * 1024,
                   Unit::kBytes,  Target{Target::Kind::kBaselinePlusAtMost, 8.0 * 1024 * 1024}};
  EXPECT_EQ(Fields(TableLine(memory))[5], "<= baseline + 8.00 MiB");
  EXPECT_EQ(Fields(TableLine(memory))[6], "yes");

  const Row shown{"card_Click", 96e-6, "bare", 0.0, Unit::kSeconds, std::nullopt};
  const std::vector<std::string> fields = Fields(TableLine(shown));
  EXPECT_EQ(fields[4], "-");  // no ratio against a zero baseline
  EXPECT_EQ(fields[5], "-");
  EXPECT_EQ(fields[6], "-");
  EXPECT_EQ(fields.size(), 7u);  // the columns scripts/bench heads
}

}  // namespace
}  // namespace kelvara::bench
