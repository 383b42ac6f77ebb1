#include "lngsel.h"

// The dialog itself comes with issue 6. Until then a package that lists two
// or more languages cannot offer the choice, and says so (B119).
INT_PTR ShowLanguageDialog() {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return -1;
}
