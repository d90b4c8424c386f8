#include "arith/exp_log.h"

#include <gtest/gtest.h>

#include <utility>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "transcend_test_util.h"

namespace {

struct ValueCase {
  const char* arg;
  const char* want;  // python3-mpmath, mp.dps = 120, printed to 70 digits
};

using ExpLogTest = TranscendTest;

// Runs `function` on every argument at both precisions and checks the
// rendered result to the precision's digits, with P restored after each call.
template <size_t N>
void CheckRenderedValues(void (*function)(Rational&), const char* name,
                         const ValueCase (&cases)[N]) {
  for (const PrecisionCase& p : kPrecisions) {
    SetRadixAndPrecision(10, p.precision);
    for (const ValueCase& c : cases) {
      SCOPED_TRACE(testing::Message() << "P=" << p.precision << " " << name << " " << c.arg);
      Rational x = DecimalRat(c.arg);
      function(x);
      EXPECT_TRUE(RenderedAgreesTo(x, c.want, p.digits));
      EXPECT_EQ(WorkingPrecision, p.precision);
    }
  }
}

TEST_F(ExpLogTest, ExponentialValues) {
  const ValueCase cases[] = {
      {"1", "2.718281828459045235360287471352662497757247093699959574966967627724077"},
      {"2", "7.389056098930650227230427460575007813180315570551847324087127822522574"},
      {"-3", "0.04978706836786394297934241565006177663169959218842321556762772760606067"},
      {"1.2345", "3.43665976117046318315183309106868322790512076110857420677591026054004"},
      {"-0.5", "0.6065306597126334236037995349911804534419181354871869556828921587350565"},
      {"0.999", "2.715564905318566687331982733345286907487783399204927647553688635165333"},
      {"10.75", "46630.02845352432921336647078575214174639268444846285610606447398077231"},
      {"-7.25", "0.0007101743888425490635846003705775444086763023873618958855644522887464704"},
      {"0.000001", "1.000001000000500000166666708333341666668055555753968278769844025573468"},
      {"-1.9999", "0.1353488174416353257907000814547524169949469549430752457368971949144174"},
  };
  CheckRenderedValues(Exponential, "e^", cases);
}

// The display gives a five-digit exponent four mantissa digits, so the text
// is checked to P - 4 digits and the value itself to the full count.
TEST_F(ExpLogTest, ExponentialAtTheLimits) {
  const ValueCase cases[] = {
      {"100000", "2.806663360426123179318385818571742708536366270565886545387436534257865e+43429"},
      {"-100000", "3.562949565309373121071174418748652368608766222182630519875779851869102e-43430"},
  };
  for (const PrecisionCase& p : kPrecisions) {
    SetRadixAndPrecision(10, p.precision);
    for (const ValueCase& c : cases) {
      SCOPED_TRACE(testing::Message() << "P=" << p.precision << " e^" << c.arg);
      Rational x = DecimalRat(c.arg);
      Exponential(x);
      EXPECT_TRUE(AgreesTo(x, c.want, p.digits));
      EXPECT_TRUE(RenderedAgreesTo(x, c.want, p.precision - 5));
    }
  }
}

TEST_F(ExpLogTest, ExponentialExactCases) {
  Rational zero = RatFromInt(0);
  Exponential(zero);
  EXPECT_TRUE(SameValue(zero, RatOne));

  // Integer exponents are powers of the stored e, no series.
  for (int32_t n : {1, 5, -4, 100}) {
    SCOPED_TRACE(n);
    Rational x = RatFromInt(n);
    Exponential(x);
    Rational want = CopyRational(EulerE);
    RatPowInt(want, n);
    EXPECT_TRUE(SameValue(x, want));
  }

  // A fraction below epsilon is ignored: e^(5 + eps/2) = e^5.
  Rational x = RatFromInt(5);
  Rational halfEps = CopyRational(Epsilon);
  RatDiv(halfEps, RatTwo);
  RatAdd(x, halfEps);
  Exponential(x);
  Rational five = RatFromInt(5);
  Exponential(five);
  EXPECT_TRUE(SameValue(x, five));
}

TEST_F(ExpLogTest, ExponentialRangeErrors) {
  for (const char* arg : {"100000.5", "-100000.5", "1e6"}) {
    SCOPED_TRACE(arg);
    Rational x = DecimalRat(arg);
    EXPECT_EQ(ThrownCode([&] { Exponential(x); }), ErrInvalidInput);
    EXPECT_TRUE(SameValue(x, DecimalRat(arg)));  // left unchanged
    EXPECT_EQ(WorkingPrecision, 33);
  }
}

TEST_F(ExpLogTest, NaturalLogValues) {
  const ValueCase cases[] = {
      {"2", "0.6931471805599453094172321214581765680755001343602552541206800094933936"},
      {"0.5", "-0.6931471805599453094172321214581765680755001343602552541206800094933936"},
      {"1.2345", "0.2106660298030971418339117168566346578972189197665627645802356552708354"},
      {"7", "1.94591014905531330510535274344317972963708472958186118845939014993758"},
      {"1e-20", "-46.05170185988091368035982909368728415202202977257545952066655801935145"},
      {"123456789.123", "18.63140176716431804176395657676367027340100792046655112152811788549395"},
      {"1e100", "230.2585092994045684017991454684364207601101488628772976033327900967573"},
      {"1e4000", "9210.34037197618273607196581873745683040440595451509190413331160387029"},
  };
  CheckRenderedValues(NaturalLog, "ln", cases);
}

TEST_F(ExpLogTest, NaturalLogOfEpsilon) {
  struct Case {
    int32_t precision;
    int32_t digits;
    const char* want;  // python3-mpmath: ln(10^-P)
  } cases[] = {
      {33, 31, "-75.9853080688035075725937180045840188508363491247495082090998207319299"},
      {65, 63, "-149.6680310446129694611694445544836734940715967608702434421663135628922"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.precision);
    SetRadixAndPrecision(10, c.precision);
    Rational x = CopyRational(Epsilon);
    NaturalLog(x);
    EXPECT_TRUE(RenderedAgreesTo(x, c.want, c.digits));
  }
}

TEST_F(ExpLogTest, NaturalLogExactCases) {
  Rational one = RatFromInt(1);
  NaturalLog(one);
  EXPECT_TRUE(RatIsZero(one));

  // ln(1/x) is exactly -ln(x): the argument is inverted, not approximated.
  for (const char* arg : {"2.3333", "1e30", "987654321987654321.5"}) {
    SCOPED_TRACE(arg);
    Rational x = DecimalRat(arg);
    Rational inverse = DecimalRat(arg);
    std::swap(inverse.num, inverse.den);
    NaturalLog(x);
    NaturalLog(inverse);
    inverse.num->sign = -inverse.num->sign;
    EXPECT_TRUE(SameValue(x, inverse));
  }
}

TEST_F(ExpLogTest, NaturalLogDomainErrors) {
  Rational negativeZero = RatFromInt(0);
  negativeZero.num->sign = -1;
  const Rational args[] = {RatFromInt(0), std::move(negativeZero), RatFromInt(-2),
                           CopyRational(MinusEpsilon)};
  for (const Rational& arg : args) {
    Rational x = CopyRational(arg);
    EXPECT_EQ(ThrownCode([&] { NaturalLog(x); }), ErrInvalidInput);
    EXPECT_TRUE(SameValue(x, arg));
    Rational y = CopyRational(arg);
    EXPECT_EQ(ThrownCode([&] { CommonLog(y); }), ErrInvalidInput);
    EXPECT_TRUE(SameValue(y, arg));
  }
}

TEST_F(ExpLogTest, CommonLogValues) {
  const ValueCase cases[] = {
      {"1000", "3"},
      {"0.001", "-3"},
      {"2", "0.3010299956639811952137388947244930267681898814621085413104274611271082"},
      {"1234.5", "3.091491094267951081848996765130173937561056413768181933072249637778038"},
  };
  for (const PrecisionCase& p : kPrecisions) {
    SetRadixAndPrecision(10, p.precision);
    for (const ValueCase& c : cases) {
      SCOPED_TRACE(testing::Message() << "P=" << p.precision << " log " << c.arg);
      Rational x = DecimalRat(c.arg);
      CommonLog(x);
      EXPECT_TRUE(RenderedAgreesTo(x, c.want, p.digits));
    }
  }
  // log 1000 renders as exactly 3.
  Rational x = RatFromInt(1000);
  SetRadixAndPrecision(10, 33);
  CommonLog(x);
  EXPECT_EQ(Render(x), "3.");
}

TEST_F(ExpLogTest, ExpOfLogRoundTrip) {
  for (const char* arg : {"0.01", "3.5", "1e30", "77777.125"}) {
    SCOPED_TRACE(arg);
    Rational x = DecimalRat(arg);
    NaturalLog(x);
    Exponential(x);
    EXPECT_TRUE(AgreesTo(x, arg, 30));
  }
}

// With the abort flag already set every loop makes exactly one pass.
TEST_F(ExpLogTest, AbortStopsAfterOnePass) {
  AbortFlag.store(true);

  Rational x = DecimalRat("0.25");
  ExpSeries(x);  // 1 + x
  EXPECT_TRUE(SameValue(x, DecimalRat("1.25")));

  Rational y = DecimalRat("1.5");
  LnSeries(y);  // u - u^2/2 with u = 0.5
  EXPECT_TRUE(SameValue(y, DecimalRat("0.375")));

  // 1.7 is above e^(1/2), but no division is made: the series gets
  // u = 0.7 itself and adds one term.
  Rational z = DecimalRat("1.7");
  NaturalLog(z);
  EXPECT_TRUE(SameValue(z, DecimalRat("0.455")));
}

}  // namespace

namespace {

TEST_F(ExpLogTest, OutOfMemoryIsClean) {
  for (const char* arg : {"1.2345", "-7.25", "20"}) {
    SCOPED_TRACE(arg);
    ExpectOutOfMemorySafe(DecimalRat(arg), Exponential);
  }
  for (const char* arg : {"1.2345", "0.001", "1e100"}) {
    SCOPED_TRACE(arg);
    ExpectOutOfMemorySafe(DecimalRat(arg), NaturalLog);
  }
  ExpectOutOfMemorySafe(RatFromInt(1000), CommonLog);
}

}  // namespace
