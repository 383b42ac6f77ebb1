// The language selection dialog.
#pragma once

#include <windows.h>

// Shows the dialog from the language module and returns its result: IDOK to
// go on with LanguageCode as the dialog left it, IDCANCEL to stop, anything
// else when it could not be shown (GetLastError tells why).
INT_PTR ShowLanguageDialog();
