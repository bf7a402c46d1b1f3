#!/usr/bin/env python3
"""Derives the polynomial coefficients of game/stable_trig.cpp (run once).

Needs mpmath (Debian: python3-mpmath).

Weighted minimax fits on r in [0, pi/4] by the Remez exchange, in y = r^2:
  sin r = r + r^3 (S1 + S2 y + S3 y^2), minimizing max |sin r - p(r)| / r
  cos r = 1 + C1 y + C2 y^2 + C3 y^3 + C4 y^4, minimizing max |cos r - p(r)|
Of the weightings tried (error relative to sin r, to r, absolute), these two made the float results
agree with glibc 2.36's sinf/cosf on every float in [2^-12, pi/4] (bench/trig_exhaustive.cpp).
Prints the coefficients rounded to double, as C hexadecimal literals, and the levelled error.
"""
from mpmath import mp, mpf, sin, cos, sqrt, matrix, lu_solve

mp.dps = 60


def remez(f, weight, terms, a, b, iterations=8, grid=1000):
    """Coefficients c of sum c_j y^j minimizing max |weight(y) (sum - f(y))| on [a, b]."""
    n = terms + 1
    points = [a + (b - a) * (1 - mp.cos(mp.pi * i / (n - 1))) / 2 for i in range(n)]
    for _ in range(iterations):
        A = matrix(n, n)
        rhs = matrix(n, 1)
        for i, y in enumerate(points):
            for j in range(terms):
                A[i, j] = y ** j
            A[i, terms] = (-1) ** i / weight(y)
            rhs[i] = f(y)
        solution = lu_solve(A, rhs)
        c = [solution[j] for j in range(terms)]
        level = solution[terms]

        def err(y):
            return weight(y) * (sum(c[j] * y ** j for j in range(terms)) - f(y))

        # The error's extrema: a grid, then a golden-section search around each turn.
        ys = [a + (b - a) * k / grid for k in range(grid + 1)]
        es = [err(y) for y in ys]
        extrema = [ys[0]]
        for k in range(1, grid):
            if (es[k] - es[k - 1]) * (es[k + 1] - es[k]) <= 0:
                lo, hi = ys[k - 1], ys[k + 1]
                sign = 1 if es[k] > 0 else -1
                for _ in range(60):
                    m1, m2 = lo + (hi - lo) * 0.382, lo + (hi - lo) * 0.618
                    if sign * err(m1) > sign * err(m2):
                        hi = m2
                    else:
                        lo = m1
                extrema.append((lo + hi) / 2)
        extrema.append(ys[-1])
        alternating = []
        for y in sorted(extrema):  # of neighbours with one sign keep the larger
            if alternating and (err(y) > 0) == (err(alternating[-1]) > 0):
                if abs(err(y)) > abs(err(alternating[-1])):
                    alternating[-1] = y
            else:
                alternating.append(y)
        while len(alternating) > n:
            alternating.pop(0 if abs(err(alternating[0])) < abs(err(alternating[-1])) else -1)
        if len(alternating) < n:
            raise RuntimeError("too few extrema")
        points = alternating
    return c, level


def main():
    top = (mp.pi / 4) ** 2
    start = top * mpf(10) ** -6  # both weights vanish at 0, where the error does not matter
    tiny = mpf(10) ** -30

    def sin_rest(y):  # (sin r - r) / r^3
        if y < tiny:
            return mpf(-1) / 6 + y / 120
        r = sqrt(y)
        return (sin(r) - r) / (y * r)

    def cos_rest(y):  # (cos r - 1) / r^2
        if y < tiny:
            return mpf(-1) / 2 + y / 24
        return (cos(sqrt(y)) - 1) / y

    s, level = remez(sin_rest, lambda y: y, 3, start, top)  # r^3 / r
    print("// sin: error / r levelled at %s" % mp.nstr(abs(level), 4))
    for k, v in enumerate(s, 1):
        print("constexpr double S%d = %s;" % (k, float(v).hex()))
    c, level = remez(cos_rest, lambda y: y, 4, start, top)  # r^2
    print("// cos: error levelled at %s" % mp.nstr(abs(level), 4))
    for k, v in enumerate(c, 1):
        print("constexpr double C%d = %s;" % (k, float(v).hex()))


if __name__ == "__main__":
    main()
