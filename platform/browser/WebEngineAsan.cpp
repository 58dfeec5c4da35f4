// Linked into the programs that load Qt WebEngine under AddressSanitizer. Its own code, which is
// not ours, mixes allocation functions and keeps memory to the end under AddressSanitizer; the
// sanitizer reads these options before main runs, so they hold for these programs only.
extern "C" const char* __asan_default_options() {
    return "new_delete_type_mismatch=0:detect_leaks=0";
}
