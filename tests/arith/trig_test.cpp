// Sine, cosine and tangent in degrees, radians and grads.
#include "arith/trig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "arith/alloc.h"
#include "arith/constants.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "transcend_test_util.h"

namespace {

using TrigFunction = void (*)(Rational&, AngleUnit);

const char* UnitName(AngleUnit unit) {
  return unit == Degrees ? "deg" : unit == Radians ? "rad" : "grad";
}

class TrigTest : public TranscendTest {};

// Expected values: python3-mpmath 1.3.0, mp.dps = 4200 (so that 10^30 radians
// is reduced exactly), printed with mp.nstr(v, 70).
struct TrigCase {
  AngleUnit unit;
  const char* angle;
  const char* sin;
  const char* cos;
  const char* tan;  // nullptr: not checked here
};
const TrigCase kTrigCases[] = {
    {Degrees, "30", "0.5",
     "0.8660254037844386467637231707529361834714026269051903140279034897259665",
     "0.5773502691896257645091487805019574556476017512701268760186023264839777"},
    {Degrees, "45", "0.7071067811865475244008443621048490392848359376884740365883398689953662",
     "0.7071067811865475244008443621048490392848359376884740365883398689953662", "1"},
    {Degrees, "60", "0.8660254037844386467637231707529361834714026269051903140279034897259665",
     "0.5", "1.732050807568877293527446341505872366942805253810380628055806979451933"},
    {Degrees, "300",
     "-0.8660254037844386467637231707529361834714026269051903140279034897259665", "0.5",
     "-1.732050807568877293527446341505872366942805253810380628055806979451933"},
    {Degrees, "-90", "-1", nullptr, nullptr},
    // 30 degrees plus ten thousand full turns.
    {Degrees, "3600030", "0.5",
     "0.8660254037844386467637231707529361834714026269051903140279034897259665",
     "0.5773502691896257645091487805019574556476017512701268760186023264839777"},
    {Degrees, "123.456", "0.8343094333148065892226385285774234068926413127728781916757711710852836",
     "-0.5512964442855824342133182357040886799490018265350125186187350998162107",
     "-1.513358995804837521067105176837588945261502544666317970399557780538222"},
    {Degrees, "359.9", "-0.001745328365898308835778202720850049467980731533514530531614803373147926",
     "0.9999984769132876988029012479257127656612876907141927906109417691584879",
     "-0.001745331024188800344779227922763726202447724551910586734162305434912756"},
    {Degrees, "-1234.5",
     "-0.4305110968082951443761483565082794876402384254950323975192162957431764",
     "-0.9025852843498606067626451490957717568163838270992085188215242026578543",
     "0.4769755326981601830497317786224906696807530692432959727600404659293193"},
    {Degrees, "0.001",
     "0.00001745329251905719961354910568512896966913878237324843583367029550204347",
     "0.9999999998476912901105120241781519606446597821718886270305326523363935",
     "0.00001745329252171548808085543997659625660604498556532756642929577408705317"},
    {Degrees, "1e-20",
     "0.0000000000000000000001745329251994329576923690768488612713442871879680763899084211280284088",
     "0.9999999999999999999999999999999999999999999847691290106645700326628225",
     "0.0000000000000000000001745329251994329576923690768488612713442871906263648570123151759944852"},
    {Radians, "1.2345", "0.9439833239445111661557035524525668464830801070583799000118086598698208",
     "0.3299931576785677712870150320777841323119588679064106935935535224159121",
     "2.860614839971939568690460319826717620931236968910496528316154533257191"},
    {Radians, "1e30", "-0.09011690191213805803038642895298733027439633299304344988546066657977398",
     "-0.9959311944053957023942485879970486411302477349550482713468004179937721",
     "0.09048506806330217256622313805004127372738954023205417991033965089185426"},
    {Radians, "-7", "-0.6569865987187890903969990915936351779368700104974900746578543341892928",
     "0.753902254343304638141197521719182012218313391460126839543613880813876",
     "-0.8714479827243187364564508896003135663222034245984200644480154523301674"},
    {Radians, "0.001",
     "0.0009999998333333416666664682539710097001513147348086584190048145102714674",
     "0.9999995000000416666652777778025793648037918892128961458698562351112779",
     "0.001000000333333466666720634942504418034314959774193385492407291449117509"},
    {Radians, "100", "-0.5063656411097587936565576104597854320650327212906573234433924735943579",
     "0.8623188722876839341019385139508425355100840085355108292801621126927211",
     "-0.587213915156929076677809635644587894258765986872919544126639683609894"},
    {Radians, "3", "0.141120008059867222100744802808110279846933264252265584151882641232422",
     "-0.9899924966004454572715727947312613023936790966155883288140859329283292",
     "-0.1425465430742778052956354105339134932260922849018046476332389766888586"},
    {Radians, "1e-20",
     "0.000000000000000000009999999999999999999999999999999999999999833333333333333333333333333333",
     "0.99999999999999999999999999999999999999995",
     "0.00000000000000000001000000000000000000000000000000000000000033333333333333333333333333333"},
    {Grads, "50", "0.7071067811865475244008443621048490392848359376884740365883398689953662",
     "0.7071067811865475244008443621048490392848359376884740365883398689953662", "1"},
    {Grads, "350", "-0.7071067811865475244008443621048490392848359376884740365883398689953662",
     "0.7071067811865475244008443621048490392848359376884740365883398689953662", "-1"},
    {Grads, "123.4", "0.9332046326338985788886813791001576442196886282048245481891922678282569",
     "-0.35934539600589068285136473661906136760573606041383631216542405310265",
     "-2.596957253401406393224925157053781456392232314956397624308020178349257"},
    {Grads, "-4000050", "-0.7071067811865475244008443621048490392848359376884740365883398689953662",
     "0.7071067811865475244008443621048490392848359376884740365883398689953662", "-1"},
};

TEST_F(TrigTest, ValuesAgreeWithReferenceAtBothPrecisions) {
  for (const PrecisionCase& pc : kPrecisions) {
    SetRadixAndPrecision(10, pc.precision);
    for (const TrigCase& c : kTrigCases) {
      const struct {
        const char* name;
        TrigFunction f;
        const char* want;
      } functions[] = {{"sin", Sine, c.sin}, {"cos", Cosine, c.cos}, {"tan", Tangent, c.tan}};
      for (const auto& fn : functions) {
        if (fn.want == nullptr) continue;
        SCOPED_TRACE(std::string(fn.name) + " " + c.angle + " " + UnitName(c.unit) +
                     " P=" + std::to_string(pc.precision));
        Rational x = DecimalRat(c.angle);
        fn.f(x, c.unit);
        EXPECT_TRUE(AgreesTo(x, fn.want, pc.digits));
        EXPECT_EQ(WorkingPrecision, pc.precision);
      }
    }
  }
}

TEST_F(TrigTest, ZerosAreExact) {
  struct Case {
    const char* name;
    TrigFunction f;
    AngleUnit unit;
    const char* angle;
  };
  const Case cases[] = {
      {"sin", Sine, Degrees, "180"},    {"sin", Sine, Degrees, "360"},
      {"sin", Sine, Degrees, "-180"},   {"sin", Sine, Degrees, "0"},
      {"sin", Sine, Degrees, "720000"}, {"cos", Cosine, Degrees, "90"},
      {"cos", Cosine, Degrees, "270"},  {"cos", Cosine, Degrees, "-90"},
      {"tan", Tangent, Degrees, "180"}, {"sin", Sine, Grads, "200"},
      {"cos", Cosine, Grads, "100"},    {"sin", Sine, Radians, "0"},
      {"tan", Tangent, Radians, "0"},
  };
  for (const PrecisionCase& pc : kPrecisions) {
    SetRadixAndPrecision(10, pc.precision);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " " + c.angle + " " + UnitName(c.unit));
      Rational x = DecimalRat(c.angle);
      c.f(x, c.unit);
      EXPECT_TRUE(RatIsZero(x));
    }
    // The pi key's value: sin pi is snapped to zero as well.
    Rational x = CopyRational(Pi);
    Sine(x, Radians);
    EXPECT_TRUE(RatIsZero(x));
  }
}

