// The C functions the compiler calls on its own (to copy or clear a structure) and that the
// strings use, in place of a C run-time. Compiled outside the link-time optimisation and
// without loop idiom recognition: otherwise the optimiser would turn each loop back into a
// call of the very function it is in.
#include <stddef.h>

extern "C" {

void* memcpy(void* pvDest, const void* pvSrc, size_t nBytes) {
  auto* pbDest = static_cast<unsigned char*>(pvDest);
  const auto* pbSrc = static_cast<const unsigned char*>(pvSrc);
  while (nBytes-- != 0) *pbDest++ = *pbSrc++;
  return pvDest;
}

void* memset(void* pvDest, int nValue, size_t nBytes) {
  auto* pbDest = static_cast<unsigned char*>(pvDest);
  while (nBytes-- != 0) *pbDest++ = static_cast<unsigned char>(nValue);
  return pvDest;
}

size_t strlen(const char* psz) {
  const char* pch = psz;
  while (*pch != '\0') ++pch;
  return static_cast<size_t>(pch - psz);
}

}  // extern "C"
