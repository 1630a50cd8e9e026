#include <gtest/gtest.h>

#include "cad/automation_error.h"
#include "cad/facade.h"
#include "cad/object.h"
#include "cad/value.h"

namespace qarn::cad {
namespace {

TEST(Value, ConversionsRefuseTheWrongKindInsteadOfDefaulting) {
  EXPECT_EQ(Value(7).toInt(), 7);
  EXPECT_EQ(Value(7.0).toInt(), 7);
  EXPECT_DOUBLE_EQ(Value(Currency::fromDouble(0.75)).toDouble(), 0.75);
  EXPECT_EQ(Value(true).toInt(), -1);  // VARIANT_TRUE

  EXPECT_THROW(Value("12").toInt(), AutomationError);
  EXPECT_THROW(Value(7.5).toInt(), AutomationError);
  EXPECT_THROW(Value(3).toText(), AutomationError);
  EXPECT_THROW(Value().toObject(), AutomationError);
  EXPECT_THROW(Value(std::vector<double>{1, 2, 3}).values(), AutomationError);
  try {
    Value("x").toDouble();
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.code(), status::kTypeMismatch);
    EXPECT_NE(std::string(e.what()).find("text \"x\""), std::string::npos) << e.what();
  }
}

TEST(Value, CurrencyKeepsFourDecimalsAndMissingDiffersFromEmpty) {
  EXPECT_EQ(Currency::fromDouble(0.6).raw, 6000);
  EXPECT_EQ(Currency::fromDouble(-1.23456).raw, -12346);
  EXPECT_TRUE(Value::missing().isMissing());
  EXPECT_FALSE(Value::missing().isEmpty());
  EXPECT_TRUE(Value().isEmpty());
}

TEST(Point, ValuesAreThreeDoublesAndReadBackFromTwoOrThree) {
  Value v = pointValue(1.5, -2, 0);
  ASSERT_EQ(v.kind(), Value::Kind::DoubleArray);
  EXPECT_EQ(v.doubles(), (std::vector<double>{1.5, -2, 0}));
  EXPECT_EQ(toPoint(Value(std::vector<double>{4, 5})), (Point3{4, 5, 0}));
  EXPECT_THROW(toPoint(Value(std::vector<double>{1, 2, 3, 4})), AutomationError);
  EXPECT_THROW(toPoint(Value(std::vector<Value>{1.0, 2.0, 3.0})), AutomationError);
}

TEST(Object, AnUnsetObjectIsAnAutomationErrorNotACrash) {
  Object o;
  EXPECT_FALSE(o.valid());
  EXPECT_THROW(o.get("Name"), AutomationError);
  EXPECT_THROW(o.put("Name", "x"), AutomationError);
  EXPECT_THROW(o.call("Erase"), AutomationError);
}

}  // namespace
}  // namespace qarn::cad
