/* The public header compiles as strict C99 and the library links from C. */
#include <stdio.h>
#include <string.h>

#include "vessa.h"

int main(void) {
    EccCurve *curve = ecc_new();
    EccPoint p;
    int ok;
    if (curve == NULL) {
        return 1;
    }
    p = point_new(-7, 5);
    ok = point_get_x(&p) == -7 && point_get_y(&p) == 5 && curve->n == 99919 &&
         sizeof(EccCurve) == 7 * sizeof(int64_t) && sizeof(EccCiphertext) == 3 * sizeof(int64_t) &&
         sizeof(VessaMessage) == 256 && VESSA_OK == 0 && VESSA_ERR_INVALID == -1 &&
         VESSA_ERR_LENGTH == -2 && VESSA_ERR_PLAINTEXT_BUFFER == -3 &&
         VESSA_ERR_CIPHERTEXT_BUFFER == -4 && VESSA_ERR_NOT_ON_CURVE == -5 &&
         strcmp(vessa_version(), VESSA_VERSION_STRING) == 0;
    ecc_destroy(curve);
    ecc_destroy(NULL);
    printf("%s\n", ok ? "ok" : "mismatch");
    return ok ? 0 : 1;
}
