// The one C function that setup.exe links, in place of a C run-time: the strings measure texts
// with it. The compiler copies and clears inline (-Oz); should it ever call memcpy or memset,
// the link fails rather than take an untested copy. Compiled outside the link-time optimisation
// and without loop idiom recognition, so the optimiser cannot turn the loop back into a call of
// the very function it is in.
#include <stddef.h>

extern "C" size_t strlen(const char* psz) {
  const char* pch = psz;
  while (*pch != '\0') ++pch;
  return static_cast<size_t>(pch - psz);
}
