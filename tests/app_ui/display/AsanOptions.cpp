// The sanitizer's options for the window tests, read before main runs. Qt WebEngine, which is
// not ours, mixes allocation functions and keeps memory to the end. Freed memory is filled, so
// a library below us that goes on using an object after it was freed fails here as it would
// for a user, instead of reading the old bytes unnoticed.
extern "C" const char* __asan_default_options() {
    return "new_delete_type_mismatch=0:detect_leaks=0:max_free_fill_size=4096:free_fill_byte=190";
}
