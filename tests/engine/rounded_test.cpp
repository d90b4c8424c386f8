// Function keys store correctly rounded values: what the display shows is
// the value the next operation works with, so identities come out exact.
#include <gtest/gtest.h>

#include <string>

#include "engine/engine_test_util.h"
#include "engine/messages.h"

namespace {

std::string Outcome() {
  return engineState.errorLocked ? Display() : Shown();
}

// Typed as paste text in the scientific layout, degrees (":3" radians, ":4"
// grads, ":9" the sign key, "X" the exponent, "I" Inv, "H" Hyp, "@" x^2,
// "#" x^3, "Y" x^y, "L" log, "N" ln, "S" "O" "T" sin cos tan, "P" pi, "V"
// the F-E switch, "!" n!). Long values: bc -l at scale 120, rounded half
// away from zero to the working precision.
struct IdentityCase {
  const char* typed;
  std::string want;
};

const std::string kInvalid = ErrorMessage(1);

void RunIdentities(int32_t precision, const IdentityCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const IdentityCase& c = cases[i];
    SCOPED_TRACE(testing::Message() << "P" << precision << " " << c.typed);
    StartEngine(kLayoutScientific, precision);
    Type(c.typed);
    EXPECT_EQ(Outcome(), c.want);
  }
}

// Identities that hold exactly at every precision.
const IdentityCase kExactIdentities[] = {
    {"4I@-2=", "0"},       // square root
    {"1000L-3=", "0"},     // log
    {"30S-0.5=", "0"},     // sin in degrees
    {"45T-1=", "0"},       // tan in degrees
    {"27I#-3=", "0"},      // cube root
    {"1X40:9L", "-40"},    // log of a value below epsilon
    {"1X40:9L+40=", "0"},
    {"60O-0.5=", "0"},     // cos in degrees
    {":3P/4=T-1=", "0"},   // tan(pi/4) in radians
    {"0.5IS", "30"},       // asin in degrees
    {"0.5IS-30=", "0"},
    {"0IO", "90"},         // acos
    {"1IT", "45"},         // atan
    {"16Y0.25=", "2"},     // x^y
    {"8IY3=", "2"},        // Inv x^y
    {"2IL", "100"},        // 10^x
    {"0IN", "1"},          // e^x
    {"3INN", "3"},         // ln(e^3)
    {"3INN-3=", "0"},
    {":4 50T", "1"},       // tan in grads
    {":4 100S", "1"},      // sin in grads
    // What was already exact stays so.
    {"180S", "0"},
    {"90O", "0"},
    {":3PS", "0"},
    {"90T", kInvalid},
    {"1/3*3=", "1"},
    {"2Y100=", "1267650600228229401496703205376"},
    {"20!", "2432902008176640000"},
    // The odd hyperbolic functions are odd, errors and all.
    {"200000HS", kInvalid},
    {"200000:9HS", kInvalid},
    {"50000:9HT", "-1"},
    {"50000HT", "1"},
    {"2:9HS+2HS=", "0"},
    {"0.5:9IHT+0.5IHT=", "0"},
    {"1:9IHT", ErrorMessage(3)},
};

TEST(RoundedKeysTest, IdentitiesAtBothPrecisions) {
  for (int32_t precision : {32, 64}) {
    RunIdentities(precision, kExactIdentities, std::size(kExactIdentities));
  }
}

TEST(RoundedKeysTest, WholeDomainsAtPrecision32) {
  const IdentityCase cases[] = {
      {"1X100:9N", "-230.258509299404568401799145468436"},
      // F-E shows every digit of the small root.
      {"V1X9999:9I@", "3.16227766016837933199889354443272e-5000"},
      {"1X9999:9I@", "3.16227766016837933199889354443e-5000"},
      {"1X9999:9I@@", "1.e-9999"},
  };
  RunIdentities(32, cases, std::size(cases));
}

TEST(RoundedKeysTest, WholeDomainsAtPrecision64) {
  const IdentityCase cases[] = {
      {"1X100:9N",
       "-230.2585092994045684017991454684364207601101488628772976033327901"},
      {"V1X9999:9I@",
       "3.1622776601683793319988935444327185337195551393252168268575048528e-5000"},
  };
  RunIdentities(64, cases, std::size(cases));
}

}  // namespace
