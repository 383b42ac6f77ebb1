// Says on standard output where the tests run: natively, on Windows, or on
// Windows under Wine (and which), so that a test log shows it.
#pragma once

void SayPlatform();
