// What the Windows check programs share: counting checks and reporting mismatches.
#pragma once

namespace check {

// Unbuffered output, so that a check killed by its time limit still shows its lines.
void Start();

// Counts a check; prints "FAIL: " and the printf-style message when it does not hold.
void Expect(bool holds, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Prints "<name>: N checks, M failed" and returns the exit code: 0 when none failed.
int Finish(const char* name);

}  // namespace check
