// The address sanitizer's defaults for the fuzz targets. Its quarantine keeps freed
// blocks poisoned so that a late use of one is caught; by default it holds 256 MB, and an
// execution that frees a few hundred small list nodes then writes to fresh pages again
// and again (a third of the run went to page faults). 16 MB still holds every block freed
// by the last thousands of executions.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the name the sanitizer looks for.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
