// The index table of an array: positions in ascending order of the values,
// the values themselves left in place.
#pragma once

namespace zorb {

// indx[0..n-1] receives positions (1 to n) such that arrin(indx(1)) <=
// arrin(indx(2)) <= ...; arrin[0..n-1] holds arrin(1..n).  Heapsort, not
// stable; n = 0 leaves indx untouched.
void indexx(int n, const float* arrin, int* indx);

}  // namespace zorb
