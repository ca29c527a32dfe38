#include "indexx.h"

namespace zorb {

void indexx(int n, const float* arrin, int* indx) {
    // 1-based views of the two arrays.
    auto a = [arrin](int i) { return arrin[i - 1]; };
    auto ix = [indx](int i) -> int& { return indx[i - 1]; };
    for (int j = 1; j <= n; ++j) ix(j) = j;
    if (n <= 1) return;
    int l = n / 2 + 1;
    int ir = n;
    for (;;) {
        int indxt;
        float q;
        if (l > 1) {   // building the heap
            --l;
            indxt = ix(l);
            q = a(indxt);
        } else {   // taking the largest off the heap
            indxt = ix(ir);
            q = a(indxt);
            ix(ir) = ix(1);
            --ir;
            if (ir == 1) {
                ix(1) = indxt;
                return;
            }
        }
        int i = l;
        int j = 2 * l;
        while (j <= ir) {   // sift down
            if (j < ir && a(ix(j)) < a(ix(j + 1))) ++j;
            if (q < a(ix(j))) {
                ix(i) = ix(j);
                i = j;
                j = 2 * j;
            } else {
                j = ir + 1;
            }
        }
        ix(i) = indxt;
    }
}

}  // namespace zorb
