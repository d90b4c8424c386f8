// Inverse trigonometric functions of a Rational.
//
// ArcSine, ArcCosine and ArcTangent work in radians; the ...InUnit forms
// convert the result into the angle unit the user chose. The series are used
// only on arguments of magnitude 0.85 or below, larger ones go through
//   arcsin x = pi/2 - arcsin sqrt((1 - x)(1 + x))           (x > 0.85),
//   arctan x = pi/2 - arctan(1/x)                            (x > 2),
//   arctan x = arcsin(x / sqrt(1 + x^2))                     (0.85 < |x| <= 2),
// arcsin and arctan being odd, negative arguments are taken as -f(|x|).
// The argument is replaced by the result; on an error it keeps its value.
#pragma once

#include "arith/angle.h"
#include "arith/rational.h"

// x <- arcsin x by its series; meant for |x| <= 0.85.
void AsinSeries(Rational& x);

// x <- arctan x by its series; meant for |x| <= 0.85.
void AtanSeries(Rational& x);

// x <- arcsin x in radians. Within epsilon of +-1 the result is exactly
// +-pi/2 (the stored constant). Throws ErrInvalidInput when |x| > 1 + epsilon.
void ArcSine(Rational& x);

// x <- arccos x in radians; exactly 0 for 1 and pi for -1. Throws as ArcSine.
void ArcCosine(Rational& x);

// x <- arctan x in radians, in (-pi/2, pi/2]. Never fails for lack of domain.
void ArcTangent(Rational& x);

// x (radians) <- x in `unit`: times 360 / 2pi for degrees, 400 / 2pi for
// grads, unchanged for radians.
void RadiansToUnit(Rational& x, AngleUnit unit);

// The three operations above followed by RadiansToUnit.
void ArcSineInUnit(Rational& x, AngleUnit unit);
void ArcCosineInUnit(Rational& x, AngleUnit unit);
void ArcTangentInUnit(Rational& x, AngleUnit unit);
