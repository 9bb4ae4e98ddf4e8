// Linked into sanitizer builds only: the X11 and font libraries keep caches
// for the life of the process, which are not leaks of ours.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libX11.so\n"
           "leak:libXft.so\n"
           "leak:libfontconfig.so\n"
           "leak:libXrender.so\n";
}

extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

// A report is the only thing a sanitizer may print: the desktop-level tests
// fail on any output at all.
extern "C" const char *__lsan_default_options()
{
    return "print_suppressions=0";
}
