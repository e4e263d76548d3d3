// Nothing of its own: the target this belongs to exists to precompile JUCE's
// headers, which the program's libraries, the tests and the benchmarks reuse.
