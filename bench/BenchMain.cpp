#include <benchmark/benchmark.h>
#include <juce_gui_basics/juce_gui_basics.h>

// Components and images need JUCE's GUI side set up, as in the program.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceInit;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
