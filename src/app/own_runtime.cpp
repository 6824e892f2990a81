// What Quorvel.exe takes from itself rather than from the C runtime's
// static library, which it is not linked with (msvcrt.dll gives the rest).
// Not part of the core: the test programs keep the normal runtime.

// The pie's wedge ends (GCC joins a cos and a sin of one angle into one
// sincos call): the x87's own instruction, a few bytes where the static
// library's takes hundreds. Exact for the pie's angles, which lie within a
// few turns of zero.
extern "C" void sincos(double angle, double* sine, double* cosine) {
    long double sineX87;
    long double cosineX87;
    asm("fsincos" : "=t"(cosineX87), "=u"(sineX87) : "0"(static_cast<long double>(angle)));
    *sine = static_cast<double>(sineX87);
    *cosine = static_cast<double>(cosineX87);
}
