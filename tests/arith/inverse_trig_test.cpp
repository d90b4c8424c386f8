#include "arith/inverse_trig.h"

#include <gtest/gtest.h>

#include <iterator>

#include "arith/constants.h"
#include "arith/error.h"
#include "arith/settings.h"
#include "transcend_test_util.h"

namespace {

using InverseTrigTest = TranscendTest;

struct ValueCase {
  const char* arg;
  const char* want;  // python3-mpmath, mp.dps = 120, printed to 70 digits
};

void CheckTable(void (*op)(Rational&), const char* name, const ValueCase* begin,
                const ValueCase* end) {
  for (const PrecisionCase& p : kPrecisions) {
    SetRadixAndPrecision(10, p.precision);
    for (const ValueCase* c = begin; c != end; ++c) {
      SCOPED_TRACE(testing::Message() << "P=" << p.precision << " " << name << " " << c->arg);
      Rational x = DecimalRat(c->arg);
      op(x);
      EXPECT_TRUE(RenderedAgreesTo(x, c->want, p.digits));
      EXPECT_EQ(WorkingPrecision, p.precision);
    }
  }
}

TEST_F(InverseTrigTest, ArcSineValues) {
  const ValueCase cases[] = {
      {"0.5", "0.5235987755982988730771072305465838140328615665625176368291574320513027"},
      {"0.85", "1.01598529381482513116231792163105149400316379682053508778250056579495"},
      {"0.86", "1.035269672480508797252423771252408195438276824330824984352603902682383"},
      {"-0.3", "-0.304692654015397507972002961227529166954560031706776387392977948746473"},
      {"0.999", "1.526071239626163187981625458968200372194404142925394727656834590172746"},
      {"0.1", "0.1001674211615597963455231794526933185686759722296295413910238550364027"},
      {"1", "1.570796326794896619231321691639751442098584699687552910487472296153908"},
      {"-1", "-1.570796326794896619231321691639751442098584699687552910487472296153908"},
      {"0", "0"},
  };
  CheckTable(ArcSine, "arcsin", std::begin(cases), std::end(cases));
}

TEST_F(InverseTrigTest, ArcCosineValues) {
  const ValueCase cases[] = {
      {"0", "1.570796326794896619231321691639751442098584699687552910487472296153908"},
      {"0.5", "1.047197551196597746154214461093167628065723133125035273658314864102605"},
      {"-0.7", "2.346193823405649682971675044354738555654373438328714904085192259886628"},
      {"0.95", "0.3175604292915213604942177729737454463574440262601914541270071404151953"},
      {"-1", "3.141592653589793238462643383279502884197169399375105820974944592307816"},
  };
  CheckTable(ArcCosine, "arccos", std::begin(cases), std::end(cases));
}

TEST_F(InverseTrigTest, ArcTangentValues) {
  const ValueCase cases[] = {
      {"1", "0.7853981633974483096156608458198757210492923498437764552437361480769541"},
      {"3", "1.249045772398254425829917077281090123077829404129896719054669236797152"},
      {"-3", "-1.249045772398254425829917077281090123077829404129896719054669236797152"},
      {"2", "1.10714871779409050301706546017853704007004764540143264667653920743371"},
      {"2.0001", "1.107168716994119835390425033042531738288036581671461288537749053146064"},
      {"1e6", "1.570795326794896619564655024972884775431918175878029100852551661233364"},
      {"-2.5", "-1.190289949682531732927733774829318337601178986029452072911166673829708"},
      {"0.85", "0.7044940642422177166574803407819962569836068380560774863224213827285896"},
      {"0.86", "0.7102710074866862303343431138021939051113262218155681257666549355298175"},
      {"-1.5", "-0.9827937232473290679857106110146660144968774536316285567614250883179881"},
      {"0.3", "0.291456794477867091995604621432891193503167599012065419272206083087299"},
      {"0", "0"},
  };
  CheckTable(ArcTangent, "arctan", std::begin(cases), std::end(cases));
}

TEST_F(InverseTrigTest, ExactValues) {
  Rational one = RatFromInt(1);
  ArcSine(one);
  EXPECT_TRUE(SameValue(one, HalfPi));
  Rational minusOne = RatFromInt(-1);
  ArcSine(minusOne);
  Rational minusHalfPi = CopyRational(HalfPi);
  minusHalfPi.num->sign = -1;
  EXPECT_TRUE(SameValue(minusOne, minusHalfPi));

  // Within epsilon above 1 still counts as 1.
  Rational nearOne = CopyRational(Epsilon);
  RatDiv(nearOne, RatTwo);
  RatAdd(nearOne, RatOne);
  ArcSine(nearOne);
  EXPECT_TRUE(SameValue(nearOne, HalfPi));

  Rational acosOne = RatFromInt(1);
  ArcCosine(acosOne);
  EXPECT_TRUE(RatIsZero(acosOne));
  Rational acosMinusOne = RatFromInt(-1);
  ArcCosine(acosMinusOne);
  EXPECT_TRUE(SameValue(acosMinusOne, Pi));

  // arctan(-3) is the negation of arctan 3 through the final fold.
  Rational plus = RatFromInt(3);
  Rational minus = RatFromInt(-3);
  ArcTangent(plus);
  ArcTangent(minus);
  minus.num->sign = -minus.num->sign;
  EXPECT_TRUE(AgreesTo(minus, "1.249045772398254425829917077281090123077829404129896719054669236797152", 31));
}

TEST_F(InverseTrigTest, DomainErrors) {
  Rational twoEps = CopyRational(Epsilon);
  RatAdd(twoEps, Epsilon);
  Rational justAbove = CopyRational(RatOne);
  RatAdd(justAbove, twoEps);
  struct Case {
    void (*op)(Rational&);
    Rational arg;
  } cases[] = {
      {ArcSine, DecimalRat("1.5")},
      {ArcSine, DecimalRat("-1.5")},
      {ArcSine, CopyRational(justAbove)},
      {ArcCosine, RatFromInt(-2)},
      {ArcCosine, DecimalRat("1.0001")},
  };
  for (Case& c : cases) {
    Rational x = CopyRational(c.arg);
    EXPECT_EQ(ThrownCode([&] { c.op(x); }), ErrInvalidInput);
    EXPECT_TRUE(SameValue(x, c.arg));
  }
  for (AngleUnit unit : {Degrees, Radians, Grads}) {
    Rational x = DecimalRat("1.5");
    EXPECT_EQ(ThrownCode([&] { ArcSineInUnit(x, unit); }), ErrInvalidInput);
    EXPECT_EQ(ThrownCode([&] { ArcCosineInUnit(x, unit); }), ErrInvalidInput);
  }
  // No domain error for the arctangent, however large.
  Rational huge = RatFromInt(10);
  RatPowInt(huge, 1000);
  ArcTangent(huge);
  EXPECT_TRUE(AgreesTo(huge, "1.570796326794896619231321691639751442098584699687552910487472296153908", 31));
}

TEST_F(InverseTrigTest, Units) {
  struct Case {
    void (*op)(Rational&, AngleUnit);
    const char* arg;
    AngleUnit unit;
    const char* want;  // python3-mpmath, mp.dps = 120
  } cases[] = {
      {ArcSineInUnit, "1", Degrees, "90"},
      {ArcSineInUnit, "-1", Degrees, "-90"},
      {ArcSineInUnit, "1", Grads, "100"},
      {ArcSineInUnit, "0.3", Degrees, "17.45760312372209229024604579244494182166364401465204720619427924033959"},
      {ArcCosineInUnit, "0.5", Degrees, "60"},
      {ArcCosineInUnit, "-1", Degrees, "180"},
      {ArcTangentInUnit, "1", Grads, "50"},
      {ArcTangentInUnit, "1", Degrees, "45"},
      {ArcTangentInUnit, "3", Grads, "79.5167235300866548350802152449481051902269047773835789199844625725423"},
      {ArcTangentInUnit, "1", Radians, "0.7853981633974483096156608458198757210492923498437764552437361480769541"},
  };
  for (const PrecisionCase& p : kPrecisions) {
    SetRadixAndPrecision(10, p.precision);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "P=" << p.precision << " " << c.arg << " unit " << c.unit);
      Rational x = DecimalRat(c.arg);
      c.op(x, c.unit);
      EXPECT_TRUE(RenderedAgreesTo(x, c.want, p.digits));
    }
  }
  SetRadixAndPrecision(10, 33);
  Rational x = RatFromInt(1);
  ArcTangentInUnit(x, Grads);
  EXPECT_EQ(Render(x), "50.");
}

