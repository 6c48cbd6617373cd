// vessa: command-line front end of libvessa.
#include <cinttypes>
#include <cstdio>

#include "vessa.h"

int main() {
    EccCurve *curve = ecc_new();
    if (curve == nullptr) {
        std::fprintf(stderr, "vessa: out of memory\n");
        return 1;
    }
    std::printf("curve y^2 = x^3 + %" PRId64 "x + %" PRId64 " mod %" PRId64 "\n", curve->a, curve->b,
                curve->p);
    std::printf("base point (%" PRId64 ", %" PRId64 "), order %" PRId64 ", cofactor %" PRId64 "\n",
                curve->g.x, curve->g.y, curve->n, curve->h);
    ecc_destroy(curve);
    return 0;
}
