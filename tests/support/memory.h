#pragma once

// The process's peak resident memory (Linux: VmHWM), in megabytes; -1 when unknown.
double peakResidentMb();
// Starts a new peak from what is resident now; false where the system cannot.
bool resetPeakResident();
