/* The yardstick of the listing speed: a plain C program that computes the
 * fine mode-a scan of sixline (lines -6.551 -4.2325 2.9495 5.834, octant 1,
 * dDq = -0.0001, d_eta = 0.1) with the same single-precision steps as
 * `lines_l_h` and writes the same listing through stdio, with no screen at
 * all.  Its listing must be byte-identical to sixline's (bench/fine_scan
 * compares them); it prints no message lines and has no guard for fields
 * too wide, which this scan never meets.
 *
 * Usage: bench_fine_scan_ref [LISTING]   (default sixline.lst)
 * Build with -ffp-contract=off, as the programs are. */
#include <math.h>
#include <stdio.h>

#include "lines_plain.h"

int main(int argc, char** argv) {
    /* The numbers as sixline's reader makes them of the typed text, digit by
     * digit in single precision (5.834 is one unit in the last place above
     * the nearest float). */
    const float l1 = -0x1.a34396p+2f, l2 = -0x1.0ee148p+2f, l5 = 0x1.798938p+1f,
                l6 = 0x1.756044p+2f;
    const float ddq = -0x1.a36e2cp-14f, deta = 0x1.99999ap-4f;
    const float rad = 0.017453292f;
    const float beta = plain_beta();

    FILE* f = fopen(argc > 1 ? argv[1] : "sixline.lst", "w");
    if (!f) { perror("listing"); return 1; }
    float is = (l2 + l1 + l5 + l6) / 4.0f;
    int il = (int)(((l6 - l1) / 2.0f) / fabsf(ddq));
    int neta = (int)(1.0f / deta);
    fputs("     EFG        eta      H [kG]      phi     theta\n", f);
    float qas = 0.0f;
    for (int i = 1; i <= il; ++i) {
        qas = qas + ddq;
        int group = 0;
        for (int k = 1; k <= neta + 1; ++k) {
            float eta = (float)k * deta, haeu = 0, phi = 0, teta = 0;
            if (plain_lines(beta, qas, eta, is, l1, l2, l6, &haeu, &phi, &teta) != 1) continue;
            if (!group) fputc('\n', f);
            group = 1;
            fprintf(f, "%10.3f%10.3f%10.2f%10.2f%10.2f\n", qas, eta, haeu, phi / rad, teta / rad);
        }
    }
    if (fclose(f) != 0) { perror("listing"); return 1; }
    return 0;
}
