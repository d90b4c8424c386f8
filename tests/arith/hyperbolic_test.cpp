// Hyperbolic functions and their inverses.
#include "arith/hyperbolic.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "transcend_test_util.h"

namespace {

using HypFunction = void (*)(Rational&);

class HyperbolicTest : public TranscendTest {};

// Expected values: python3-mpmath 1.3.0 (mp.dps = 200), printed with
// mp.nstr(v, 70).
struct Case {
  const char* name;
  HypFunction f;
  const char* x;
  const char* want;
};
const Case kValues[] = {
    {"sinh", HypSine, "1", "1.175201193643801456882381850595600815155717981334095870229565413013308"},
    {"sinh", HypSine, "0.999", "1.173658700352451883061120209095534209368181982879749848447929030947909"},
    {"sinh", HypSine, "-5", "-74.20321057778875897700947199606456559961940900442581698066126978966969"},
    {"sinh", HypSine, "0.5", "0.5210953054937473616224256264114915591059289826114805279460935764528023"},
    {"sinh", HypSine, "-0.5", "-0.5210953054937473616224256264114915591059289826114805279460935764528023"},
    {"sinh", HypSine, "20", "242582597.7048951379539766040514913653593493043945131389889017623584372"},
    {"sinh", HypSine, "-20", "-242582597.7048951379539766040514913653593493043945131389889017623584372"},
    {"sinh", HypSine, "1e-20",
     "0.00000000000000000001000000000000000000000000000000000000000016666666666666666666666666667"},
    {"cosh", HypCosine, "1", "1.543080634815243778477905620757061682601529112365863704737402214710769"},
    {"cosh", HypCosine, "0.999", "1.541906204966114804270862524249752698119601416325177799105759604217424"},
    {"cosh", HypCosine, "-5", "74.20994852478784444410610804448771402386825858945317206609157532124237"},
    {"cosh", HypCosine, "0.5", "1.127625965206380785226225161402672012547847118098667483628985735187859"},
    {"cosh", HypCosine, "-20", "242582597.7048951400151302264900491933252896845503341153647090379575408"},
    {"cosh", HypCosine, "2", "3.762195691083631459562213477773746108293973558230711602777643347588324"},
    {"tanh", HypTangent, "0.5", "0.4621171572600097585023184836436725487302892803301130385527318158380809"},
    {"tanh", HypTangent, "-0.5", "-0.4621171572600097585023184836436725487302892803301130385527318158380809"},
    {"tanh", HypTangent, "1", "0.7615941559557648881194582826047935904127685972579365515968105001219532"},
    {"tanh", HypTangent, "-5", "-0.999909204262595131210990447534473021089812615990547862736428872262561"},
    {"tanh", HypTangent, "20", "0.9999999999999999915032914894168220454385581911909872571304745642276639"},
    {"tanh", HypTangent, "1e-20",
     "0.000000000000000000009999999999999999999999999999999999999999666666666666666666666666666667"},
    {"arsinh", HypArcSine, "0.85", "0.771237433359807802821975743573758043514566067326092860075481399275524"},
    {"arsinh", HypArcSine, "0.86", "0.7788380461639724254605110032442188262341132495998737974282228577545645"},
    {"arsinh", HypArcSine, "-0.85", "-0.771237433359807802821975743573758043514566067326092860075481399275524"},
    {"arsinh", HypArcSine, "-0.86", "-0.7788380461639724254605110032442188262341132495998737974282228577545645"},
    {"arsinh", HypArcSine, "0.1", "0.09983407889920756332730312470476944326771291170882501074238269565159177"},
    {"arsinh", HypArcSine, "3", "1.818446459232066823483698963560708993786253942768121617451744167233054"},
    {"arsinh", HypArcSine, "-1000", "-7.60090270954198861152328978466493963356833912041722783106156309536609"},
    {"arsinh", HypArcSine, "-1e20", "-46.74484904044085898977706121514546072009755490693571477478723802884485"},
    {"arcosh", HypArcCosine, "1.5", "0.9624236501192068949955178268487368462703686687713210393220363376803277"},
    {"arcosh", HypArcCosine, "10", "2.993222846126380897912667713774182913083660451180980642685145600977499"},
    {"arcosh", HypArcCosine, "1e20", "46.74484904044085898977706121514546072009750490693571477478723802884485"},
    {"artanh", HypArcTangent, "0.5", "0.5493061443340548456976226184612628523237452789113747258673471668187471"},
    {"artanh", HypArcTangent, "-0.9", "-1.472219489583220230004513715943926768618689630649564409268980118204646"},
    {"artanh", HypArcTangent, "0.1", "0.1003353477310755806357265520600389452633628691459591358745895209277925"},
    {"artanh", HypArcTangent, "0.999999", "7.25432861926204720674175708363634444850641911584174393006720924827519"},
};

TEST_F(HyperbolicTest, ValuesAgreeWithReferenceAtBothPrecisions) {
  for (const PrecisionCase& pc : kPrecisions) {
    SetRadixAndPrecision(10, pc.precision);
    for (const Case& c : kValues) {
      SCOPED_TRACE(std::string(c.name) + " " + c.x + " P=" + std::to_string(pc.precision));
      Rational x = DecimalRat(c.x);
      c.f(x);
      EXPECT_TRUE(AgreesTo(x, c.want, pc.digits));
      EXPECT_EQ(WorkingPrecision, pc.precision);
    }
  }
}

TEST_F(HyperbolicTest, ExactValuesAtZeroAndOne) {
  const Case cases[] = {
      {"sinh", HypSine, "0", "0"},         {"tanh", HypTangent, "0", "0"},
      {"artanh", HypArcTangent, "0", "0"}, {"arsinh", HypArcSine, "0", "0"},
      {"cosh", HypCosine, "0", "1"},       {"arcosh", HypArcCosine, "1", "0"},
      // cosh of a tiny argument is 1 up to far below the precision.
      {"cosh", HypCosine, "1e-40", "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.x);
    Rational x = DecimalRat(c.x);
    c.f(x);
    if (std::string(c.x) == "1e-40") {
      EXPECT_TRUE(RatGreaterEqual(x, RatOne));
      EXPECT_TRUE(AgreesTo(x, c.want, 31));
    } else {
      EXPECT_TRUE(RatEqual(x, DecimalRat(c.want)));
    }
  }
}

TEST_F(HyperbolicTest, CoshIsEvenAndArsinhOddExactly) {
  for (const char* text : {"0.3", "0.999", "1", "2.5", "17", "1e-25"}) {
    SCOPED_TRACE(text);
    Rational plus = DecimalRat(text);
    Rational minus = DecimalRat(text);
    minus.num->sign = -1;
    Rational c1 = CopyRational(plus);
    Rational c2 = CopyRational(minus);
    HypCosine(c1);
    HypCosine(c2);
    EXPECT_TRUE(BigNumEqualMagnitude(*c1.num, *c2.num) && BigNumEqualMagnitude(*c1.den, *c2.den));
    EXPECT_TRUE(RatEqual(c1, c2));
    EXPECT_TRUE(RatGreaterEqual(c1, RatOne));
    Rational s1 = CopyRational(plus);
    Rational s2 = CopyRational(minus);
    HypArcSine(s1);
    HypArcSine(s2);
    s2.num->sign = -s2.num->sign;
    EXPECT_TRUE(RatEqual(s1, s2));
  }
}

TEST_F(HyperbolicTest, FailuresLeaveArgument) {
  struct Failure {
    const char* name;
    HypFunction f;
    const char* x;
    ErrorCode code;
  };
  const Failure cases[] = {
      {"sinh", HypSine, "100000.5", ErrInvalidInput},
      {"sinh", HypSine, "1e6", ErrInvalidInput},
      // The odd functions are taken of |x|: the same errors for -x, at once.
      {"sinh", HypSine, "-100000.5", ErrInvalidInput},
      {"sinh", HypSine, "-200000", ErrInvalidInput},
      {"cosh", HypCosine, "100001", ErrInvalidInput},
      {"cosh", HypCosine, "-100001", ErrInvalidInput},
      {"tanh", HypTangent, "100001", ErrInvalidInput},
      {"tanh", HypTangent, "-1e9", ErrInvalidInput},
      {"arcosh", HypArcCosine, "0.5", ErrInvalidInput},
      {"arcosh", HypArcCosine, "-2", ErrInvalidInput},
      {"artanh", HypArcTangent, "1", ErrDivideByZeroPositive},
      {"artanh", HypArcTangent, "-1", ErrDivideByZeroPositive},
      {"artanh", HypArcTangent, "2", ErrInvalidInput},
      {"artanh", HypArcTangent, "-3", ErrInvalidInput},
  };
  for (const Failure& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.x);
    Rational x = DecimalRat(c.x);
    EXPECT_EQ(ThrownCode([&] { c.f(x); }), c.code);
    EXPECT_TRUE(RatEqual(x, DecimalRat(c.x)));
    EXPECT_EQ(WorkingPrecision, 33);
  }
  // The limits themselves are computed.
  Rational top = RatFromInt(100000);
  EXPECT_EQ(ThrownCode([&] { HypSine(top); }), 0u);
  Rational bottom = RatFromInt(-100000);
  EXPECT_EQ(ThrownCode([&] { HypCosine(bottom); }), 0u);
}

// The odd functions give f(-x) = -f(x) exactly and cosh(-x) = cosh(x), on
// both sides of every branch point (0.85, 1) and at the limit.
TEST_F(HyperbolicTest, SymmetricInSign) {
  const char* const args[] = {"1e-30", "0.3", "0.85", "0.86", "0.999", "1",
                              "1.5",   "20",  "50000", "100000"};
  const HypFunction odd[] = {HypSine, HypTangent, HypArcSine};
  for (const char* a : args) {
    SCOPED_TRACE(a);
    for (HypFunction f : odd) {
      Rational plus = DecimalRat(a);
      Rational minus = RatNegated(plus);
      f(plus);
      f(minus);
      EXPECT_TRUE(RatEqual(minus, RatNegated(plus)));
    }
    Rational plus = DecimalRat(a);
    Rational minus = RatNegated(plus);
    HypCosine(plus);
    HypCosine(minus);
    EXPECT_TRUE(RatEqual(minus, plus));
  }
  for (const char* a : {"1e-30", "0.3", "0.999999"}) {
    SCOPED_TRACE(a);
    Rational plus = DecimalRat(a);
    Rational minus = RatNegated(plus);
    HypArcTangent(plus);
    HypArcTangent(minus);
    EXPECT_TRUE(RatEqual(minus, RatNegated(plus)));
  }
}

}  // namespace