TEST_F(TrigTest, SineAndCosineNeverExceedOne) {
  Rational one = RatFromInt(1);
  Rational minusOne = RatFromInt(-1);
  auto check = [&](const Rational& angle, AngleUnit unit) {
    for (TrigFunction f : {Sine, Cosine}) {
      Rational x = CopyRational(angle);
      f(x, unit);
      EXPECT_TRUE(RatLessEqual(x, one));
      EXPECT_TRUE(RatGreaterEqual(x, minusOne));
    }
  };
  for (int32_t degrees = -720; degrees <= 720; degrees += 15) {
    SCOPED_TRACE(degrees);
    check(RatFromInt(degrees), Degrees);
    check(RatFromInt(degrees), Grads);
  }
  // Radian angles at and next to the extrema, where the series land on 1.
  for (const Rational* c : {&HalfPi, &Pi, &ThreeHalvesPi, &TwoPi}) {
    for (const char* nudge : {"0", "1e-40", "-1e-40"}) {
      SCOPED_TRACE(nudge);
      Rational angle = CopyRational(*c);
      RatAdd(angle, DecimalRat(nudge));
      check(angle, Radians);
      angle.num->sign = -angle.num->sign;
      check(angle, Radians);
    }
  }
}

TEST_F(TrigTest, TangentAtOddRightAnglesIsRefused) {
  struct Case {
    AngleUnit unit;
    const char* angle;
  };
  const Case cases[] = {{Degrees, "90"},  {Degrees, "270"}, {Degrees, "-90"},
                        {Degrees, "450"}, {Grads, "100"},   {Grads, "300"},
                        {Grads, "-100"}};
  for (const PrecisionCase& pc : kPrecisions) {
    SetRadixAndPrecision(10, pc.precision);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.angle) + " " + UnitName(c.unit));
      Rational x = DecimalRat(c.angle);
      EXPECT_EQ(ThrownCode([&] { Tangent(x, c.unit); }), ErrInvalidInput);
      EXPECT_TRUE(RatEqual(x, DecimalRat(c.angle)));  // left as it was
    }
    // Half the pi key's value, in radians.
    Rational x = CopyRational(Pi);
    RatDiv(x, RatTwo);
    EXPECT_EQ(ThrownCode([&] { Tangent(x, Radians); }), ErrInvalidInput);
    EXPECT_EQ(WorkingPrecision, pc.precision);
  }
}

