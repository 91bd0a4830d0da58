// Sanitizer settings of the sanitizer build, built into every program and
// test so that a run behaves the same from ctest, from make and by hand.
// Settings in ASAN_OPTIONS, LSAN_OPTIONS or UBSAN_OPTIONS still override them.

#define LUMEYE_SANITIZER_SETTING extern "C" __attribute__((visibility("default"), used)) const char*

// Any report ends the process with an error.
LUMEYE_SANITIZER_SETTING __asan_default_options() {
    return "halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1"
           ":detect_stack_use_after_return=1"
#if (defined(__clang__) && __clang_major__ < 17) || (!defined(__clang__) && __GNUC__ < 14)
           // These runtimes take a thread's block of a loaded library's
           // thread-local data that happens to start 16 bytes into a page for
           // one with the header of glibc 2.19's, and read its range from
           // the words before it: now and then the leak check at exit then
           // reads unmapped memory and dies ("Tracer caught signal 11").
           ":intercept_tls_get_addr=0"
#endif
        ;
}

LUMEYE_SANITIZER_SETTING __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

// Allocation stacks unwound in full, also through libraries built without
// frame pointers (the Wayland client library): a leak made there is then
// told by who called it (lsan.supp). Costs some 5% of a GUI test's time;
// the fuzzers, which it would slow by half, unwind quickly (run-fuzzer).
LUMEYE_SANITIZER_SETTING __lsan_default_options() {
    return "suppressions=" LUMEYE_LSAN_SUPPRESSIONS ":fast_unwind_on_malloc=0";
}
