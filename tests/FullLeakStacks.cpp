// Linked into the test programs that call into GLib-based libraries
// (libebook, GIO). Those libraries are built without frame pointers, so the
// fast unwinder stops inside GLib and a leak report names nothing but
// g_malloc; the slow unwinder reaches the library function that leaked, which
// is what the suppressions in lsan.supp name. Slower, so only these programs
// pay for it.
extern "C" const char* __asan_default_options();
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