TEST_F(TrigTest, ReductionInDegreesAndGradsIsExact) {
  struct Case {
    AngleUnit unit;
    const char* angle;
    const char* want;
  };
  const Case cases[] = {
      {Degrees, "3600030", "30"},
      {Degrees, "-3600030", "-30"},
      {Degrees, "725", "5"},
      {Degrees, "359", "359"},
      {Degrees, "-359", "-359"},
      {Degrees, "1e40", "280"},  // 10^40 = 2.7...e37 * 360 + 280
      // Integer parts of a thousand digits: the precision is raised by the
      // full digit count of the quotient, or the turns would not all go.
      {Degrees, "1e1000", "280"},
      {Degrees, "-1e1000", "-280"},
      {Grads, "1e1000", "0"},
      {Degrees, "123456789012345678901234567890.25", "90.25"},
      {Grads, "4000050", "50"},
      {Grads, "-401", "-1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.angle) + " " + UnitName(c.unit));
    Rational x = DecimalRat(c.angle);
    ReduceAngle(x, c.unit);
    EXPECT_TRUE(RatEqual(x, DecimalRat(c.want))) << Render(x);
    EXPECT_EQ(WorkingPrecision, 33);
  }
}

TEST_F(TrigTest, FoldingUsesEachFunctionsOwnIdentity) {
  // cos 300 = cos 60, sin 300 = sin(-60), tan 300 = tan 120, to the digit.
  struct Case {
    TrigFunction f;
    const char* angle;
    const char* same;
  };
  const Case cases[] = {{Cosine, "300", "60"}, {Sine, "300", "-60"}, {Tangent, "300", "120"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    Rational x = DecimalRat(c.angle);
    c.f(x, Degrees);
    Rational y = DecimalRat(c.same);
    c.f(y, Degrees);
    EXPECT_TRUE(RatEqual(x, y));
  }
}

TEST_F(TrigTest, LargeRadianArgumentRecomputesTwoPi) {
  // python3-mpmath 1.3.0 at mp.dps = 200: fmod(10^30, 2 pi).
  const char* want = "3.23183197748784626649382497118486848564090552905852222057327248948";
  for (const PrecisionCase& pc : kPrecisions) {
    SetRadixAndPrecision(10, pc.precision);
    Rational x = DecimalRat("1e30");
    ReduceTwoPi(x);
    EXPECT_TRUE(AgreesTo(x, want, pc.digits));
    EXPECT_EQ(WorkingPrecision, pc.precision);
  }
  // sin(10^1000), python3-mpmath 1.3.0 at mp.dps = 1200.
  for (const PrecisionCase& pc : kPrecisions) {
    SetRadixAndPrecision(10, pc.precision);
    // A reduction that left whole turns would send the series on a
    // practically endless run: check it first.
    Rational reduced = DecimalRat("1e1000");
    ReduceTwoPi(reduced);
    ASSERT_TRUE(RatLess(reduced, TwoPi) && RatGreater(reduced, RatFromInt(-7)));
    Rational x = DecimalRat("1e1000");
    Sine(x, Radians);
    EXPECT_TRUE(AgreesTo(x, "0.6533597982103698569480994680397685742659165408154051592053714008289739",
                         pc.digits));
    EXPECT_EQ(WorkingPrecision, pc.precision);
  }
  // Smaller than pi: nothing to take away, the value is kept.
  Rational small = DecimalRat("-3.14");
  ReduceTwoPi(small);
  EXPECT_TRUE(RatEqual(small, DecimalRat("-3.14")));
  // 7 - 2 pi, python3-mpmath 1.3.0.
  Rational turn = DecimalRat("7");
  ReduceTwoPi(turn);
  EXPECT_TRUE(AgreesTo(turn, "0.7168146928204135230747132334409942316056612012497883580501108153843672", 31));
  Rational back = DecimalRat("-7");
  ReduceTwoPi(back);
  EXPECT_TRUE(AgreesTo(back, "-0.7168146928204135230747132334409942316056612012497883580501108153843672", 31));
}

TEST_F(TrigTest, ClampMagnitudeLimitsBothSides) {
  struct Case {
    const char* x;
    const char* m;
    const char* want;
  };
  const Case cases[] = {{"1.5", "1", "1"},   {"-1.5", "1", "-1"}, {"0.5", "1", "0.5"},
                        {"-1", "1", "-1"},   {"1", "1", "1"},     {"7", "2.5", "2.5"},
                        {"-7", "2.5", "-2.5"}, {"0", "1", "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.x) + " by " + c.m);
    Rational x = DecimalRat(c.x);
    ClampMagnitude(x, DecimalRat(c.m));
    EXPECT_TRUE(RatEqual(x, DecimalRat(c.want)));
    EXPECT_EQ(x.den->sign, 1);
  }
  // The bound may be the argument itself.
  Rational x = DecimalRat("-2");
  ClampMagnitude(x, x);
  EXPECT_TRUE(RatEqual(x, DecimalRat("-2")));
  // A negative denominator counts for the sign.
  Rational y = RatFromInt(3);
  y.den->sign = -1;
  ClampMagnitude(y, RatOne);
  EXPECT_TRUE(RatEqual(y, RatMinusOne));
}

TEST_F(TrigTest, SeriesHandleZeroAndAliasedSign) {
  Rational zero = RatFromInt(0);
  SinSeries(zero);
  EXPECT_TRUE(RatIsZero(zero));
  Rational z2 = RatFromInt(0);
  CosSeries(z2);
  EXPECT_TRUE(RatEqual(z2, RatOne));
  // A value held with both signs negative is positive.
  Rational x = DecimalRat("0.5");
  x.num->sign = -1;
  x.den->sign = -1;
  SinSeries(x);
  EXPECT_TRUE(AgreesTo(x, "0.4794255386042030002732879352155713880818033679406006751886166131255350", 31));
}

TEST_F(TrigTest, OutOfMemoryKeepsArgumentPrecisionAndBlocks) {
  // Warm up once so that the recomputed 2 pi for this precision is kept.
  struct Case {
    TrigFunction f;
    AngleUnit unit;
    const char* angle;
  };
  const Case cases[] = {{Sine, Radians, "1e30"}, {Tangent, Degrees, "1e20"}, {Cosine, Grads, "1.5"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    {
      Rational warm = DecimalRat(c.angle);
      c.f(warm, c.unit);
    }
    const int64_t live = AllocLiveBlocks();
    bool succeeded = false;
    for (int64_t n = 0; !succeeded && n < 100000; n += 1 + n / 16) {
      Rational x = DecimalRat(c.angle);
      const int64_t before = AllocLiveBlocks();
      AllocFailAfter(n);
      const ErrorCode code = ThrownCode([&] { c.f(x, c.unit); });
      AllocFailAfter(-1);
      succeeded = code == 0;
      if (!succeeded) {
        ASSERT_EQ(code, ErrOutOfMemory);
        EXPECT_TRUE(RatEqual(x, DecimalRat(c.angle)));
        EXPECT_EQ(AllocLiveBlocks(), before);
      }
      EXPECT_EQ(WorkingPrecision, 33);
    }
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(AllocLiveBlocks(), live);
  }
}

TEST_F(TrigTest, HugeRadianArgumentStopsOnAbort) {
  // 10^4000 radians needs 2 pi to about 4000 digits: long, but abortable.
  Rational x = DecimalRat("1e4000");
  std::thread watchdog([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    AbortFlag.store(true);
  });
  const auto start = std::chrono::steady_clock::now();
  Sine(x, Radians);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  watchdog.join();
  EXPECT_LT(elapsed, std::chrono::milliseconds(1200));
  EXPECT_EQ(WorkingPrecision, 33);
}

}  // namespace
