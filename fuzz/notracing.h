// Included by a target whose code traces: nothing collects the trace lines inside a fuzz target.
// Left pending they would pile up for the whole run, every input would end holding more memory
// than it started with, and libFuzzer would then scan the heap for leaks after each one (a
// hundredfold slowdown by the ten thousandth input). One target per program, so the definition
// may live in this header.
#pragma once

#include "app/tracer.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Tracer::setTraceMask(0);
    return 0;
}
