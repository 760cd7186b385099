// Room on the main thread's stack for the handling of a stack overflow.
#pragma once

namespace platform::win32 {

// Makes the system raise the stack overflow while enough stack is left for
// the exception's dispatch and the fault filter. Called once, at installation.
void PrepareForStackOverflow();

}  // namespace platform::win32