TEST_F(InverseTrigTest, AbortStopsSeriesAfterOneTerm) {
  AbortFlag.store(true);
  Rational x = DecimalRat("0.5");
  AsinSeries(x);  // x + x^3/6
  Rational want = RatFromInt(25);
  RatDiv(want, RatFromInt(48));
  EXPECT_TRUE(SameValue(x, want));
  Rational y = DecimalRat("0.5");
  AtanSeries(y);  // x - x^3/3
  Rational z = RatFromInt(11);
  RatDiv(z, RatFromInt(24));
  EXPECT_TRUE(SameValue(y, z));
}

}  // namespace

namespace {

TEST_F(InverseTrigTest, OutOfMemoryIsClean) {
  ExpectOutOfMemorySafe(DecimalRat("0.9"), ArcSine);
  ExpectOutOfMemorySafe(DecimalRat("-0.5"), ArcCosine);
  ExpectOutOfMemorySafe(RatFromInt(-1), ArcCosine);
  for (const char* arg : {"1.5", "-3"}) {
    SCOPED_TRACE(arg);
    ExpectOutOfMemorySafe(DecimalRat(arg), ArcTangent);
  }
  ExpectOutOfMemorySafe(RatFromInt(1), [](Rational& x) { ArcTangentInUnit(x, Grads); });
}

}  // namespace
